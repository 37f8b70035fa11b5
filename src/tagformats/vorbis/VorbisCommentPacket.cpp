#include "tagformats/vorbis/VorbisCommentPacket.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tagformats/common/TextEncoding.h"

namespace {

// Comments are read in steps of this size, so a length the packet does not hold costs
// nothing before the packet runs out.
constexpr size_t kReadStep = 64 * 1024;

[[noreturn]] void Corrupt() { throw VorbisStreamError("Corrupt Vorbis comment header"); }

void ReadExactly(const VorbisPacketReader& read, uint8_t* out, size_t size) {
  if (read(out, size) != size) Corrupt();
}

void SkipExactly(const VorbisPacketReader& read, uint64_t size) {
  uint8_t scratch[4096];
  while (size > 0) {
    const size_t step = static_cast<size_t>(std::min<uint64_t>(size, sizeof scratch));
    ReadExactly(read, scratch, step);
    size -= step;
  }
}

uint32_t ReadLength(const VorbisPacketReader& read) {
  uint8_t bytes[4];
  ReadExactly(read, bytes, 4);
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// One comment of `length` bytes, whole.
void ReadComment(const VorbisPacketReader& read, uint32_t length, TStrComments& kept) {
  std::string bytes;
  while (bytes.size() < length) {
    const size_t have = bytes.size();
    bytes.resize(have + std::min<size_t>(length - have, kReadStep));
    ReadExactly(read, reinterpret_cast<uint8_t*>(&bytes[have]), bytes.size() - have);
  }
  kept.push_back(ParseComment(bytes));
}

}  // namespace

const CommentPacketLayout kVorbisCommentPacket{std::string("\x03vorbis", 7), true};

TStrComments ReadCommentPacket(const VorbisPacketReader& read, const CommentPacketLayout& layout) {
  std::string magic(layout.magic.size(), '\0');
  ReadExactly(read, reinterpret_cast<uint8_t*>(&magic[0]), magic.size());
  if (magic != layout.magic) Corrupt();
  SkipExactly(read, ReadLength(read));  // the vendor text
  const uint32_t count = ReadLength(read);
  TStrComments comments;
  for (uint32_t i = 0; i < count; ++i) ReadComment(read, ReadLength(read), comments);
  if (!layout.framed) return comments;
  uint8_t framing = 0;
  ReadExactly(read, &framing, 1);
  if ((framing & 1) == 0) Corrupt();
  return comments;
}
