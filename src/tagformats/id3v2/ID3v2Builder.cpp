#include "tagformats/id3v2/ID3v2Builder.h"

#include <algorithm>
#include <set>
#include <string>

#include "tagformats/common/TagRecordBuilder.h"
#include "tagformats/id3v2/ID3v2FrameBodies.h"

namespace {

constexpr size_t kPaddingSize = 10;
// The tag size field holds 28 bits; frames that would pass it are left out.
constexpr size_t kMaxTagBody = (size_t{1} << 28) - 1;

void AppendBigEndian32(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

constexpr size_t kHeaderSize = 10;

void PutSynchsafe32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>((value >> (21 - 7 * i)) & 0x7F);
}

// Frames go straight behind the tag header in `tag`, which holds the header; a picture's image
// follows its frame's head.
void AppendFrame(BytesWithImageGaps* tag, const std::string& id, const FrameBody& body,
                 const TagPicture* picture = nullptr) {
  const size_t size = body.size() + (picture != nullptr ? picture->size() : 0);
  if (tag->size() - kHeaderSize + 10 + size + kPaddingSize > kMaxTagBody) return;
  std::vector<uint8_t>* out = &tag->bytes;
  out->insert(out->end(), id.begin(), id.begin() + 4);
  AppendBigEndian32(out, static_cast<uint32_t>(size));
  out->push_back(0);
  out->push_back(0);
  out->insert(out->end(), body.begin(), body.end());
  if (picture != nullptr) tag->AppendImage(*picture);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Frames whose several values the ID3v2.3 text separates by "/"; others take "; ".
bool JoinsWithSlash(const std::string& frameId) {
  return frameId == "TPE1" || frameId == "TCOM" || frameId == "TEXT" || frameId == "TOLY" || frameId == "TOPE";
}

std::string Joined(const std::vector<std::string>& values, const std::string& frameId) {
  const std::string separator = JoinsWithSlash(frameId) ? "/" : "; ";
  std::string text;
  for (const std::string& value : values) text += (text.empty() ? "" : separator) + value;
  return text;
}

std::string JoinedValues(const Timerec& record, const std::string& key, const std::string& frameId) {
  return Joined(RecordValues(record, key), frameId);
}

std::string WithTotal(const NumberAndTotal& parts) {
  return parts.total.empty() ? parts.number : parts.number + "/" + parts.total;
}

// "2004-05-06T12:30" → "0605" for "TDAT" and "1230" for "TIME"; empty parts when the date
// does not have them.
struct DateParts {
  std::string dayMonth, time;
};
DateParts DatePartsOf(const std::string& date) {
  auto digitsAt = [&](size_t pos) { return pos + 2 <= date.size() && IsDigit(date[pos]) && IsDigit(date[pos + 1]); };
  DateParts parts;
  if (date.size() < 10 || date[4] != '-' || date[7] != '-' || !digitsAt(5) || !digitsAt(8)) return parts;
  parts.dayMonth = date.substr(8, 2) + date.substr(5, 2);
  if (date.size() >= 16 && (date[10] == 'T' || date[10] == ' ') && digitsAt(11) && date[13] == ':' && digitsAt(14))
    parts.time = date.substr(11, 2) + date.substr(14, 2);
  return parts;
}

bool WrittenApart(const std::string& key) {
  return SevenFieldMember(key) != nullptr || key == "TRACKTOTAL" || key == "DISCNUMBER" || key == "DISCTOTAL" ||
         key == "ORIGINALDATE";
}

void AppendMappedField(BytesWithImageGaps* frames, const Timerec& record, const TagFieldName& row) {
  const std::vector<std::string> values = RecordValues(record, row.key);
  if (values.empty()) return;
  const std::string id = row.id3v23;
  if (id.rfind("TXXX:", 0) == 0) AppendFrame(frames, "TXXX", UserTextFrameBody(id.substr(5), Joined(values, id)));
  else if (id.rfind("UFID:", 0) == 0) AppendFrame(frames, "UFID", UniqueFileIdBody(id.substr(5), values.front()));
  else if (id == "USLT") AppendFrame(frames, id, LanguageFrameBody("", Joined(values, id)));
  else AppendFrame(frames, id, TextFrameBody(Joined(values, id)));
}

// Everything beyond the seven fields: date details, disc, the mapped fields in table order,
// fields of other names as user-defined text, then the pictures.
void AppendExtraFrames(BytesWithImageGaps* frames, const Timerec& record) {
  const DateParts date = DatePartsOf(record.year);
  if (!date.dayMonth.empty()) AppendFrame(frames, "TDAT", TextFrameBody(date.dayMonth));
  if (!date.time.empty()) AppendFrame(frames, "TIME", TextFrameBody(date.time));
  const std::string disc = WithTotal(DiscOf(record));
  if (!disc.empty()) AppendFrame(frames, "TPOS", TextFrameBody(disc));
  const std::string originalDate = record.extras.First("ORIGINALDATE");
  if (!originalDate.empty()) AppendFrame(frames, "TORY", TextFrameBody(YearFrameText(originalDate)));
  for (const TagFieldName& row : TagFieldNames())
    if (!WrittenApart(row.key)) AppendMappedField(frames, record, row);
  for (const std::string& key : UnmappedKeys(record.extras))
    AppendFrame(frames, "TXXX", UserTextFrameBody(key, Joined(record.extras.Values(key), "TXXX")));
  // Each picture needs a description of its own; a repeated one gets spaces added, as other
  // taggers do.
  std::set<std::string> descriptions;
  for (const TagPicture& picture : record.extras.pictures) {
    TagPicture head{picture.type, picture.mimeType, picture.description, {}};  // the image goes in as it stands
    while (!descriptions.insert(head.description).second) head.description += " ";
    AppendFrame(frames, "APIC", PictureFrameHead(head), &picture);
  }
}

}  // namespace

std::string YearFrameText(const std::string& year) {
  const size_t begin = year.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  const std::string trimmed = year.substr(begin, year.find_last_not_of(" \t") + 1 - begin);
  const bool leadingYear = trimmed.size() >= 4 && std::all_of(trimmed.begin(), trimmed.begin() + 4, IsDigit) &&
                           (trimmed.size() == 4 || !IsDigit(trimmed[4]));
  return leadingYear ? trimmed.substr(0, 4) : trimmed;
}

BytesWithImageGaps BuildID3v2TagLeavingImages(const Timerec& record) {
  BytesWithImageGaps tag;
  tag.bytes = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};  // the size follows below
  size_t pictureBytes = 0;
  for (const TagPicture& picture : record.extras.pictures) pictureBytes += picture.data.size();
  tag.bytes.reserve(4096 + pictureBytes);
  AppendFrame(&tag, "TIT2", TextFrameBody(JoinedValues(record, "TITLE", "TIT2")));
  AppendFrame(&tag, "TPE1", TextFrameBody(JoinedValues(record, "ARTIST", "TPE1")));
  AppendFrame(&tag, "TALB", TextFrameBody(JoinedValues(record, "ALBUM", "TALB")));
  AppendFrame(&tag, "TRCK", TextFrameBody(WithTotal(TrackOf(record))));
  AppendFrame(&tag, "TYER", TextFrameBody(YearFrameText(record.year)));
  AppendFrame(&tag, "TCON", TextFrameBody(JoinedValues(record, "GENRE", "TCON")));
  AppendFrame(&tag, "COMM", LanguageFrameBody("", JoinedValues(record, "COMMENT", "COMM")));
  AppendExtraFrames(&tag, record);
  tag.bytes.insert(tag.bytes.end(), kPaddingSize, 0);
  PutSynchsafe32(&tag.bytes[6], static_cast<uint32_t>(tag.size() - kHeaderSize));
  return tag;
}

std::vector<uint8_t> BuildID3v2Tag(const Timerec& record) { return BuildID3v2TagLeavingImages(record).bytes; }
