#include "tagformats/wma/WmaModule.h"

#include <cstdlib>

#include "tagformats/common/TemporaryPermission.h"
#include "tagformats/common/TextEncoding.h"
#include "tagformats/wma/AsfHeaderWalk.h"
#include "tagformats/wma/WmaText.h"
#include "tags/GenreNames.h"

namespace {

// The record's fields cut to what each keeps, the genre as a name.
Timerec Fitted(Timerec r) {
  for (std::string* field : {&r.title, &r.artist, &r.album, &r.year})
    *field = Utf8FirstCharacters(*field, kWmaTextCharacters);
  r.comment = Utf8FirstCharacters(r.comment, kWmaCommentCharacters);
  r.genre = Utf8FirstCharacters(GenreNameFromReference(r.genre), kWmaGenreCharacters);
  return r;
}

std::string TrackText(uint64_t track) {
  return track != 0 ? std::to_string(static_cast<uint16_t>(track)) : std::string();
}

// The number of a track text such as "7" or "7/12"; 0 when there is none.
uint32_t TrackNumberOf(const std::string& track) {
  char* end = nullptr;
  const long value = std::strtol(track.c_str(), &end, 10);
  if (end == track.c_str() || value <= 0 || value > 65535) return 0;
  return static_cast<uint32_t>(value);
}

// Other tools often store the track number as a decimal text, so such a text counts as well.
uint64_t ReadTrack(const WmaAudioInfo& info, WmaAttribute name) {
  if (const std::optional<uint64_t> number = info.Number(name)) return *number & 0xFFFF;
  if (const std::optional<std::string> text = info.Text(name)) return LeadingDecimal(*text) & 0xFFFF;
  return 0;
}

// A field that is not valid UTF-8 is left unset rather than written as garbage.
void SetText(WmaAudioInfo& info, WmaAttribute name, const std::string& text) {
  if (SanitizeUtf8(text) == text) info.SetText(name, text);
}

}  // namespace

bool WmaModule::ReadThroughAttributeLayer(const std::string& path, WmaTags& out) const {
  if (opener_ == nullptr) return false;
  const std::unique_ptr<WmaAudioInfo> info = opener_(path, WmaAudioInfo::Mode::Read);
  if (!info) return false;
  out.found = true;
  Timerec& r = out.record;
  r.title = info->Text(WmaAttribute::Title).value_or("");
  r.artist = info->Text(WmaAttribute::Author).value_or("");
  r.album = info->Text(WmaAttribute::AlbumTitle).value_or("");
  r.year = info->Text(WmaAttribute::Year).value_or("");
  uint64_t track = ReadTrack(*info, WmaAttribute::TrackNumber);
  if (track == 0) track = ReadTrack(*info, WmaAttribute::Track);
  r.track = TrackText(track);
  r.comment = info->Text(WmaAttribute::Description).value_or("");
  r.genre = info->Text(WmaAttribute::Genre).value_or("");
  r = Fitted(r);
  return true;
}

WmaTags WmaModule::ReadTagsFromHeader(ByteSource& source) {
  WmaTags out;
  const AsfHeaderTags tags = WalkAsfHeader(source);
  if (!tags.found) return out;
  out.found = true;
  out.record = Fitted(Timerec{tags.title, tags.artist, tags.year, tags.album, tags.comment, tags.genre,
                              TrackText(tags.track)});
  out.copyright = Utf8FirstCharacters(tags.copyright, kWmaTextCharacters);
  return out;
}

// Reading needs no change of permission bits: a read-only file opens for reading as it is.
WmaTags WmaModule::ReadTags(const std::string& path) const {
  WmaTags out;
  if (ReadThroughAttributeLayer(path, out)) return out;
  const std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
  if (!source) throw TagError("Cannot open file " + path);
  return ReadTagsFromHeader(*source);
}

void WmaModule::Write(const std::string& path, const Timerec& record) const {
  const TemporaryPermission writable(path, TemporaryPermission::Access::kWrite);
  if (!writable.exists()) throw TagError("Cannot open file " + path);
  if (opener_ == nullptr) throw TagError("Cannot write the tags of " + path + ": no attribute layer");
  const std::unique_ptr<WmaAudioInfo> info = opener_(path, WmaAudioInfo::Mode::ReadWrite);
  if (!info) throw TagError("Cannot write the tags of " + path + ": not a WMA file that can be written");
  const Timerec r = Fitted(record);
  SetText(*info, WmaAttribute::Author, r.artist);
  SetText(*info, WmaAttribute::Title, r.title);
  SetText(*info, WmaAttribute::AlbumTitle, r.album);
  SetText(*info, WmaAttribute::Year, r.year);
  SetText(*info, WmaAttribute::Description, r.comment);
  SetText(*info, WmaAttribute::Genre, r.genre);
  // Players show a stored 0 as track "0": without a track number there is no attribute.
  if (const uint32_t track = TrackNumberOf(r.track)) info->SetNumber(WmaAttribute::TrackNumber, track);
  else info->Remove(WmaAttribute::TrackNumber);
  if (!info->Close()) throw TagError("Cannot write the tags of " + path);
}
