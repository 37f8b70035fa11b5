#include "app/TagTransfer.h"

#include <cstdlib>

#include "app/OutputNaming.h"
#include "tagformats/ID3v2Tag.h"
#include "tagformats/OggTag.h"
#include "tagformats/WmaTag.h"

namespace {

constexpr const char* kWmaExtension = ".wma";
constexpr const char* kOggExtension = ".ogg";
constexpr const char* kMp3Extension = ".mp3";

Timerec FromWma(const WMATagInfo& tag) {
  Timerec r;
  r.title = WmaFieldText(tag.title);
  r.artist = WmaFieldText(tag.artist);
  r.year = WmaFieldText(tag.year);
  r.album = WmaFieldText(tag.album);
  r.comment = WmaFieldText(tag.comment);
  r.genre = WmaFieldText(tag.genre);
  r.track = tag.track != 0 ? std::to_string(tag.track) : std::string();
  return r;
}

Timerec FromOgg(const OGGTag& tag) {
  return Timerec{tag.title, tag.artist, tag.date, tag.album, tag.comment, tag.genre, tag.tracknumber};
}

Timerec FromId3(const ID3StructV2& tag) {
  // The ID3 reader has already turned genre references such as "(17)" into names.
  return Timerec{tag.title, tag.artist, tag.year, tag.album, tag.comment, tag.genre, tag.track};
}

// "7" or "7/12" → 7; anything else, or out of range, → 0.
uint16_t WmaTrackNumber(const std::string& track) {
  char* end = nullptr;
  long value = std::strtol(track.c_str(), &end, 10);
  if (end == track.c_str() || value < 0 || value > 65535) return 0;
  return static_cast<uint16_t>(value);
}

// A tag writer that only answers false would otherwise lose the tags without a word; the run
// reports it like any other tag error.
std::string CannotWriteTags(const std::string& path) {
  return "Cannot write the tags of " + path;
}

void WriteMp3Tags(const std::string& path, const Timerec& r) {
  ID3StructV2& tag = current_id3_tag;
  tag.title = r.title;
  tag.artist = r.artist;
  tag.album = r.album;
  tag.year = r.year;
  tag.comment = r.comment;
  tag.genre = r.genre;
  tag.track = r.track;
  WriteID3Tag(path, tag);
}

void WriteWmaTags(const std::string& path, const Timerec& r) {
  WMATagInfo& tag = current_wma_tag;
  SetWmaField(tag.title, r.title);
  SetWmaField(tag.artist, r.artist);
  SetWmaField(tag.album, r.album);
  SetWmaField(tag.year, r.year);
  SetWmaField(tag.comment, r.comment);
  SetWmaField(tag.genre, r.genre);
  tag.track = WmaTrackNumber(r.track);
  if (!WriteWMATag(path, tag)) throw TagError(CannotWriteTags(path));
}

void WriteOggTags(const std::string& path, const Timerec& r) {
  OGGTag& tag = current_ogg_tag;
  tag.title = r.title;
  tag.artist = r.artist;
  tag.album = r.album;
  tag.date = r.year;
  tag.comment = r.comment;
  tag.genre = r.genre;
  tag.tracknumber = r.track;
  if (!WriteOGGTag(path, tag)) throw TagError(CannotWriteTags(path));
}

}  // namespace

std::optional<Timerec> ReadSourceTags(const std::string& path) {
  const std::string extension = ExtensionOf(path);
  if (extension == kWmaExtension) {
    ReadWMATag(path, current_wma_tag);
    return FromWma(current_wma_tag);
  }
  if (extension == kOggExtension) {
    ReadOGGTag(path, current_ogg_tag);
    return FromOgg(current_ogg_tag);
  }
  if (extension == kMp3Extension) {
    ReadID3Tag(path);
    return FromId3(current_id3_tag);
  }
  return std::nullopt;
}

void WriteTagsToOutput(const std::string& outputPath, const Timerec& record) {
  const std::string extension = ExtensionOf(outputPath);
  if (extension == kMp3Extension) WriteMp3Tags(outputPath, record);
  else if (extension == kWmaExtension) WriteWmaTags(outputPath, record);
  else if (extension == kOggExtension) WriteOggTags(outputPath, record);
}
