#include "engines/OggChains.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engines/LibraryHandles.h"

namespace {

constexpr size_t kPageHeaderBytes = 27;
constexpr size_t kIdentBytes = 40;  // enough of a first packet to tell the codec and rate
constexpr uint8_t kBeginOfStream = 0x02, kEndOfStream = 0x04;
constexpr int64_t kNoGranule = -1;

uint32_t Le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

struct AudioStream {
  bool found = false;
  const char* codec = "";
  uint32_t serial = 0;
  int rate = 0;
  int64_t preSkip = 0;     // Opus: samples the decoder drops at the start
  int64_t lastGranule = kNoGranule;
  bool ended = false;
};

// Codec and rate from the first packet of a stream; false when it is not an audio codec.
bool IdentifyAudio(const uint8_t* p, size_t n, AudioStream& s) {
  if (n >= 16 && std::memcmp(p, "\x01vorbis", 7) == 0) {
    s.codec = "Vorbis";
    s.rate = static_cast<int>(Le(p + 12, 4));
  } else if (n >= 12 && std::memcmp(p, "OpusHead", 8) == 0) {
    s.codec = "Opus";
    s.rate = 48000;  // Opus granules always count 48 kHz samples
    s.preSkip = Le(p + 10, 2);
  } else if (n >= 40 && std::memcmp(p, "Speex   ", 8) == 0) {
    s.codec = "Speex";
    s.rate = static_cast<int>(Le(p + 36, 4));
  } else if (n >= 30 && std::memcmp(p, "\x7F" "FLAC", 5) == 0) {
    s.codec = "FLAC";
    const uint8_t* info = p + 17;  // STREAMINFO, after the mapping header and "fLaC"
    s.rate = static_cast<int>((info[10] << 12) | (info[11] << 4) | (info[12] >> 4));
  } else {
    return false;
  }
  return s.rate > 0;
}

class PageWalk {
 public:
  PageWalk(const std::string& path, int rate) : file_(std::fopen(path.c_str(), "rb")), rate_(rate) {}

  OggChains Run() {
    if (!file_ || rate_ <= 0 || std::fseek(file_.get(), 0, SEEK_END) != 0) return result_;
    fileSize_ = std::ftell(file_.get());
    long pos = 0;
    for (uint8_t h[kPageHeaderBytes]; ReadAt(pos, h, sizeof h) && std::memcmp(h, "OggS", 4) == 0;) {
      uint8_t lacing[255];
      const size_t segments = h[26];
      if (!ReadAt(pos + kPageHeaderBytes, lacing, segments)) break;
      size_t body = 0;
      for (size_t i = 0; i < segments; ++i) body += lacing[i];
      const long bodyAt = pos + static_cast<long>(kPageHeaderBytes + segments);
      if (!Page(h, pos, bodyAt, body)) break;
      pos = bodyAt + static_cast<long>(body);
    }
    CloseChain();
    return result_;
  }

 private:
  bool ReadAt(long offset, uint8_t* out, size_t count) {
    return std::fseek(file_.get(), offset, SEEK_SET) == 0 &&
           std::fread(out, 1, count, file_.get()) == count;
  }

  // False when the walk ends here: the page body runs past the end of the file (a cut-off
  // last page), or this page begins a chain of another codec.
  bool Page(const uint8_t* h, long pos, long bodyAt, size_t body) {
    const uint8_t flags = h[5];
    const int64_t granule = static_cast<int64_t>(Le(h + 6, 4) | (static_cast<uint64_t>(Le(h + 10, 4)) << 32));
    const uint32_t serial = Le(h + 14, 4);
    if (flags & kBeginOfStream) {
      if (!inHeaders_) {  // a new group of first pages: the next chain
        CloseChain();
        chainStart_ = pos;
      }
      inHeaders_ = true;
      uint8_t ident[kIdentBytes] = {};
      const size_t n = std::min(body, sizeof ident);
      if (!audio_.found && ReadAt(bodyAt, ident, n) && IdentifyAudio(ident, n, audio_)) {
        audio_.found = true;
        audio_.serial = serial;
        return !CodecChanges();
      }
      return true;
    }
    inHeaders_ = false;
    if (bodyAt + static_cast<long>(body) > fileSize_) return false;  // a page counts only whole
    if (audio_.found && serial == audio_.serial) {
      if (granule != kNoGranule) audio_.lastGranule = granule;
      if (flags & kEndOfStream) audio_.ended = true;
    }
    return true;
  }

  bool CodecChanges() {
    if (result_.chains == 0 || result_.codec == audio_.codec) return false;
    result_.nextCodec = audio_.codec;
    result_.codecChangeAt = chainStart_;
    audio_ = AudioStream{};  // not counted
    return true;
  }

  void CloseChain() {
    if (audio_.found) {
      if (result_.chains++ == 0) result_.codec = audio_.codec;
      result_.ended = audio_.ended;
      const int64_t samples = audio_.lastGranule - audio_.preSkip;
      if (samples > 0) {
        result_.anyAudio = true;
        result_.frames += samples * rate_ / audio_.rate;
      }
    }
    audio_ = AudioStream{};
  }

  FileHandle file_;
  int rate_;
  long fileSize_ = 0;
  bool inHeaders_ = false;
  long chainStart_ = 0;
  AudioStream audio_;
  OggChains result_;
};

}  // namespace

OggChains ScanOggChains(const std::string& path, int rate) { return PageWalk(path, rate).Run(); }
