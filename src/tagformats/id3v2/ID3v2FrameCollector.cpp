#include "tagformats/id3v2/ID3v2FrameCollector.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <utility>

#include "base/Utf8Repair.h"
#include "tagformats/common/TagFieldNames.h"
#include "tagformats/common/TextEncoding.h"
#include "tagformats/id3v2/ID3v2Text.h"

namespace {

constexpr const char* kMusicBrainzOwner = "http://musicbrainz.org";

// Descriptions that tools use for their own data, such as "iTunNORM" and "iTunSMPB".
bool IsMachineDescription(const std::string& description) { return description.rfind("iTun", 0) == 0; }

// A frame's strings: the texts between the terminators of its encoding.
std::vector<std::string> DecodeStrings(uint8_t encoding, const uint8_t* data, size_t size) {
  std::vector<std::string> values;
  while (size > 0) {
    const size_t span = ID3v2StringSpan(encoding, data, size);
    values.push_back(DecodeID3v2Text(encoding, data, span));
    data += span, size -= span;
  }
  return values;
}

bool AllDigits(const std::string& text, size_t count) {
  if (text.size() != count) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// "2004" with "0605" (day, month) and "1230" → "2004-05-06T12:30"; parts that do not fit are
// left out.
std::string WholeDate(const std::string& year, const std::string& dayMonth, const std::string& time) {
  if (!AllDigits(year, 4) || !AllDigits(dayMonth, 4)) return year;
  std::string date = year + "-" + dayMonth.substr(2, 2) + "-" + dayMonth.substr(0, 2);
  if (AllDigits(time, 4)) date += "T" + time.substr(0, 2) + ":" + time.substr(2, 2);
  return date;
}

// Encoding byte, MIME type (version 2.2: a three-letter image format), picture type,
// description, then the image: where the image starts, or nothing when the content is too short.
std::optional<size_t> ReadPictureHead(const std::string& rawId, const uint8_t* content, size_t size,
                                      TagPicture& picture) {
  const uint8_t encoding = content[0];
  size_t pos = 1;
  if (rawId == "PIC") {
    if (size < 5) return std::nullopt;
    std::string format(reinterpret_cast<const char*>(content + 1), 3);
    for (char& c : format) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool named = std::all_of(format.begin(), format.end(), [](unsigned char c) { return std::isalnum(c); });
    picture.mimeType = format == "jpg" ? "image/jpeg" : named ? "image/" + format : "application/octet-stream";
    pos = 4;
  } else {
    const size_t mimeSpan = ID3v2StringSpan(0, content + 1, size - 1);
    picture.mimeType = DecodeID3v2Text(0, content + 1, mimeSpan);
    pos += mimeSpan;
  }
  if (pos >= size) return std::nullopt;
  picture.type = content[pos++];
  const size_t descriptionSpan = ID3v2StringSpan(encoding, content + pos, size - pos);
  picture.description = DecodeID3v2Text(encoding, content + pos, descriptionSpan);
  return pos + descriptionSpan;
}

}  // namespace

std::string ID3v2CurrentFrameId(const std::string& id) {
  static const std::map<std::string, std::string> kVersion22 = {
      {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"},
      {"TP4", "TPE4"}, {"TCM", "TCOM"}, {"TXT", "TEXT"}, {"TAL", "TALB"}, {"TYE", "TYER"}, {"TDA", "TDAT"},
      {"TIM", "TIME"}, {"TRK", "TRCK"}, {"TPA", "TPOS"}, {"TCO", "TCON"}, {"COM", "COMM"}, {"ULT", "USLT"},
      {"TXX", "TXXX"}, {"UFI", "UFID"}, {"TBP", "TBPM"}, {"TCR", "TCOP"}, {"TPB", "TPUB"}, {"TRC", "TSRC"},
      {"TCP", "TCMP"}, {"TOR", "TORY"}, {"TEN", "TENC"}, {"TSS", "TSSE"}, {"TOA", "TOPE"}, {"TOL", "TOLY"},
      {"TOT", "TOAL"}, {"TMT", "TMED"}, {"TLA", "TLAN"}, {"TKE", "TKEY"}, {"TLE", "TLEN"}, {"TS2", "TSO2"},
      {"TSA", "TSOA"}, {"TSP", "TSOP"}, {"TST", "TSOT"}, {"TSC", "TSOC"}};
  if (id.size() != 3) return id;  // the ids of versions 2.3 and 2.4 have four characters
  const auto found = kVersion22.find(id);
  return found == kVersion22.end() ? id : found->second;
}

bool ID3v2FrameCollector::Wants(const std::string& rawId) const { return WantsFrame(ID3v2CurrentFrameId(rawId), rawId); }

// Ids are compared as views: no call per literal.
bool ID3v2FrameCollector::WantsFrame(std::string_view id, std::string_view rawId) {
  // A text frame of an id no writer may use (lower case, other bytes) is not a field's name.
  const bool textFrame = id.size() == 4 && id[0] == 'T' &&
                         std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isupper(c) || std::isdigit(c); });
  return textFrame || id == "COMM" || id == "USLT" || id == "UFID" || IsPicture(rawId);
}

