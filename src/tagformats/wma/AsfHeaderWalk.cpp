#include "tagformats/wma/AsfHeaderWalk.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "tagformats/common/TextEncoding.h"
#include "tagformats/wma/AsfGuids.h"
#include "tagformats/wma/WmaText.h"

namespace {

using Guid = AsfGuid;

constexpr Guid kHeaderGuid = kAsfHeaderGuid;
constexpr Guid kContentDescriptionGuid = kAsfContentDescriptionGuid;
constexpr Guid kExtendedContentGuid = kAsfExtendedContentGuid;
constexpr Guid kEarlyHeaderGuid = MakeAsfGuid(0xD6E229D1, 0x35DA, 0x11D1, 0x903400A0C90349BEULL);
constexpr Guid kEarlyDescriptionGuid = MakeAsfGuid(0xD6E229D5, 0x35DA, 0x11D1, 0x903400A0C90349BEULL);

constexpr uint64_t kPrefixSize = 24;           // GUID + 64-bit size
constexpr uint64_t kStandardHeaderExtra = 6;   // object count + two reserved bytes
constexpr int kMaxObjects = 4096;              // far beyond any real header

// Ext. content value types.
constexpr uint16_t kValueText = 0, kValueBytes = 1, kValueBool = 2, kValueDword = 3, kValueQword = 4,
                   kValueWord = 5;

// Reads forward within [pos, end) of a source; every read past `end` fails and leaves the
// cursor exhausted, so a caller can chain reads and test once.
class Cursor {
 public:
  Cursor(ByteSource& source, uint64_t begin, uint64_t end)
      : source_(source), pos_(begin), end_(end) {}

  uint64_t remaining() const { return end_ - pos_; }
  bool ok() const { return ok_; }

  bool bytes(uint8_t* out, size_t count) {
    if (!ok_ || count > remaining() || !source_.readAt(pos_, out, count)) return fail();
    pos_ += count;
    return true;
  }
  bool skip(uint64_t count) {
    if (!ok_ || count > remaining()) return fail();
    pos_ += count;
    return true;
  }
  uint64_t u16() { return little(2); }
  uint64_t u32() { return little(4); }
  uint64_t u64() { return little(8); }
  uint8_t u8() { uint8_t b = 0; bytes(&b, 1); return b; }

  // A UTF-16LE text of `byteCount` bytes, whole.
  std::string text(uint64_t byteCount) {
    const std::vector<uint8_t> buffer = block(byteCount);
    return Utf16LeToUtf8(buffer.data(), buffer.size());
  }
  // `count` bytes; none when they are not all there.
  std::vector<uint8_t> block(uint64_t count) {
    if (!ok_ || count > remaining()) return fail(), std::vector<uint8_t>();
    std::vector<uint8_t> buffer(static_cast<size_t>(count));
    bytes(buffer.data(), buffer.size());
    return buffer;
  }

 private:
  uint64_t little(size_t width) {
    uint8_t raw[8] = {};
    if (!bytes(raw, width)) return 0;
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;) value = (value << 8) | raw[i];
    return value;
  }
  bool fail() {
    ok_ = false;
    pos_ = end_;
    return false;
  }

  ByteSource& source_;
  uint64_t pos_;
  uint64_t end_;
  bool ok_ = true;
};

// Gathers what the objects hold. A later non-empty value replaces an earlier one; an empty one
// never hides a value already found (writers leave a content description field empty and put
// the text into an extended attribute of the same name).
class TagCollector {
 public:
  void title(const std::string& v) { Keep(tags_.title, v); }
  void artist(const std::string& v) { Keep(tags_.artist, v); }
  void copyright(const std::string& v) { Keep(tags_.copyright, v); }
  void comment(const std::string& v) { Keep(tags_.comment, v); }

  void named(const std::string& name, const std::string& value) {
    if (EqualsIgnoringAsciiCase(name, "WM/TrackNumber")) trackNumber(LeadingDecimal(value));
    else if (EqualsIgnoringAsciiCase(name, "WM/Track")) trackFallback(LeadingDecimal(value));
    else if (EqualsIgnoringAsciiCase(name, "WM/Year")) Keep(tags_.year, value);
    else if (EqualsIgnoringAsciiCase(name, "WM/AlbumTitle")) Keep(tags_.album, value);
    else if (EqualsIgnoringAsciiCase(name, "WM/Genre")) Keep(tags_.genre, value);
    else if (EqualsIgnoringAsciiCase(name, "Title")) title(value);
    else if (EqualsIgnoringAsciiCase(name, "Author")) artist(value);
    else if (EqualsIgnoringAsciiCase(name, "Copyright")) copyright(value);
    else if (EqualsIgnoringAsciiCase(name, "Description")) comment(value);
    else tags_.otherAttributes.emplace_back(name, value);
    if (EqualsIgnoringAsciiCase(name, "WM/TrackNumber") || EqualsIgnoringAsciiCase(name, "WM/Track")) {
      const size_t slash = value.find('/');
      if (slash != std::string::npos && LeadingDecimal(value) != 0) trackTotal_ = value.substr(slash + 1);
    }
  }
  void namedNumber(const std::string& name, uint64_t value) {
    const uint32_t number = static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX));
    if (EqualsIgnoringAsciiCase(name, "WM/TrackNumber")) trackNumber(number);
    else if (EqualsIgnoringAsciiCase(name, "WM/Track")) trackFallback(number);
    else tags_.otherAttributes.emplace_back(name, std::to_string(value));
  }
  void picture(TagPicture picture) { tags_.pictures.push_back(std::move(picture)); }

  AsfHeaderTags finish(bool found) {
    tags_.found = found;
    tags_.track = trackNumber_ != 0 ? trackNumber_ : trackFallback_;
    if (tags_.track != 0) tags_.trackTotal = trackTotal_;
    return tags_;
  }

 private:
  static void Keep(std::string& field, const std::string& value) {
    if (!value.empty()) field = value;
  }
  void trackNumber(uint32_t v) { if (v != 0) trackNumber_ = v; }
  void trackFallback(uint32_t v) { if (v != 0) trackFallback_ = v; }

  AsfHeaderTags tags_;
  uint32_t trackNumber_ = 0;
  uint32_t trackFallback_ = 0;
  std::string trackTotal_;
};

