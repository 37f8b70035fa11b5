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

bool IsFrameIdCharacter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

size_t FrameHeaderSize(int majorVersion) { return majorVersion == 2 ? 6 : 10; }
size_t FrameIdLength(int majorVersion) { return majorVersion == 2 ? 3 : 4; }

// A tag escaped as a whole must be read whole before its frames can be found.
constexpr uint64_t kMaxUnsynchronisedTagBytes = uint64_t{64} << 20;

// A tag up to this size is asked of the disk whole when its frames are read: the walk reads the
// frames around each picture, and tagging an output reads the pictures, and one request costs
// less than one for each stretch in between (many, once the system has dropped some of the
// file's pages from its cache).
constexpr uint64_t kTagAskedWhole = uint64_t{1} << 20;

// Where a frame walk stands: the region of the source that holds the frames.
struct FrameWalk {
  ByteSource& source;
  int majorVersion;
  bool tagUnsynchronised;
  uint64_t end;
  bool imagesLeftInPlace;  // never in a copy of the tag with the escapes undone
};

bool ReadBytes(ByteSource& source, uint64_t offset, uint8_t* out, size_t count) {
  return source.readAt(offset, out, count);
}

// True when the padding, the end of the tag, or a frame header that fits the tag starts at
// `offset`: an id of capitals and digits and a size (read either way) within what is left.
bool LandsOnFrame(const FrameWalk& walk, uint64_t offset) {
  if (offset == walk.end) return true;
  const size_t idLength = FrameIdLength(walk.majorVersion);
  const size_t headerSize = FrameHeaderSize(walk.majorVersion);
  if (offset > walk.end || walk.end - offset < 1) return false;
  uint8_t header[10] = {};
  const size_t available = static_cast<size_t>(std::min<uint64_t>(headerSize, walk.end - offset));
  if (!ReadBytes(walk.source, offset, header, available)) return false;
  if (header[0] == 0) return true;  // padding
  if (available < headerSize) return false;
  for (size_t i = 0; i < idLength; ++i)
    if (!IsFrameIdCharacter(header[i])) return false;
  const uint64_t left = walk.end - offset - headerSize;
  if (walk.majorVersion == 2) return BigEndian(header + 3, 3) <= left;
  return BigEndian(header + 4, 4) <= left || (IsSynchsafe(header + 4) && Synchsafe32(header + 4) <= left);
}

// Version 2.4 sizes are synchsafe, but some writers store plain numbers: the plain reading
// is taken when only it lands on what must follow a frame.
size_t V24FrameSize(const FrameWalk& walk, const uint8_t* sizeBytes, uint64_t bodyOffset) {
  const size_t plain = BigEndian(sizeBytes, 4);
  if (!IsSynchsafe(sizeBytes)) return plain;
  const size_t synchsafe = Synchsafe32(sizeBytes);
  if (plain == synchsafe || LandsOnFrame(walk, bodyOffset + synchsafe)) return synchsafe;
  return LandsOnFrame(walk, bodyOffset + plain) ? plain : synchsafe;
}

FrameHeader ParseFrameHeader(const FrameWalk& walk, const uint8_t* p, uint64_t bodyOffset) {
  FrameHeader frame;
  frame.id.assign(reinterpret_cast<const char*>(p), FrameIdLength(walk.majorVersion));
  if (walk.majorVersion == 2) {
    frame.size = BigEndian(p + 3, 3);
  } else {
    frame.size = walk.majorVersion == 4 ? V24FrameSize(walk, p + 4, bodyOffset) : BigEndian(p + 4, 4);
    frame.formatFlags = p[9];
  }
  return frame;
}

// Turns a frame's body into its content, in place: the flag-announced extras dropped and any
// unsynchronisation undone. False for content we cannot read (compressed or encrypted).
bool ToFrameContent(int majorVersion, bool tagUnsynchronised, const FrameHeader& frame, std::vector<uint8_t>& body) {
  size_t skip = 0;
  bool unsynchronised = false;
  if (majorVersion == 3) {
    if (frame.formatFlags & (kV23Compressed | kV23Encrypted)) return false;
    if (frame.formatFlags & kV23Grouped) skip += 1;
  } else if (majorVersion == 4) {
    if (frame.formatFlags & (kV24Compressed | kV24Encrypted)) return false;
    if (frame.formatFlags & kV24Grouped) skip += 1;
    if (frame.formatFlags & kV24DataLength) skip += 4;
    unsynchronised = tagUnsynchronised || (frame.formatFlags & kV24Unsynchronised);
  }
  if (skip > body.size()) return false;
  body.erase(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(skip));
  if (unsynchronised) body = RemoveUnsynchronisation(body.data(), body.size());
  return true;
}

bool Escaped(const FrameWalk& walk, const FrameHeader& frame) {
  return walk.tagUnsynchronised || (walk.majorVersion == 4 && (frame.formatFlags & kV24Unsynchronised));
}

// Enough for the MIME type and any usual description in front of an image.
constexpr size_t kPictureHeadSize = 2048;

