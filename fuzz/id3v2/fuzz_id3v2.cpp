// Feeds arbitrary bytes to the ID3v2 and ID3v1 readers the way the ID3 module does, and checks
// that whatever they return is valid UTF-8 that our own writer can turn into a readable tag, and
// that a reading which leaves images in place finds them where they are.
// The same bytes, taken as text, exercise the encoding conversions the writer relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "base/Utf8Repair.h"
#include "tagformats/id3v2/ID3v2Builder.h"
#include "tagformats/id3v2/ID3v2Parser.h"
#include "tagformats/id3v2/ID3v2Text.h"
#include "tagformats/id3v2/ID3v2V1Fallback.h"
#include "tagformats/common/TextEncoding.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

constexpr size_t kCheckedCharacters = 255;

void CheckUtf8(const Timerec& fields) {
  for (const std::string* text : {&fields.title, &fields.artist, &fields.album, &fields.year, &fields.track,
                                  &fields.comment, &fields.genre}) {
    Require(RepairUtf8(*text) == *text);
  }
  for (const auto& [key, value] : fields.extras.fields) Require(RepairUtf8(key + value) == key + value && !value.empty());
  for (const TagPicture& picture : fields.extras.pictures) Require(RepairUtf8(picture.description) == picture.description);
}

// Whatever we read must survive being written and read again.
void CheckRewrite(const Timerec& fields) {
  const std::vector<uint8_t> tag = BuildID3v2Tag(fields);
  const std::optional<size_t> length = ID3v2TagLength(tag.data(), tag.size());
  Require(length && *length == tag.size());
  const std::optional<Timerec> again = ParseID3v2Tag(tag.data(), tag.size());
  Require(again.has_value() && again->extras.pictures.size() == fields.extras.pictures.size());
}

// Read for a listed row, the same pictures; an image left in place lies in the data as read.
void CheckImagesLeftInPlace(const uint8_t* data, size_t size, const Timerec& fields) {
  BufferByteSource source(data, size);
  const std::optional<Timerec> listed = ParseID3v2Tag(source, PictureImages::kLeftInPlace);
  Require(listed && listed->extras.pictures.size() == fields.extras.pictures.size());
  for (size_t i = 0; i < fields.extras.pictures.size(); ++i) {
    const TagPicture& read = fields.extras.pictures[i];
    const TagPicture& left = listed->extras.pictures[i];
    Require(left.type == read.type && left.mimeType == read.mimeType && left.description == read.description &&
            left.size() == read.size());
    if (!left.place) {
      Require(left.data == read.data);
      continue;
    }
    const uint64_t offset = left.place->offset.value();
    Require(offset <= size && read.data.size() <= size - offset &&
            std::memcmp(data + offset, read.data.data(), read.data.size()) == 0);
  }
}

void CheckConversions(const std::string& text) {
  const std::string valid = RepairUtf8(text);
  Require(Utf16ToUtf8(Utf8ToUtf16(text)) == valid);
  if (FitsLatin1(text)) Require(Latin1ToUtf8(Utf8ToLatin1(text)) == valid);
  Require(Utf8CutLength(valid, 255) <= 255);

  // An encoded text keeps the characters asked for, whatever bytes they take.
  const EncodedID3v2Text encoded = EncodeID3v2Text(text, kCheckedCharacters);
  Require(encoded.bytes.size() <= 2 + 4 * kCheckedCharacters);
  const std::string back = DecodeID3v2Text(encoded.encoding, encoded.bytes.data(), encoded.bytes.size());
  // A leading U+FEFF reads as a second byte-order mark and is dropped; a zero ends the text.
  const bool decodable = valid.find('\0') == std::string::npos && valid.compare(0, 3, "\xEF\xBB\xBF") != 0;
  if (decodable) Require(back == Utf8FirstCharacters(valid, kCheckedCharacters));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<Timerec> fields = ParseID3v2Tag(data, size);
  if (fields) CheckImagesLeftInPlace(data, size, *fields);
  if (!fields) fields = ParseID3v1Tag(data, size);
  if (fields) {
    CheckUtf8(*fields);
    CheckRewrite(*fields);
  }
  CheckConversions(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
