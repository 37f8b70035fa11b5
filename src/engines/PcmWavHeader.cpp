#include "engines/PcmWavHeader.h"

#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <iterator>
#include <vector>

#include "base/FileDescriptor.h"
#include "engines/EncoderBackend.h"
#include "engines/SourceLimits.h"

namespace {

constexpr int kMaxChunks = 64;  // the general path refuses a WAV with more before its data
constexpr size_t kHeadBytes = 8192;  // a usual header and the first data bytes, in one read
// The general path looks at this much of the data for a compressed stream dressed as PCM.
constexpr size_t kSyncScanBytes = 4096;
constexpr uint32_t kSizeUnknown = 0xFFFFFFFF;
constexpr uint16_t kFormatPcm = 1, kFormatFloat = 3, kFormatExtensible = 0xFFFE;
constexpr size_t kFmtBytes = 16, kExtensibleFmtBytes = 40, kExtensibleExtraBytes = 22;
constexpr uint32_t kKnownSpeakers = (1u << 18) - 1;  // the 18 positions the mask defines
constexpr size_t kBextFixedBytes = 602;              // a shorter one does not parse

uint32_t Le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

uint64_t Le64(const uint8_t* p) { return Le(p, 4) | (static_cast<uint64_t>(Le(p + 4, 4)) << 32); }

bool Is(const uint8_t* id, const char* name) { return std::memcmp(id, name, 4) == 0; }

// The file's first bytes, read once; anything further is read when asked for.
class WavBytes {
 public:
  WavBytes(const WavByteReader& read, int64_t fileSize) : read_(read), fileSize_(fileSize) {
    head_.resize(static_cast<size_t>(std::min<int64_t>(fileSize, kHeadBytes)));
    head_.resize(read_(0, head_.data(), head_.size()));
  }

  int64_t fileSize() const { return fileSize_; }

  // All `count` bytes at `offset`, or false.
  bool Read(int64_t offset, uint8_t* out, size_t count) const {
    if (offset < 0 || offset + static_cast<int64_t>(count) > fileSize_) return false;
    if (offset + static_cast<int64_t>(count) <= static_cast<int64_t>(head_.size())) {
      std::memcpy(out, head_.data() + offset, count);
      return true;
    }
    return read_(offset, out, count) == count;
  }

