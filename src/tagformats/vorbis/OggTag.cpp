#include "tagformats/vorbis/OggTag.h"

#include "tagformats/vorbis/VorbisModule.h"

OGGTag current_ogg_tag;

bool WriteOGGTag(const std::string& fileName, const OGGTag& record) {
  VorbisModule().Write(fileName, Timerec{record.title, record.artist, record.date, record.album,
                                         record.comment, record.genre, record.tracknumber});
  return true;
}

void ReadOGGTag(const std::string& fileName, OGGTag& out) {
  out = OGGTag{};
  const Timerec r = VorbisModule().Read(fileName);
  out = OGGTag{r.album, r.title, r.artist, r.comment, r.genre, r.year, r.track};
}