// A picture frame by its head alone, its image left where it lies; false when the frame is
// small enough to be read whole, or the head does not reach the image.
bool TakePictureHead(const FrameWalk& walk, const FrameHeader& frame, uint64_t bodyOffset,
                     ID3v2FrameCollector* collector) {
  if (frame.size <= kPictureHeadSize) return false;
  std::vector<uint8_t> head(kPictureHeadSize);
  if (!ReadBytes(walk.source, bodyOffset, head.data(), head.size())) return false;
  if (!ToFrameContent(walk.majorVersion, walk.tagUnsynchronised, frame, head)) return false;
  const size_t skipped = kPictureHeadSize - head.size();
  return collector->TakePictureHead(frame.id, head, bodyOffset + skipped, frame.size - skipped);
}

// Frames are passed over by their sizes, whatever their ids; the walk ends at the padding, at
// the end of the tag, or at a frame that claims more than the tag holds.
void WalkFrames(const FrameWalk& walk, uint64_t offset, ID3v2FrameCollector* collector) {
  const size_t headerSize = FrameHeaderSize(walk.majorVersion);
  while (offset < walk.end && walk.end - offset >= headerSize) {
    uint8_t header[10] = {};
    if (!ReadBytes(walk.source, offset, header, headerSize) || header[0] == 0) return;
    offset += headerSize;
    const FrameHeader frame = ParseFrameHeader(walk, header, offset);
    if (frame.size > walk.end - offset) return;
    const uint64_t bodyOffset = offset;
    offset += frame.size;
    if (!collector->Wants(frame.id)) continue;
    if (walk.imagesLeftInPlace && ID3v2FrameCollector::IsPicture(frame.id) && !Escaped(walk, frame) &&
        TakePictureHead(walk, frame, bodyOffset, collector))
      continue;
    // Each frame's bytes are read once and handed on, so a picture is held once.
    std::vector<uint8_t> content(frame.size);
    if (!ReadBytes(walk.source, bodyOffset, content.data(), content.size())) return;
    if (ToFrameContent(walk.majorVersion, walk.tagUnsynchronised, frame, content))
      collector->Take(frame.id, std::move(content));
  }
}

std::optional<TagHeader> ReadTagHeader(ByteSource& source) {
  uint8_t header[kID3v2HeaderSize] = {};
  if (!ReadBytes(source, 0, header, sizeof header)) return std::nullopt;
  return ReadTagHeader(header, sizeof header);
}

// Offset of the first frame within [begin, end), or nullopt when the extended header does not fit.
std::optional<uint64_t> FirstFrameOffset(const TagHeader& header, ByteSource& source, uint64_t begin, uint64_t end) {
  if (header.majorVersion == 2 || !(header.flags & kExtendedHeaderFlag)) return begin;
  uint8_t field[4] = {};
  if (end - begin < 4 || !ReadBytes(source, begin, field, 4)) return std::nullopt;
  // Version 2.3 counts the size after its own field; 2.4 counts the whole extended header.
  const uint64_t length = header.majorVersion == 3 ? 4 + uint64_t{BigEndian(field, 4)} : Synchsafe32(field);
  if (length < 6 || length > end - begin) return std::nullopt;
  return begin + length;
}

}  // namespace

std::optional<size_t> ID3v2TagLength(const uint8_t* data, size_t size) {
  const std::optional<TagHeader> header = ReadTagHeader(data, size);
  if (!header) return std::nullopt;
  const bool hasFooter = header->majorVersion == 4 && (header->flags & kFooterFlag);
  return kID3v2HeaderSize + header->bodySize + (hasFooter ? kID3v2HeaderSize : 0);
}

std::optional<Timerec> ParseID3v2Tag(ByteSource& source, PictureImages images) {
  const std::optional<TagHeader> header = ReadTagHeader(source);
  if (!header) return std::nullopt;
  ID3v2FrameCollector collector;
  if (header->majorVersion == 2 && (header->flags & kV22CompressionFlag)) return collector.Finish();

  const uint64_t end = std::min<uint64_t>(kID3v2HeaderSize + header->bodySize, source.size());
  if (end <= kTagAskedWhole) source.WillRead(0, end);
  // Versions before 2.4 escape the whole tag body; 2.4 escapes frame by frame.
  if (header->majorVersion < 4 && (header->flags & kUnsynchronisationFlag)) {
    std::vector<uint8_t> escaped(static_cast<size_t>(std::min(end - kID3v2HeaderSize, kMaxUnsynchronisedTagBytes)));
    if (!ReadBytes(source, kID3v2HeaderSize, escaped.data(), escaped.size())) return collector.Finish();
    const std::vector<uint8_t> body = RemoveUnsynchronisation(escaped.data(), escaped.size());
    BufferByteSource plain(body.data(), body.size());
    if (const auto first = FirstFrameOffset(*header, plain, 0, body.size()))
      WalkFrames(FrameWalk{plain, header->majorVersion, true, body.size(), false}, *first, &collector);
    return collector.Finish();
  }
  if (const auto first = FirstFrameOffset(*header, source, kID3v2HeaderSize, end))
    WalkFrames(FrameWalk{source, header->majorVersion, (header->flags & kUnsynchronisationFlag) != 0, end,
                         images == PictureImages::kLeftInPlace},
               *first, &collector);
  return collector.Finish();
}

std::optional<Timerec> ParseID3v2Tag(const uint8_t* data, size_t size) {
  BufferByteSource source(data, size);
  return ParseID3v2Tag(source);
}
