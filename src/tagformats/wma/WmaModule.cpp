#include "tagformats/wma/WmaModule.h"

#include <cstdlib>
#include <string_view>

#include "base/Utf8Repair.h"
#include "tagformats/common/TagFieldNames.h"
#include "tagformats/common/TagRecordBuilder.h"
#include "tagformats/common/TemporaryPermission.h"
#include "tagformats/common/TextEncoding.h"
#include "tagformats/wma/AsfHeaderWalk.h"
#include "tagformats/wma/AsfTagWriter.h"
#include "tagformats/wma/WmaText.h"

namespace {

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

// Other tools often store the track number as a decimal text ("6/15" with its total), so such
// a text counts as well; a number keeps its low 16 bits.
std::string ReadTrack(const WmaAudioInfo& info, WmaAttribute name) {
  if (const std::optional<uint64_t> number = info.Number(name)) return TrackText(*number & 0xFFFF);
  if (const std::optional<std::string> text = info.Text(name)) {
    const uint32_t number = LeadingDecimal(*text) & 0xFFFF;
    const NumberAndTotal parts = SplitNumberAndTotal(*text);
    if (number == 0) return std::string();
    return parts.total.empty() ? TrackText(number) : TrackText(number) + "/" + parts.total;
  }
  return std::string();
}

// A field that is not valid UTF-8 is left unset rather than written as garbage.
bool IsWritable(const std::string& text) { return IsValidUtf8(text); }

void SetText(WmaAttributeSink& info, WmaAttribute name, const std::string& text) {
  if (IsWritable(text)) info.SetText(name, text);
}

// The key's first value (the record's field, or its first extra value when the field is empty)
// goes where the attribute always stood, further ones beside it.
void SetValues(WmaAttributeSink& info, WmaAttribute name, const Timerec& record, const std::string& key) {
  const std::string& field = record.*SevenFieldMember(key);
  auto [value, last] = record.extras.fields.equal_range(key);
  const std::string& first = !field.empty() || value == last ? field : (value++)->second;
  SetText(info, name, first);
  for (; value != last; ++value)
    if (IsWritable(value->second)) info.AddText(WmaAttributeName(name), value->second);
}

bool IsTrackAttribute(std::string_view key) { return key == "TRACKNUMBER"; }

// The attribute an extra field goes to: its mapped name, or its own name when no format names
// it; empty for the seven fields, the parts of track and disc (written elsewhere) and fields
// without a WMA name.
std::string ExtraAttributeName(const std::string& key) {
  const TagFieldName* row = FieldByKey(key);
  if (row == nullptr) return key;
  const std::string_view name = key;
  if (SevenFieldMember(key) || name == "TRACKTOTAL" || name == "DISCNUMBER" || name == "DISCTOTAL") return {};
  return row->asf;
}

// Every field beyond the seven: the disc as "1/2", the mapped fields under their attribute
// names, other fields under their own names, then the pictures. One walk over the record's
// fields: each attribute name belongs to one key, so the values of a name keep their order.
void SetExtras(WmaAttributeSink& info, const Timerec& record) {
  const NumberAndTotal disc = DiscOf(record);
  const std::string partOfSet = disc.total.empty() ? disc.number : disc.number + "/" + disc.total;
  if (!disc.number.empty() && IsWritable(partOfSet)) info.AddText("WM/PartOfSet", partOfSet);
  std::string name;
  const std::string* key = nullptr;
  for (const auto& [fieldKey, value] : record.extras.fields) {
    if (key == nullptr || *key != fieldKey) name = ExtraAttributeName(*(key = &fieldKey));
    if (!name.empty() && IsWritable(value)) info.AddText(name, value);
  }
  for (const TagPicture& picture : record.extras.pictures) info.AddPicture(picture);
}

}  // namespace

