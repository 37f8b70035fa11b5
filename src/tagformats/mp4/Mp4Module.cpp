#include "tagformats/mp4/Mp4Module.h"

#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tagformats/common/TagFieldNames.h"
#include "tagformats/common/TagLibFileAccess.h"
#include "tagformats/common/TagRecordBuilder.h"
#include "tagformats/generic/GenericTagReader.h"
#include "base/Utf8Repair.h"

namespace {

const std::string kFreeformPrefix = "----:com.apple.iTunes:";
// The gapless data the AAC encoder wrote describes the file's audio, not its tags: it stays.
const TagLib::String kGaplessItem = "----:com.apple.iTunes:iTunSMPB";

TagLib::String Utf8(const std::string& text) {
  return TagLib::String(RepairUtf8(text), TagLib::String::UTF8);
}

// The number in 1..limit a text starts with (the whole text, when `whole`), or 0.
int NumberIn(const std::string& text, long limit, bool whole) {
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || (whole && *end != '\0') || number <= 0 || number > limit) return 0;
  return static_cast<int>(number);
}

// trkn or disk from a number and its total; nothing for a text without a number.
void SetPair(TagLib::MP4::Tag& tag, const char* atom, const NumberAndTotal& parts) {
  const int number = NumberIn(parts.number, 65535, false);
  if (number == 0) return;
  tag.setItem(atom, TagLib::MP4::Item(number, NumberIn(parts.total, 65535, false)));
}

void SetTexts(TagLib::MP4::Tag& tag, const std::string& atom, const std::vector<std::string>& values) {
  TagLib::StringList texts;
  for (const std::string& value : values)
    if (!value.empty()) texts.append(Utf8(value));
  if (!texts.isEmpty()) tag.setItem(TagLib::String(atom, TagLib::String::UTF8), texts);
}

// BPM and compilation have atoms of their own type; a value that does not fit the type is
// kept as text under its freeform name.
void SetTempoOrCompilation(TagLib::MP4::Tag& tag, const std::string& key, const std::vector<std::string>& values) {
  if (values.empty()) return;
  const int number = NumberIn(values.front(), key == "BPM" ? 65535 : 1, true);
  const bool compilation = key == "COMPILATION";
  if (values.size() == 1 && (number != 0 || (compilation && values.front() == "0"))) {
    if (compilation) tag.setItem("cpil", TagLib::MP4::Item(number == 1));
    else tag.setItem("tmpo", TagLib::MP4::Item(number));
    return;
  }
  SetTexts(tag, kFreeformPrefix + key, values);
}

TagLib::MP4::CoverArt::Format CoverFormat(const std::string& mimeType) {
  if (mimeType == "image/png") return TagLib::MP4::CoverArt::PNG;
  if (mimeType == "image/jpeg" || mimeType == "image/jpg") return TagLib::MP4::CoverArt::JPEG;
  if (mimeType == "image/gif") return TagLib::MP4::CoverArt::GIF;
  if (mimeType == "image/bmp") return TagLib::MP4::CoverArt::BMP;
  return TagLib::MP4::CoverArt::Unknown;
}

// MP4 cover art has neither a picture type nor a description: the bytes and their format go.
void SetCovers(TagLib::MP4::Tag& tag, const std::vector<TagPicture>& pictures) {
  TagLib::MP4::CoverArtList covers;
  for (const TagPicture& picture : pictures)
    covers.append(TagLib::MP4::CoverArt(
        CoverFormat(picture.mimeType),
        TagLib::ByteVector(reinterpret_cast<const char*>(picture.data.data()), static_cast<unsigned>(picture.data.size()))));
  if (!covers.isEmpty()) tag.setItem("covr", covers);
}

bool IsNumberPair(const std::string& key) {
  return key == "TRACKNUMBER" || key == "TRACKTOTAL" || key == "DISCNUMBER" || key == "DISCTOTAL";
}

// Every field under its atom, a field with no atom of its own as freeform text under its
// Vorbis name, fields no format names under their own names.
void SetFields(TagLib::MP4::Tag& tag, const Timerec& record) {
  SetPair(tag, "trkn", TrackOf(record));
  SetPair(tag, "disk", DiscOf(record));
  for (const TagFieldName& row : TagFieldNames()) {
    const std::string key = row.key;
    if (IsNumberPair(key)) continue;
    const std::vector<std::string> values = RecordValues(record, key);
    if (key == "BPM" || key == "COMPILATION") SetTempoOrCompilation(tag, key, values);
    else SetTexts(tag, *row.mp4 != '\0' ? row.mp4 : kFreeformPrefix + row.vorbis, values);
  }
  for (const std::string& key : UnmappedKeys(record.extras)) SetTexts(tag, kFreeformPrefix + key, record.extras.Values(key));
}

}  // namespace

Timerec Mp4Module::Read(const std::string& path) const { return GenericTagReader().Read(path); }

void Mp4Module::Write(const std::string& path, const Timerec& record) const {
  CheckTagFileReadable(path);
  TagLib::MP4::File file(path.c_str(), false);
  CheckTagFileValid(file, path, "MP4");
  TagLib::MP4::Tag& tag = *file.tag();
  TagLib::StringList names;
  for (const auto& [name, item] : tag.itemMap())
    if (name != kGaplessItem) names.append(name);
  for (const TagLib::String& name : names) tag.removeItem(name);
  SetFields(tag, record);
  SetCovers(tag, record.extras.pictures);
  SaveTagFile(file, path);
}