 private:
  const WavByteReader& read_;
  int64_t fileSize_;
  std::vector<uint8_t> head_;
};

struct Chunk {
  uint8_t id[4] = {};
  uint32_t size = 0;
  int64_t body = 0;
  int64_t End() const { return body + size; }
  int64_t Next() const { return End() + (size & 1); }
};

bool ReadChunk(const WavBytes& bytes, int64_t pos, Chunk& chunk) {
  uint8_t head[8];
  if (!bytes.Read(pos, head, sizeof head)) return false;
  std::memcpy(chunk.id, head, 4);
  chunk.size = Le(head + 4, 4);
  chunk.body = pos + 8;
  return true;
}

// Chunks whose metadata parsing could fail, or that add a stream: the general path decides.
bool UnsettlingChunk(const Chunk& chunk) {
  return Is(chunk.id, "SMV0") || Is(chunk.id, "XMA2") ||
         (Is(chunk.id, "bext") && chunk.size < kBextFixedBytes) ||
         (Is(chunk.id, "LIST") && chunk.size < 4);
}

bool SampleSize(uint32_t tag, uint32_t bits, PcmWavSamples& samples) {
  if (tag == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) {
    static const PcmWavSamples kByBytes[] = {PcmWavSamples::kU8, PcmWavSamples::kS16,
                                             PcmWavSamples::kS24, PcmWavSamples::kS32};
    samples = kByBytes[bits / 8 - 1];
    return true;
  }
  if (tag == kFormatFloat && (bits == 32 || bits == 64)) {
    samples = bits == 32 ? PcmWavSamples::kF32 : PcmWavSamples::kF64;
    return true;
  }
  return false;
}

// The extensible part: a PCM or float sub-format whose valid bits fill the container and a
// speaker mask naming every channel. Its sub-format tag replaces the header's.
bool ReadExtensible(const uint8_t* f, int channels, uint32_t& tag, uint32_t& mask) {
  static const uint8_t kGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                        0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  const uint32_t validBits = Le(f + 18, 2), bits = Le(f + 14, 2);
  mask = Le(f + 20, 4);
  tag = Le(f + 24, 4);
  return std::memcmp(f + 28, kGuidTail, sizeof kGuidTail) == 0 &&
         (validBits == 0 || validBits == bits) && (mask & ~kKnownSpeakers) == 0 &&
         static_cast<int>(std::bitset<32>(mask).count()) == channels;
}

bool ReadFormat(const WavBytes& bytes, const Chunk& chunk, PcmWavLayout& layout) {
  uint8_t f[kExtensibleFmtBytes] = {};
  if (chunk.size < kFmtBytes ||
      !bytes.Read(chunk.body, f, std::min<size_t>(chunk.size, sizeof f)))
    return false;
  uint32_t tag = Le(f, 2);
  const uint32_t channels = Le(f + 2, 2), rate = Le(f + 4, 4);
  const uint32_t blockAlign = Le(f + 12, 2), bits = Le(f + 14, 2);
  // What follows the 18-byte header and its size field; FFmpeg reads as much as both allow.
  const size_t extra = chunk.size >= 18 ? std::min<size_t>(chunk.size - 18, Le(f + 16, 2)) : 0;
  if (channels == 0 || channels > static_cast<uint32_t>(kMaxChannels) || bits == 0 ||
      rate < static_cast<uint32_t>(kMinSourceRate) || rate > static_cast<uint32_t>(kMaxSourceRate) ||
      blockAlign != channels * ((bits + 7) / 8))
    return false;
  layout.channelMask = 0;
  if (tag == kFormatExtensible) {
    if (extra != kExtensibleExtraBytes || chunk.size < kExtensibleFmtBytes ||
        !ReadExtensible(f, static_cast<int>(channels), tag, layout.channelMask))
      return false;
  } else if (extra != 0) {
    return false;
  }
  layout.sampleRate = static_cast<int>(rate);
  layout.channels = static_cast<int>(channels);
  layout.blockAlign = static_cast<int>(blockAlign);
  return SampleSize(tag, bits, layout.samples);
}

bool Float(PcmWavSamples samples) {
  return samples == PcmWavSamples::kF32 || samples == PcmWavSamples::kF64;
}

// Sync words of the streams the general path finds inside integer PCM: an S/PDIF burst
// preamble and the DTS frame syncs, in either byte order. They start on a 16-bit word. The
// loop looks at every word pair without stopping early, so that it vectorises: it runs for
// every WAV added.
bool CarriesCompressedStream(const WavBytes& bytes, const PcmWavLayout& layout) {
  static const uint8_t kSyncs[][4] = {{0x72, 0xF8, 0x1F, 0x4E}, {0xF8, 0x72, 0x4E, 0x1F},
                                      {0x7F, 0xFE, 0x80, 0x01}, {0xFE, 0x7F, 0x01, 0x80},
                                      {0x1F, 0xFF, 0xE8, 0x00}, {0xFF, 0x1F, 0x00, 0xE8}};
  uint32_t s[std::size(kSyncs)];
  for (size_t i = 0; i < std::size(kSyncs); ++i) s[i] = Le(kSyncs[i], 4);
  uint16_t words[kSyncScanBytes / 2];
  const size_t count = static_cast<size_t>(std::min<int64_t>(layout.dataBytes, sizeof words)) / 2;
  uint8_t data[sizeof words];
  if (!bytes.Read(layout.dataOffset, data, count * 2)) return true;
  for (size_t i = 0; i < count; ++i) words[i] = static_cast<uint16_t>(data[2 * i] | data[2 * i + 1] << 8);
  uint32_t found = 0;
  for (size_t i = 0; i + 1 < count; ++i) {
    const uint32_t pair = words[i] | static_cast<uint32_t>(words[i + 1]) << 16;
    found |= (pair == s[0]) | (pair == s[1]) | (pair == s[2]) | (pair == s[3]) | (pair == s[4]) |
             (pair == s[5]);
  }
  return found != 0;
}

// After the data chunk FFmpeg reads on into any further data chunk.
bool OnlyMetadataAfter(const WavBytes& bytes, int64_t pos) {
  for (int n = 0; n < kMaxChunks; ++n) {
    Chunk chunk;
    if (!ReadChunk(bytes, pos, chunk)) return true;  // too little left for a chunk
    if (Is(chunk.id, "data") || UnsettlingChunk(chunk)) return false;
    if (chunk.End() >= bytes.fileSize()) return true;
    pos = chunk.Next();
  }
  return false;
}

bool SettleData(const WavBytes& bytes, const Chunk& chunk, int64_t rf64DataBytes,
                PcmWavLayout& layout) {
  const bool rf64 = rf64DataBytes >= 0;
  if (!rf64 && (chunk.size == 0 || chunk.size == kSizeUnknown)) return false;
  layout.dataOffset = chunk.body;
  layout.dataBytes = rf64 ? rf64DataBytes : chunk.size;
  const int64_t end = layout.dataOffset + layout.dataBytes;
  if (end > bytes.fileSize() || layout.Frames() == 0) return false;
  // Past an odd-sized data chunk FFmpeg looks for the next chunk without the pad byte.
  if ((end & 1) && end + 1 < bytes.fileSize()) return false;
  if (!Float(layout.samples) && CarriesCompressedStream(bytes, layout)) return false;
  return OnlyMetadataAfter(bytes, end + (end & 1));
}

// RF64 keeps the 64-bit sizes in a "ds64" chunk first; -1 when that is missing or odd.
int64_t Rf64DataBytes(const WavBytes& bytes, int64_t& pos) {
  Chunk ds64;
  uint8_t sizes[24];
  if (!ReadChunk(bytes, pos, ds64) || !Is(ds64.id, "ds64") || ds64.size < sizeof sizes ||
      (ds64.size & 1) || !bytes.Read(ds64.body, sizes, sizeof sizes))
    return -1;
  pos = ds64.End();
  const uint64_t dataBytes = Le64(sizes + 8);
  return dataBytes > static_cast<uint64_t>(bytes.fileSize()) ? -1 : static_cast<int64_t>(dataBytes);
}

}  // namespace