bool WmaModule::ReadThroughAttributeLayer(const std::string& path, WmaTags& out) const {
  if (opener_ == nullptr) return false;
  const std::unique_ptr<WmaAudioInfo> info = opener_(path, WmaAudioInfo::Mode::Read);
  if (!info) return false;
  out.found = true;
  TagRecordBuilder builder;
  std::string track = ReadTrack(*info, WmaAttribute::TrackNumber);
  if (track.empty()) track = ReadTrack(*info, WmaAttribute::Track);
  builder.Add("TRACKNUMBER", track);
  for (const auto& [name, text] : info->AllTexts()) {
    const std::string key = KeyFromAsfName(name);
    if (!IsTrackAttribute(key)) builder.Add(key, text);
  }
  for (TagPicture& picture : info->Pictures()) builder.AddPicture(std::move(picture));
  out.record = builder.Finish();
  return true;
}

WmaTags WmaModule::ReadTagsFromHeader(ByteSource& source) {
  WmaTags out;
  const AsfHeaderTags tags = WalkAsfHeader(source);
  if (!tags.found) return out;
  out.found = true;
  TagRecordBuilder builder;
  builder.Add("TRACKNUMBER", TrackText(tags.track) + (tags.trackTotal.empty() ? "" : "/" + tags.trackTotal));
  const std::pair<const char*, const std::string*> fields[] = {
      {"TITLE", &tags.title}, {"ARTIST", &tags.artist}, {"ALBUM", &tags.album},
      {"DATE", &tags.year},   {"COMMENT", &tags.comment}, {"GENRE", &tags.genre}};
  for (const auto& [key, value] : fields) builder.Add(key, *value);
  builder.Add("COPYRIGHT", tags.copyright);
  for (const auto& [name, text] : tags.otherAttributes) builder.Add(KeyFromAsfName(name), text);
  for (const TagPicture& picture : tags.pictures) builder.AddPicture(picture);
  out.record = builder.Finish();
  out.copyright = tags.copyright;
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

void WmaModule::Write(const std::string& path, const Timerec& record) const { WriteWith(path, record, nullptr); }

void WmaModule::WriteCopyingImages(const std::string& path, const Timerec& record, const ImageCopier& images) const {
  WriteWith(path, record, &images);
}

void WmaModule::WriteWith(const std::string& path, const Timerec& record, const ImageCopier* images) const {
  const TemporaryPermission writable(path, TemporaryPermission::Access::kWrite);
  if (!writable.exists()) throw TagError("Cannot open file " + path);
  if (opener_ == nullptr) throw TagError("Cannot write the tags of " + path + ": no attribute layer");
  const std::unique_ptr<AsfTagWriter> writer = AsfTagWriter::Open(path);
  if (!writer) throw TagError("Cannot write the tags of " + path + ": not a WMA file that can be written");
  writer->SetImageCopier(images);
  PutRecord(*writer, record);
  if (!writer->Close()) throw TagError("Cannot write the tags of " + path);
}

void WmaModule::PutRecord(WmaAttributeSink& info, const Timerec& record) {
  SetValues(info, WmaAttribute::Author, record, "ARTIST");
  SetValues(info, WmaAttribute::Title, record, "TITLE");
  SetValues(info, WmaAttribute::AlbumTitle, record, "ALBUM");
  SetValues(info, WmaAttribute::Year, record, "DATE");
  SetValues(info, WmaAttribute::Description, record, "COMMENT");
  SetValues(info, WmaAttribute::Genre, record, "GENRE");
  // Players show a stored 0 as track "0": without a track number there is no attribute. A
  // total goes with the number as text ("3/12"), as readers of the attribute expect it.
  const NumberAndTotal track = TrackOf(record);
  const uint32_t trackNumber = TrackNumberOf(track.number);
  if (trackNumber != 0 && !track.total.empty()) SetText(info, WmaAttribute::TrackNumber, track.number + "/" + track.total);
  else if (trackNumber != 0) info.SetNumber(WmaAttribute::TrackNumber, trackNumber);
  else info.Remove(WmaAttribute::TrackNumber);
  SetExtras(info, record);
}
