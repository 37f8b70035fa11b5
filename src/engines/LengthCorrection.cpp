#include "engines/LengthCorrection.h"

#include "engines/LibraryHandles.h"

#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/codec_par.h>
#include <libavutil/intreadwrite.h>
}

namespace {

constexpr size_t kSearchBytes = 8192;  // where the first frame after the ID3v2 tag must start
constexpr size_t kInfoTagBytes = 4 + 32 + 8 + 4 + 4 + 100 + 4 + 24;

std::vector<uint8_t> ReadAt(FILE* file, long offset, size_t count) {
  std::vector<uint8_t> bytes(count);
  if (std::fseek(file, offset, SEEK_SET) != 0) return {};
  bytes.resize(std::fread(bytes.data(), 1, count, file));
  return bytes;
}

}  // namespace

long Id3v2Size(FILE* file) {
  std::vector<uint8_t> h = ReadAt(file, 0, 10);
  if (h.size() < 10 || std::memcmp(h.data(), "ID3", 3) != 0) return 0;
  if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return 0;
  long size = (h[6] << 21) | (h[7] << 14) | (h[8] << 7) | h[9];
  return 10 + size + ((h[5] & 0x10) ? 10 : 0);
}

long LeadingId3v2Size(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  const long size = Id3v2Size(file);
  std::fclose(file);
  return size;
}

namespace {

bool IsLayer3Header(const uint8_t* h) {
  return h[0] == 0xFF && (h[1] & 0xE0) == 0xE0 && ((h[1] >> 3) & 3) != 1 &&
         ((h[1] >> 1) & 3) == 1 && (h[2] >> 4) != 15 && (h[2] >> 4) != 0;
}

Mp3InfoCounts ParseInfoFrame(const uint8_t* frame, size_t available) {
  Mp3InfoCounts counts;
  const bool mpeg1 = ((frame[1] >> 3) & 3) == 3;
  const bool mono = (frame[3] >> 6) == 3;
  const size_t sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  size_t pos = 4 + sideInfo;
  if (pos + 8 > available) return counts;
  if (std::memcmp(frame + pos, "Xing", 4) != 0 && std::memcmp(frame + pos, "Info", 4) != 0)
    return counts;
  counts.found = true;
  const uint32_t flags = AV_RB32(frame + pos + 4);
  pos += 8;
  if ((flags & 1) && pos + 4 <= available) {
    counts.hasFrames = true;
    counts.frames = AV_RB32(frame + pos);
  }
  if (flags & 1) pos += 4;
  if ((flags & 2) && pos + 4 <= available) {
    counts.hasBytes = true;
    counts.bytes = AV_RB32(frame + pos);
  }
  if (flags & 2) pos += 4;
  if (flags & 4) pos += 100;  // seek table
  if (flags & 8) pos += 4;    // quality
  if (pos + 24 > available) return counts;
  const uint8_t* lame = frame + pos;
  if (std::memcmp(lame, "LAME", 4) != 0 && std::memcmp(lame, "Lavf", 4) != 0 &&
      std::memcmp(lame, "Lavc", 4) != 0)
    return counts;
  const uint32_t delayAndPadding = AV_RB24(lame + 21);
  counts.padding = (delayAndPadding >> 12) + (delayAndPadding & 0xFFF);
  return counts;
}

// FFmpeg's WMA decoder yields one frame less than the packets hold (the first superframe
// only primes it); the frame length follows the WMA rules for the sample rate.
int64_t WmaFirstFrameShortfall(const AVCodecParameters& params) {
  const bool v1 = params.codec_id == AV_CODEC_ID_WMAV1;
  const int rate = params.sample_rate;
  if (rate <= 16000) return 512;
  if (rate <= 22050 || (rate <= 32000 && v1)) return 1024;
  return 2048;
}

}  // namespace

Mp3InfoCounts ReadMp3InfoCounts(const std::string& path) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return {};
  const long start = Id3v2Size(file.get());
  std::vector<uint8_t> bytes = ReadAt(file.get(), start, kSearchBytes + kInfoTagBytes);
  for (size_t i = 0; i + 4 <= bytes.size() && i < kSearchBytes; ++i) {
    if (!IsLayer3Header(&bytes[i])) continue;
    Mp3InfoCounts counts = ParseInfoFrame(&bytes[i], bytes.size() - i);
    counts.streamStart = start + static_cast<long>(i);
    return counts;
  }
  return {};
}

int64_t Mp3InfoTagPadding(const std::string& path) { return ReadMp3InfoCounts(path).padding; }

int64_t DecoderShortfall(const std::string& path, const AVCodecParameters& params) {
  switch (params.codec_id) {
    case AV_CODEC_ID_MP3:
      return Mp3InfoTagPadding(path);
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2:
      return WmaFirstFrameShortfall(params);
    default:
      return 0;
  }
}