// Up to the first zero UTF-16 unit, which the cursor passes.
std::string TerminatedText(Cursor& in) {
  std::u16string text;
  while (in.ok()) {
    const uint64_t unit = in.u16();
    if (unit == 0 || !in.ok()) break;
    text.push_back(static_cast<char16_t>(unit));
  }
  return Utf16ToUtf8(text);
}

// A "WM/Picture" value: type, image length, MIME type, description, the image.
void ReadPicture(Cursor& value, TagCollector& tags) {
  TagPicture picture;
  picture.type = value.u8();
  const uint64_t length = value.u32();
  picture.mimeType = TerminatedText(value);
  picture.description = TerminatedText(value);
  picture.data = value.block(length);
  if (value.ok() && !picture.data.empty()) tags.picture(std::move(picture));
}

void ReadContentDescription(Cursor& in, TagCollector& tags) {
  uint64_t lengths[5];
  for (uint64_t& length : lengths) length = in.u16();
  if (!in.ok()) return;
  tags.title(in.text(lengths[0]));
  tags.artist(in.text(lengths[1]));
  tags.copyright(in.text(lengths[2]));
  tags.comment(in.text(lengths[3]));
}

void ReadExtendedContent(Cursor& in, TagCollector& tags) {
  const uint64_t count = in.u16();
  for (uint64_t i = 0; i < count && in.ok(); ++i) {
    const std::string name = in.text(in.u16());
    const uint64_t type = in.u16();
    const uint64_t length = in.u16();
    if (!in.ok()) return;
    if (type == kValueText) {
      tags.named(name, in.text(length));
    } else if ((type == kValueDword || type == kValueBool) && length == 4) {
      tags.namedNumber(name, in.u32());
    } else if (type == kValueBytes && EqualsIgnoringAsciiCase(name, "WM/Picture")) {
      const std::vector<uint8_t> bytes = in.block(length);
      BufferByteSource value(bytes.data(), bytes.size());
      Cursor cursor(value, 0, bytes.size());
      ReadPicture(cursor, tags);
    } else if (type == kValueQword && length == 8) {
      tags.namedNumber(name, in.u64());
    } else if (type == kValueWord && length == 2) {
      tags.namedNumber(name, in.u16());
    } else {
      in.skip(length);
    }
  }
}

void ReadEarlyDescription(Cursor& in, TagCollector& tags) {
  const uint64_t count = in.u16();
  for (uint64_t i = 0; i < count && in.ok(); ++i) {
    const uint8_t kind = in.u8();
    in.skip(4);
    const uint64_t nameChars = in.u16();
    const uint64_t valueChars = in.u16();
    const std::string name = in.text(nameChars * 2);
    const std::string value = in.text(valueChars * 2);
    if (!in.ok()) return;
    switch (kind) {
      case 1: tags.artist(value); break;
      case 2: tags.title(value); break;
      case 3: tags.copyright(value); break;
      case 4: tags.comment(value); break;
      default:
        if (kind >= 100) tags.named(name, value);
    }
  }
}

void ReadObject(ByteSource& source, const Guid& id, uint64_t begin, uint64_t end,
                TagCollector& tags) {
  Cursor body(source, begin, end);
  if (id == kContentDescriptionGuid) ReadContentDescription(body, tags);
  else if (id == kExtendedContentGuid) ReadExtendedContent(body, tags);
  else if (id == kEarlyDescriptionGuid) ReadEarlyDescription(body, tags);
}

}  // namespace

AsfHeaderTags WalkAsfHeader(ByteSource& source) {
  TagCollector tags;
  Cursor file(source, 0, source.size());
  Guid id;
  file.bytes(id.data(), id.size());
  const uint64_t headerSize = file.u64();
  if (!file.ok() || (id != kHeaderGuid && id != kEarlyHeaderGuid)) return tags.finish(false);

  // A header that claims more than the file holds is walked as far as the bytes go.
  const uint64_t headerEnd = std::min(headerSize, source.size());
  uint64_t pos = kPrefixSize + (id == kHeaderGuid ? kStandardHeaderExtra : 0);
  for (int n = 0; n < kMaxObjects && pos < headerEnd && headerEnd - pos >= kPrefixSize; ++n) {
    Cursor prefix(source, pos, headerEnd);
    Guid child;
    prefix.bytes(child.data(), child.size());
    const uint64_t size = prefix.u64();
    if (!prefix.ok() || size < kPrefixSize || size > headerEnd - pos) break;
    ReadObject(source, child, pos + kPrefixSize, pos + size, tags);
    pos += size;
  }
  return tags.finish(true);
}
