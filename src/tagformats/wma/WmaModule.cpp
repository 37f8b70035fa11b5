#include "tagformats/wma/WmaModule.h"

#include <cstdlib>

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

// The first value goes where the attribute always stood, further ones beside it.
void SetValues(WmaAttributeSink& info, WmaAttribute name, const std::vector<std::string>& values) {
  SetText(info, name, values.empty() ? std::string() : values.front());
  for (size_t i = 1; i < values.size(); ++i)
    if (IsWritable(values[i])) info.AddText(WmaAttributeName(name), values[i]);
}

void AddValues(WmaAttributeSink& info, const std::string& name, const std::vector<std::string>& values) {
  for (const std::string& value : values)
    if (IsWritable(value)) info.AddText(name, value);
}

bool IsTrackAttribute(const std::string& key) { return key == "TRACKNUMBER"; }

// Every field beyond the seven: the disc as "1/2", the mapped fields under their attribute
// names, other fields under their own names, then the pictures.
void SetExtras(WmaAttributeSink& info, const Timerec& record) {
  const NumberAndTotal disc = DiscOf(record);
  if (!disc.number.empty())
    AddValues(info, "WM/PartOfSet", {disc.total.empty() ? disc.number : disc.number + "/" + disc.total});
  for (const TagFieldName& row : TagFieldNames()) {
    const std::string key = row.key;
    if (SevenFieldMember(key) || key == "TRACKTOTAL" || key == "DISCNUMBER" || key == "DISCTOTAL" || *row.asf == '\0')
      continue;
    AddValues(info, row.asf, record.extras.Values(key));
  }
  for (const std::string& key : UnmappedKeys(record.extras)) AddValues(info, key, record.extras.Values(key));
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

void WmaModule::Write(const std::string& path, const Timerec& record) const {
  const TemporaryPermission writable(path, TemporaryPermission::Access::kWrite);
  if (!writable.exists()) throw TagError("Cannot open file " + path);
  if (opener_ == nullptr) throw TagError("Cannot write the tags of " + path + ": no attribute layer");
  const std::unique_ptr<AsfTagWriter> writer = AsfTagWriter::Open(path);
  if (!writer) throw TagError("Cannot write the tags of " + path + ": not a WMA file that can be written");
  PutRecord(*writer, record);
  if (!writer->Close()) throw TagError("Cannot write the tags of " + path);
}

void WmaModule::PutRecord(WmaAttributeSink& info, const Timerec& record) {
  SetValues(info, WmaAttribute::Author, RecordValues(record, "ARTIST"));
  SetValues(info, WmaAttribute::Title, RecordValues(record, "TITLE"));
  SetValues(info, WmaAttribute::AlbumTitle, RecordValues(record, "ALBUM"));
  SetValues(info, WmaAttribute::Year, RecordValues(record, "DATE"));
  SetValues(info, WmaAttribute::Description, RecordValues(record, "COMMENT"));
  SetValues(info, WmaAttribute::Genre, RecordValues(record, "GENRE"));
  // Players show a stored 0 as track "0": without a track number there is no attribute. A
  // total goes with the number as text ("3/12"), as readers of the attribute expect it.
  const NumberAndTotal track = TrackOf(record);
  const uint32_t trackNumber = TrackNumberOf(track.number);
  if (trackNumber != 0 && !track.total.empty()) SetText(info, WmaAttribute::TrackNumber, track.number + "/" + track.total);
  else if (trackNumber != 0) info.SetNumber(WmaAttribute::TrackNumber, trackNumber);
  else info.Remove(WmaAttribute::TrackNumber);
  SetExtras(info, record);
}
