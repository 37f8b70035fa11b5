#include "tagformats/id3v2/ID3v2Parser.h"

#include <algorithm>
#include <string>
#include <vector>

#include "tagformats/id3v2/ID3v2FrameCollector.h"

namespace {

constexpr uint8_t kUnsynchronisationFlag = 0x80;
constexpr uint8_t kV22CompressionFlag = 0x40;
constexpr uint8_t kExtendedHeaderFlag = 0x40;
constexpr uint8_t kFooterFlag = 0x10;  // version 2.4

// Frame format flags; each announced extra byte (group id, data length) precedes the content.
constexpr uint8_t kV23Compressed = 0x80, kV23Encrypted = 0x40, kV23Grouped = 0x20;
constexpr uint8_t kV24Grouped = 0x40, kV24Compressed = 0x08, kV24Encrypted = 0x04;
constexpr uint8_t kV24Unsynchronised = 0x02, kV24DataLength = 0x01;

struct TagHeader {
  int majorVersion = 0;
  uint8_t flags = 0;
  size_t bodySize = 0;
};

struct FrameHeader {
  std::string id;
  size_t size = 0;
  uint8_t formatFlags = 0;
};

// A view of bytes that the walk below never reads beyond.
struct Bytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

uint32_t BigEndian(const uint8_t* p, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | p[i];
  return value;
}

uint32_t Synchsafe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 21 | p[1] << 14 | p[2] << 7 | p[3];
}

bool IsSynchsafe(const uint8_t* p) { return ((p[0] | p[1] | p[2] | p[3]) & 0x80) == 0; }

std::optional<TagHeader> ReadTagHeader(const uint8_t* data, size_t size) {
  if (size < kID3v2HeaderSize || data[0] != 'I' || data[1] != 'D' || data[2] != '3') return std::nullopt;
  const int major = data[3];
  if (major < 2 || major > 4 || data[4] == 0xFF || !IsSynchsafe(data + 6)) return std::nullopt;
  return TagHeader{major, data[5], Synchsafe32(data + 6)};
}

// Undoes the 0xFF 0x00 → 0xFF escaping that keeps false MPEG sync patterns out of the tag.
std::vector<uint8_t> RemoveUnsynchronisation(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out;
  out.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    out.push_back(data[i]);
    if (data[i] == 0xFF && i + 1 < size && data[i + 1] == 0x00) ++i;
  }
  return out;
}

// Offset of the first frame, or nullopt when the extended header does not fit.
std::optional<size_t> FirstFrameOffset(const TagHeader& header, Bytes body) {
  if (header.majorVersion == 2 || !(header.flags & kExtendedHeaderFlag)) return 0;
  if (body.size < 4) return std::nullopt;
  // Version 2.3 counts the size after its own field; 2.4 counts the whole extended header.
  const size_t length = header.majorVersion == 3 ? 4 + size_t{BigEndian(body.data, 4)} : Synchsafe32(body.data);
  if (length < 6 || length > body.size) return std::nullopt;
  return length;
}

bool IsFrameIdCharacter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

size_t FrameHeaderSize(int majorVersion) { return majorVersion == 2 ? 6 : 10; }

// nullopt at padding or at anything that is not a frame header: the walk ends there.
std::optional<FrameHeader> ReadFrameHeader(int majorVersion, const uint8_t* p) {
  const size_t idLength = majorVersion == 2 ? 3 : 4;
  for (size_t i = 0; i < idLength; ++i) {
    if (!IsFrameIdCharacter(p[i])) return std::nullopt;
  }
  FrameHeader frame;
  frame.id.assign(reinterpret_cast<const char*>(p), idLength);
  if (majorVersion == 2) {
    frame.size = BigEndian(p + 3, 3);
  } else {
    // Some 2.4 writers store plain sizes; a size with a top bit set cannot be synchsafe.
    frame.size = majorVersion == 4 && IsSynchsafe(p + 4) ? Synchsafe32(p + 4) : BigEndian(p + 4, 4);
    frame.formatFlags = p[9];
  }
  return frame;
}

// The frame's content without its flag-announced extras; nullopt for content we cannot read
// (compressed or encrypted).
std::optional<std::vector<uint8_t>> FrameContent(int majorVersion, bool tagUnsynchronised,
                                                 const FrameHeader& frame, Bytes body) {
  size_t skip = 0;
  bool unsynchronised = false;
  if (majorVersion == 3) {
    if (frame.formatFlags & (kV23Compressed | kV23Encrypted)) return std::nullopt;
    if (frame.formatFlags & kV23Grouped) skip += 1;
  } else if (majorVersion == 4) {
    if (frame.formatFlags & (kV24Compressed | kV24Encrypted)) return std::nullopt;
    if (frame.formatFlags & kV24Grouped) skip += 1;
    if (frame.formatFlags & kV24DataLength) skip += 4;
    unsynchronised = tagUnsynchronised || (frame.formatFlags & kV24Unsynchronised);
  }
  if (skip > body.size) return std::nullopt;
  if (unsynchronised) return RemoveUnsynchronisation(body.data + skip, body.size - skip);
  return std::vector<uint8_t>(body.data + skip, body.data + body.size);
}

void WalkFrames(const TagHeader& header, Bytes body, size_t offset, ID3v2FrameCollector* collector) {
  const size_t headerSize = FrameHeaderSize(header.majorVersion);
  const bool tagUnsynchronised = header.flags & kUnsynchronisationFlag;
  while (body.size - offset >= headerSize) {
    const std::optional<FrameHeader> frame = ReadFrameHeader(header.majorVersion, body.data + offset);
    if (!frame) return;
    offset += headerSize;
    if (frame->size > body.size - offset) return;
    const Bytes frameBody{body.data + offset, frame->size};
    offset += frame->size;
    if (!collector->Wants(frame->id)) continue;
    const auto content = FrameContent(header.majorVersion, tagUnsynchronised, *frame, frameBody);
    if (content) collector->Take(frame->id, content->data(), content->size());
  }
}

}  // namespace

std::optional<size_t> ID3v2TagLength(const uint8_t* data, size_t size) {
  const std::optional<TagHeader> header = ReadTagHeader(data, size);
  if (!header) return std::nullopt;
  const bool hasFooter = header->majorVersion == 4 && (header->flags & kFooterFlag);
  return kID3v2HeaderSize + header->bodySize + (hasFooter ? kID3v2HeaderSize : 0);
}

std::optional<Timerec> ParseID3v2Tag(const uint8_t* data, size_t size) {
  const std::optional<TagHeader> header = ReadTagHeader(data, size);
  if (!header) return std::nullopt;
  ID3v2FrameCollector collector;
  if (header->majorVersion == 2 && (header->flags & kV22CompressionFlag)) return collector.Finish();

  Bytes body{data + kID3v2HeaderSize, std::min(header->bodySize, size - kID3v2HeaderSize)};
  // Versions before 2.4 escape the whole tag body; 2.4 escapes frame by frame.
  std::vector<uint8_t> resynchronised;
  if (header->majorVersion < 4 && (header->flags & kUnsynchronisationFlag)) {
    resynchronised = RemoveUnsynchronisation(body.data, body.size);
    body = Bytes{resynchronised.data(), resynchronised.size()};
  }
  const std::optional<size_t> firstFrame = FirstFrameOffset(*header, body);
  if (firstFrame) WalkFrames(*header, body, *firstFrame, &collector);
  return collector.Finish();
}