std::optional<PcmWavLayout> ParsePcmWavHeader(const WavByteReader& read, int64_t fileSize) {
  const WavBytes bytes(read, fileSize);
  uint8_t riff[12];
  if (!bytes.Read(0, riff, sizeof riff) || !Is(riff + 8, "WAVE")) return std::nullopt;
  const bool rf64 = Is(riff, "RF64");
  if (!rf64 && !Is(riff, "RIFF")) return std::nullopt;
  int64_t pos = 12;
  const int64_t rf64DataBytes = rf64 ? Rf64DataBytes(bytes, pos) : -1;
  if (rf64 && rf64DataBytes < 0) return std::nullopt;

  PcmWavLayout layout;
  bool haveFormat = false;
  for (int n = 0; n < kMaxChunks; ++n) {
    Chunk chunk;
    if (!ReadChunk(bytes, pos, chunk)) return std::nullopt;
    if (Is(chunk.id, "data")) {
      if (!haveFormat || !SettleData(bytes, chunk, rf64DataBytes, layout)) return std::nullopt;
      return layout;
    }
    if (chunk.End() > fileSize || UnsettlingChunk(chunk)) return std::nullopt;
    if (Is(chunk.id, "fmt ")) {
      if (haveFormat || !ReadFormat(bytes, chunk, layout)) return std::nullopt;
      haveFormat = true;
    }
    pos = chunk.Next();
  }
  return std::nullopt;
}

std::optional<PcmWavLayout> ReadPcmWavHeader(int fd, int64_t fileSize) {
  return ParsePcmWavHeader(
      [fd](int64_t offset, uint8_t* out, size_t count) {
        return ReadAt(fd, out, count, static_cast<uint64_t>(offset));
      },
      fileSize);
}
