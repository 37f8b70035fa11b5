#include "engines/WavHeaderCheck.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "engines/EngineError.h"
#include "engines/LibraryHandles.h"

namespace {

constexpr int kMaxChunks = 64;  // a WAV with more chunks before its data is not one we make sense of
constexpr uint32_t kSizeUnknown = 0xFFFFFFFF;  // streaming writers leave sizes at 0 or this
constexpr uint16_t kFormatPcm = 1, kFormatFloat = 3, kFormatExtensible = 0xFFFE;

uint32_t Le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

class WavChunkWalk {
 public:
  explicit WavChunkWalk(const std::string& path) : path_(path) {}

  // True when the data chunk is cut short.
  bool Run() {
    FileHandle file(std::fopen(path_.c_str(), "rb"));
    if (!file) return false;  // the demuxer has already reported unreadable files
    file_ = file.get();
    std::fseek(file_, 0, SEEK_END);
    fileSize_ = std::ftell(file_);
    uint8_t riff[12];
    if (!ReadAt(0, riff, sizeof riff)) Fail("the WAV header is cut off");
    long pos = 12;
    for (int chunk = 0; chunk < kMaxChunks; ++chunk) {
      uint8_t head[8];
      if (!ReadAt(pos, head, sizeof head)) Fail("the WAV file has no audio data chunk");
      const uint32_t size = Le(head + 4, 4);
      const long body = pos + 8;
      if (std::equal(head, head + 4, "data")) return CheckData(body, size);
      if (body + static_cast<int64_t>(size) > fileSize_)
        Fail("a WAV header chunk runs past the end of the file");
      if (std::equal(head, head + 4, "fmt ")) CheckFormat(body, size);
      pos = body + size + (size & 1);
    }
    Fail("the WAV file has no audio data chunk among its first chunks");
  }

 private:
  bool ReadAt(long offset, uint8_t* out, size_t count) {
    return std::fseek(file_, offset, SEEK_SET) == 0 && std::fread(out, 1, count, file_) == count;
  }

  void CheckFormat(long body, uint32_t size) {
    uint8_t f[16];
    if (size < sizeof f || !ReadAt(body, f, sizeof f)) Fail("the WAV format chunk is too short");
    const uint32_t tag = Le(f, 2), channels = Le(f + 2, 2), rate = Le(f + 4, 4);
    const uint32_t blockAlign = Le(f + 12, 2), bits = Le(f + 14, 2);
    if (tag != kFormatPcm && tag != kFormatFloat && tag != kFormatExtensible) return;
    if (channels == 0 || rate == 0 || bits == 0)
      Fail("the WAV header gives no channels, sample rate or sample size");
    if (blockAlign != channels * ((bits + 7) / 8))
      Fail("the WAV header's block size " + std::to_string(blockAlign) + " does not fit " +
           std::to_string(channels) + " channels of " + std::to_string(bits) + " bits");
  }

  bool CheckData(long body, uint32_t size) const {
    if (size == 0 || size == kSizeUnknown) return false;  // read to the end, as written
    // One byte short is the pad byte some writers omit.
    return static_cast<int64_t>(size) > fileSize_ - body + 1;
  }

  [[noreturn]] void Fail(const std::string& reason) const {
    throw EngineError("Cannot open " + path_ + ": " + reason);
  }

  std::string path_;
  FILE* file_ = nullptr;
  int64_t fileSize_ = 0;
};

}  // namespace

bool CheckWavHeader(const std::string& path) { return WavChunkWalk(path).Run(); }
