#include "tagformats/id3v2/ID3v2FrameCollector.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "tagformats/common/TextEncoding.h"
#include "tagformats/id3v2/ID3v2Text.h"
#include "tags/GenreNames.h"

namespace {

// Characters a field keeps: the record's fields were always read into 250-byte buffers that
// also held the encoding byte (and, for a comment, the language and the description's end).
constexpr size_t kMaxTextCharacters = 249;
constexpr size_t kMaxCommentCharacters = 245;

enum class Field { kTitle, kArtist, kAlbum, kYear, kTrack, kComment, kGenre, kRecordingTime };

const std::map<std::string, Field>& FrameFields() {
  static const std::map<std::string, Field> kFields = {
      {"TIT2", Field::kTitle}, {"TT2", Field::kTitle},    {"TPE1", Field::kArtist},
      {"TP1", Field::kArtist}, {"TALB", Field::kAlbum},   {"TAL", Field::kAlbum},
      {"TYER", Field::kYear},  {"TYE", Field::kYear},     {"TRCK", Field::kTrack},
      {"TRK", Field::kTrack},  {"COMM", Field::kComment}, {"COM", Field::kComment},
      {"TCON", Field::kGenre}, {"TCO", Field::kGenre},    {"TDRC", Field::kRecordingTime},
  };
  return kFields;
}

// Control characters and spaces at either end are noise from fixed-size buffers and padding.
std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(begin, end - begin);
}

std::string FrameText(const uint8_t* content, size_t size) {
  if (size == 0) return std::string();
  return Trim(Utf8FirstCharacters(DecodeID3v2Text(content[0], content + 1, size - 1), kMaxTextCharacters));
}

// Descriptions that tools use for their own data, such as "iTunNORM" and "iTunSMPB".
bool IsMachineDescription(const std::string& description) { return description.rfind("iTun", 0) == 0; }

// "2019-05-04T10:00" → "2019": the record holds the year alone.
std::string YearOfTimestamp(const std::string& timestamp) {
  if (timestamp.size() < 4) return timestamp;
  for (size_t i = 0; i < 4; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(timestamp[i]))) return timestamp;
  }
  return timestamp.substr(0, 4);
}

}  // namespace

bool ID3v2FrameCollector::Wants(const std::string& id) const { return FrameFields().count(id) != 0; }

void ID3v2FrameCollector::Take(const std::string& id, const uint8_t* content, size_t size) {
  const auto found = FrameFields().find(id);
  if (found == FrameFields().end()) return;
  switch (found->second) {
    case Field::kTitle: fields_.title = FrameText(content, size); break;
    case Field::kArtist: fields_.artist = FrameText(content, size); break;
    case Field::kAlbum: fields_.album = FrameText(content, size); break;
    case Field::kTrack: fields_.track = FrameText(content, size); break;
    case Field::kGenre: fields_.genre = GenreNameFromReference(FrameText(content, size)); break;
    case Field::kComment: TakeComment(content, size); break;
    case Field::kYear:
      fields_.year = FrameText(content, size);
      hasYearFrame_ = true;
      break;
    case Field::kRecordingTime: recordingTime_ = YearOfTimestamp(FrameText(content, size)); break;
  }
}

// Encoding byte, three language bytes, a content description, the comment. The description
// is dropped; a comment without one wins over those with one, and one whose description marks
// a tool's own data is never the comment.
void ID3v2FrameCollector::TakeComment(const uint8_t* content, size_t size) {
  if (size < 4) return;
  const uint8_t encoding = content[0];
  const uint8_t* rest = content + 4;
  const size_t restSize = size - 4;
  const size_t descriptionSpan = ID3v2StringSpan(encoding, rest, restSize);
  const std::string description = DecodeID3v2Text(encoding, rest, descriptionSpan);
  const bool plain = description.empty();
  if ((hasPlainComment_ && !plain) || IsMachineDescription(description)) return;
  hasPlainComment_ = hasPlainComment_ || plain;
  const std::string text = DecodeID3v2Text(encoding, rest + descriptionSpan, restSize - descriptionSpan);
  fields_.comment = Trim(Utf8FirstCharacters(text, kMaxCommentCharacters));
}

Timerec ID3v2FrameCollector::Finish() const {
  Timerec result = fields_;
  if (!hasYearFrame_) result.year = recordingTime_;
  return result;
}