void ID3v2FrameCollector::Take(const std::string& rawId, std::vector<uint8_t> bytes) {
  const std::string current = ID3v2CurrentFrameId(rawId);
  const std::string_view id = current;
  const uint8_t* content = bytes.data();
  const size_t size = bytes.size();
  if (size == 0 || !WantsFrame(id, rawId)) return;
  if (id == "COMM") return TakeComment(content, size);
  if (id == "TXXX") return TakeUserText(content, size);
  if (id == "USLT") return TakeLyrics(content, size);
  if (id == "UFID") return TakeUniqueFileId(content, size);
  if (IsPicture(rawId)) return TakePicture(rawId, std::move(bytes));
  if (id.size() == 4 && id[0] == 'T') TakeText(current, DecodeStrings(content[0], content + 1, size - 1));
}

void ID3v2FrameCollector::TakeText(const std::string& frameId, std::vector<std::string> values) {
  const std::string_view id = frameId;
  std::string* const datePart = id == "TYER"   ? &year_
                                : id == "TDAT" ? &dayMonth_
                                : id == "TIME" ? &time_
                                : id == "TDRC" ? &recordingTime_
                                : id == "TORY" ? &originalYear_
                                : id == "TDOR" ? &originalTime_
                                               : nullptr;
  if (datePart != nullptr) {
    *datePart = values.empty() ? std::string() : TrimTagValue(std::move(values.front()));
    return;
  }
  const std::string key = KeyFromId3Frame(frameId);
  for (std::string& value : values) builder_.Add(key, std::move(value));
}

// Encoding byte, three language bytes, a content description, the comment. A comment whose
// description marks a tool's own data is dropped.
void ID3v2FrameCollector::TakeComment(const uint8_t* content, size_t size) {
  if (size < 4) return;
  const uint8_t encoding = content[0];
  const uint8_t* rest = content + 4;
  const size_t restSize = size - 4;
  const size_t descriptionSpan = ID3v2StringSpan(encoding, rest, restSize);
  const std::string description = DecodeID3v2Text(encoding, rest, descriptionSpan);
  if (IsMachineDescription(description)) return;
  const std::string text = DecodeID3v2Text(encoding, rest + descriptionSpan, restSize - descriptionSpan);
  (description.empty() ? plainComments_ : describedComments_).push_back(text);
}

// Encoding byte, description, values.
void ID3v2FrameCollector::TakeUserText(const uint8_t* content, size_t size) {
  std::vector<std::string> strings = DecodeStrings(content[0], content + 1, size - 1);
  if (strings.size() < 2 || strings.front().empty()) return;
  const std::string key = KeyFromId3Frame("TXXX:" + strings.front());
  for (size_t i = 1; i < strings.size(); ++i) builder_.Add(key, std::move(strings[i]));
}

// Encoding byte, language, description, the lyrics whole.
void ID3v2FrameCollector::TakeLyrics(const uint8_t* content, size_t size) {
  if (size < 4) return;
  const uint8_t encoding = content[0];
  const size_t descriptionSpan = ID3v2StringSpan(encoding, content + 4, size - 4);
  builder_.Add("LYRICS", DecodeID3v2Text(encoding, content + 4 + descriptionSpan, size - 4 - descriptionSpan));
}

// Owner (ISO-8859-1, terminated), then the identifier's bytes.
void ID3v2FrameCollector::TakeUniqueFileId(const uint8_t* content, size_t size) {
  const size_t ownerSpan = ID3v2StringSpan(0, content, size);
  if (DecodeID3v2Text(0, content, ownerSpan) != kMusicBrainzOwner) return;
  // The identifier is bytes; MusicBrainz writes its recording id as ASCII text.
  const std::string identifier(reinterpret_cast<const char*>(content + ownerSpan), size - ownerSpan);
  builder_.Add("MUSICBRAINZ_TRACKID", RepairUtf8(identifier.substr(0, identifier.find('\0'))));
}

void ID3v2FrameCollector::TakePicture(const std::string& rawId, std::vector<uint8_t> bytes) {
  TagPicture picture;
  const std::optional<size_t> image = ReadPictureHead(rawId, bytes.data(), bytes.size(), picture);
  if (!image) return;
  bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(*image));
  picture.data = std::move(bytes);
  builder_.AddPicture(std::move(picture));
}

bool ID3v2FrameCollector::TakePictureHead(const std::string& rawId, const std::vector<uint8_t>& head,
                                          uint64_t offset, uint64_t size) {
  TagPicture picture;
  const std::optional<size_t> image = ReadPictureHead(rawId, head.data(), head.size(), picture);
  // Up to the end of the head the description may have been cut.
  if (!image || *image >= head.size() || size <= *image) return false;
  picture.place = PicturePlace();
  picture.place->offset = offset + *image;
  picture.place->size = size - *image;
  builder_.AddPicture(std::move(picture));
  return true;
}

Timerec ID3v2FrameCollector::Finish() {
  TagRecordBuilder& builder = builder_;
  builder.Add("DATE", year_.empty() ? recordingTime_ : WholeDate(year_, dayMonth_, time_));
  builder.Add("ORIGINALDATE", originalTime_.empty() ? originalYear_ : originalTime_);
  for (const std::string& comment : plainComments_) builder.Add("COMMENT", comment);
  for (const std::string& comment : describedComments_) builder.Add("COMMENT", comment);
  return builder.Finish();
}
