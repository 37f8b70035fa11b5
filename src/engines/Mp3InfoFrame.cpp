#include "engines/Mp3InfoFrame.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kMono = 3;
constexpr size_t kTocEntries = 100;
constexpr size_t kXingFieldsBytes = 4 + 4 + 4 + 4 + kTocEntries + 4;  // id, flags, frames, bytes, TOC, quality
constexpr size_t kLameExtensionBytes = 36;
constexpr uint32_t kXingFlags = 1 | 2 | 4 | 8;  // frames, bytes, TOC, quality

// Header bit rates by index; MPEG-2 and 2.5 share one table.
constexpr int kMpeg1Kbps[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kMpeg2Kbps[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

struct RateCode {
  int versionBits;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  int rateIndex;
};

RateCode CodeFor(int sampleRate) {
  switch (sampleRate) {
    case 44100: return {3, 0};
    case 48000: return {3, 1};
    case 32000: return {3, 2};
    case 22050: return {2, 0};
    case 24000: return {2, 1};
    case 16000: return {2, 2};
    case 11025: return {0, 0};
    case 12000: return {0, 1};
    case 8000: return {0, 2};
    default: return {-1, -1};
  }
}

bool IsMpeg1(int sampleRate) { return sampleRate >= 32000; }

size_t FrameBytes(int sampleRate, int kbps) {
  return static_cast<size_t>((IsMpeg1(sampleRate) ? 144000 : 72000) * kbps / sampleRate);
}

// The tag starts where the side information of an audio frame would end.
size_t XingOffset(int sampleRate, int channelMode) {
  const bool mono = channelMode == kMono;
  return 4 + (IsMpeg1(sampleRate) ? (mono ? 17 : 32) : (mono ? 9 : 17));
}

size_t BytesNeeded(int sampleRate, int channelMode) {
  return XingOffset(sampleRate, channelMode) + kXingFieldsBytes + kLameExtensionBytes;
}

const std::array<uint16_t, 256>& CrcTable() {
  static const std::array<uint16_t, 256> table = [] {
    std::array<uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
      unsigned crc = i;
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
      t[i] = static_cast<uint16_t>(crc);
    }
    return t;
  }();
  return table;
}

class ByteWriter {
 public:
  ByteWriter(std::vector<uint8_t>& bytes, size_t at) : bytes_(bytes), at_(at) {}
  void U8(unsigned v) { bytes_[at_++] = static_cast<uint8_t>(v); }
  void U16(unsigned v) { U8(v >> 8), U8(v); }
  void U24(uint32_t v) { U8(v >> 16), U16(v & 0xFFFF); }
  void U32(uint32_t v) { U16(v >> 16), U16(v & 0xFFFF); }
  void Text(const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) U8(i < text.size() ? static_cast<uint8_t>(text[i]) : ' ');
  }
  void Skip(size_t n) { at_ += n; }
  size_t At() const { return at_; }

 private:
  std::vector<uint8_t>& bytes_;
  size_t at_;
};

unsigned Clamp(int value, int high) { return static_cast<unsigned>(std::clamp(value, 0, high)); }

// Source rate class of the misc byte: up to 32 kHz, 44.1, 48, above.
unsigned SourceRateCode(int sampleRate) {
  if (sampleRate <= 32000) return 0;
  return sampleRate == 44100 ? 1 : 2;
}

// Stereo mode of the misc byte: mono, stereo, dual channel, joint stereo.
unsigned StereoModeCode(int channelMode) {
  static const unsigned codes[4] = {1, 3, 2, 0};
  return codes[channelMode & 3];
}

void WriteXingFields(ByteWriter& out, const Mp3InfoFields& f) {
  out.Text("Info", 4);
  out.U32(kXingFlags);
  out.U32(f.audioFrames);
  out.U32(f.streamBytes);
  // Constant rate: the file position grows evenly with time.
  for (size_t i = 0; i < kTocEntries; ++i) out.U8(static_cast<unsigned>(i * 256 / kTocEntries));
  out.U32(Clamp(f.quality, 100));
}

void WriteLameExtension(ByteWriter& out, const Mp3InfoFields& f, int sampleRate, int channelMode) {
  out.Text("LAME" + f.encoderVersion, 9);
  out.U8(1);  // revision 0, constant bit rate
  out.U8(Clamp((f.lowpassHz + 50) / 100, 255));
  out.Skip(4 + 2 + 2);  // peak amplitude and replay gains: not measured
  out.U8(0x10 | Clamp(f.athType, 15));  // psychoacoustic tuning on, no gapless neighbours
  out.U8(Clamp(f.bitRateKbps, 255));
  out.U24((Clamp(f.encoderDelay, 0xFFF) << 12) | Clamp(f.encoderPadding, 0xFFF));
  out.U8((SourceRateCode(sampleRate) << 6) | (StereoModeCode(channelMode) << 2));
  out.U8(0);  // no MP3 gain applied
  out.U16(Clamp(f.bitRateKbps, 0x7FF));  // preset field: the constant rate, as lame records it
  out.U32(f.streamBytes);
  out.U16(f.musicCrc);
}

}  // namespace

uint16_t Mp3TagCrc16(const uint8_t* data, size_t size, uint16_t crc) {
  const auto& table = CrcTable();
  for (size_t i = 0; i < size; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
  return crc;
}

Mp3InfoFrame::Mp3InfoFrame(int sampleRate, int channelMode)
    : sampleRate_(sampleRate), channelMode_(channelMode & 3) {
  if (CodeFor(sampleRate).versionBits < 0) return;
  const int* kbps = IsMpeg1(sampleRate) ? kMpeg1Kbps : kMpeg2Kbps;
  for (int index = 1; index < 15; ++index) {
    if (FrameBytes(sampleRate, kbps[index]) >= BytesNeeded(sampleRate, channelMode_)) {
      bitRateIndex_ = index;
      frameBytes_ = FrameBytes(sampleRate, kbps[index]);
      return;
    }
  }
}

bool Mp3InfoFrame::FitsInFrameOf(int sampleRate, int channelMode, int bitRateKbps) {
  if (CodeFor(sampleRate).versionBits < 0) return false;
  return FrameBytes(sampleRate, bitRateKbps) >= BytesNeeded(sampleRate, channelMode & 3);
}

std::vector<uint8_t> Mp3InfoFrame::Build(const Mp3InfoFields& fields) const {
  std::vector<uint8_t> frame(frameBytes_, 0);
  if (!Valid()) return frame;
  const RateCode code = CodeFor(sampleRate_);
  ByteWriter out(frame, 0);
  out.U8(0xFF);
  out.U8(0xE0 | (code.versionBits << 3) | (1 << 1) | 1);  // Layer III, no CRC
  out.U8((bitRateIndex_ << 4) | (code.rateIndex << 2));  // no padding slot
  out.U8((channelMode_ << 6) | 0x04);                    // original
  ByteWriter tag(frame, XingOffset(sampleRate_, channelMode_));
  WriteXingFields(tag, fields);
  WriteLameExtension(tag, fields, sampleRate_, channelMode_);
  tag.U16(Mp3TagCrc16(frame.data(), tag.At()));
  return frame;
}
