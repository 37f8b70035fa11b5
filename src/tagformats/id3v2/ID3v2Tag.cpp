#include "tagformats/id3v2/ID3v2Tag.h"

#include "tagformats/common/TagRecordBuilder.h"
#include "tagformats/id3v2/ID3v2Module.h"

ID3StructV2 current_id3_tag;

void ReadID3Tag(const std::string& fileName) {
  current_id3_tag = ID3StructV2{};
  try {
    const Timerec r = ID3v2Module().Read(fileName);
    // The record's track is the "TRCK" text as the file has it, total included.
    const NumberAndTotal track = TrackOf(r);
    const std::string trackText = track.total.empty() ? track.number : track.number + "/" + track.total;
    current_id3_tag = ID3StructV2{r.title, r.artist, r.album, r.year, trackText, r.comment, r.genre};
  } catch (const TagError&) {
    // Listing goes on without the tags of a file that cannot be read.
  }
}

void WriteID3Tag(const std::string& fileName, const ID3StructV2& record) {
  ID3v2Module().Write(fileName, Timerec{record.title, record.artist, record.year, record.album,
                                        record.comment, record.genre, record.track});
}
