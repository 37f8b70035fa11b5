#include "engines/WavEncoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engines/EngineError.h"

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The tail every WAVE_FORMAT_EXTENSIBLE sub-format GUID shares after its 16-bit format code.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

void PutLe16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

bool ValidBits(int bits) { return bits == 8 || bits == 16 || bits == 24 || bits == kWavFloatBits; }

SampleType InputTypeFor(int bits) { return bits > 16 ? SampleType::kFloat : SampleType::kS16; }

}  // namespace

std::unique_ptr<EncoderBackend> MakeWavEncoder(const WavSettings& settings) {
  return std::make_unique<WavEncoder>(settings);
}

WavEncoder::WavEncoder(const WavSettings& settings)
    : EncoderBase("WAV",
                  {settings.sampleRate, settings.channels, InputTypeFor(settings.bitsPerSample)}),
      settings_(settings) {
  if (settings.sampleRate < 1000 || settings.sampleRate > 768000 || settings.channels < 1 ||
      settings.channels > kMaxChannels || !ValidBits(settings.bitsPerSample))
    throw EngineError("Unsupported WAV format: " + std::to_string(settings.sampleRate) + " Hz, " +
                      std::to_string(settings.channels) + " channels, " +
                      std::to_string(settings.bitsPerSample) + " bits");
}

bool WavEncoder::Extensible() const {
  return settings_.channels > 2 || settings_.bitsPerSample > 16;
}

size_t WavEncoder::BlockAlign() const {
  return static_cast<size_t>(settings_.channels) * settings_.bitsPerSample / 8;
}

void WavEncoder::StartOutput() {
  {
    std::lock_guard<std::mutex> guard(fileLock_);
    dataBytes_ = 0;
    file_.Create(Path());
    const std::vector<uint8_t> header = Header(0);
    file_.Append(header.data(), header.size());
    maxDataBytes_ = kMaxDataBytes - (header.size() - 44);
  }
  unfinished_outputs::Add(this);
}

std::vector<uint8_t> WavEncoder::Header(uint32_t dataBytes) const {
  const bool isFloat = settings_.bitsPerSample == kWavFloatBits;
  const uint16_t formatCode = isFloat ? kFormatFloat : kFormatPcm;
  const uint32_t blockAlign = static_cast<uint32_t>(BlockAlign());
  std::vector<uint8_t> fmt;
  PutLe16(fmt, Extensible() ? kFormatExtensible : formatCode);
  PutLe16(fmt, settings_.channels);
  PutLe32(fmt, settings_.sampleRate);
  PutLe32(fmt, settings_.sampleRate * blockAlign);
  PutLe16(fmt, blockAlign);
  PutLe16(fmt, settings_.bitsPerSample);
  if (Extensible()) {
    PutLe16(fmt, 22);                      // extension size
    PutLe16(fmt, settings_.bitsPerSample);  // valid bits: all of them
    PutLe32(fmt, 0);                       // no speaker positions named
    PutLe16(fmt, formatCode);
    fmt.insert(fmt.end(), std::begin(kSubFormatTail), std::end(kSubFormatTail));
  }

  std::vector<uint8_t> chunks;
  PutTag(chunks, "fmt ");
  PutLe32(chunks, static_cast<uint32_t>(fmt.size()));
  chunks.insert(chunks.end(), fmt.begin(), fmt.end());
  if (isFloat) {
    PutTag(chunks, "fact");
    PutLe32(chunks, 4);
    PutLe32(chunks, dataBytes / blockAlign);
  }
  PutTag(chunks, "data");
  PutLe32(chunks, dataBytes);

  const uint32_t pad = dataBytes & 1;  // RIFF chunks are padded to even length
  std::vector<uint8_t> header;
  PutTag(header, "RIFF");
  PutLe32(header, static_cast<uint32_t>(4 + chunks.size()) + dataBytes + pad);
  PutTag(header, "WAVE");
  header.insert(header.end(), chunks.begin(), chunks.end());
  return header;
}

void WavEncoder::AppendData(const void* bytes, size_t count) {
  if (dataBytes_ + count > maxDataBytes_)
    FailWrite("a WAV file cannot hold more than 4 GB of audio");
  file_.Append(bytes, count);
  dataBytes_ += count;
}

void WavEncoder::Encode(const int16_t* samples, size_t frames) {
  std::lock_guard<std::mutex> guard(fileLock_);
  const size_t count = frames * settings_.channels;
  const size_t bytes = count * settings_.bitsPerSample / 8;
  if (settings_.bitsPerSample == 16 && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__)
    return AppendData(samples, bytes);
  scratch_.resize(bytes);
  if (settings_.bitsPerSample == 8) {
    for (size_t i = 0; i < count; ++i)
      scratch_[i] = static_cast<uint8_t>((samples[i] >> 8) + 128);
  } else {
    for (size_t i = 0; i < count; ++i) {
      const uint16_t s = static_cast<uint16_t>(samples[i]);
      scratch_[2 * i] = static_cast<uint8_t>(s);
      scratch_[2 * i + 1] = static_cast<uint8_t>(s >> 8);
    }
  }
  AppendData(scratch_.data(), bytes);
}

void WavEncoder::EncodeFloat(const float* samples, size_t frames) {
  std::lock_guard<std::mutex> guard(fileLock_);
  const size_t count = frames * settings_.channels;
  const size_t width = static_cast<size_t>(settings_.bitsPerSample) / 8;
  scratch_.resize(count * width);
  uint8_t* out = scratch_.data();
  for (size_t i = 0; i < count; ++i, out += width) {
    uint32_t bits;
    if (settings_.bitsPerSample == kWavFloatBits) {
      std::memcpy(&bits, &samples[i], 4);
    } else {  // 24-bit: full scale is 2^23, and the positive side ends one step short of it
      double scaled = std::nearbyint(static_cast<double>(samples[i]) * 8388608.0);
      if (std::isnan(scaled)) scaled = 0;
      bits = static_cast<uint32_t>(static_cast<int32_t>(std::clamp(scaled, -8388608.0, 8388607.0)));
    }
    for (size_t b = 0; b < width; ++b) out[b] = static_cast<uint8_t>(bits >> (8 * b));
  }
  AppendData(scratch_.data(), scratch_.size());
}

void WavEncoder::WriteSizes() {
  if (dataBytes_ & 1) file_.Append("", 1);
  const std::vector<uint8_t> header = Header(static_cast<uint32_t>(dataBytes_));
  file_.OverwriteAt(0, header.data(), header.size());
}

void WavEncoder::CompleteOutput() {
  std::lock_guard<std::mutex> guard(fileLock_);
  WriteSizes();
  file_.Close();
}

// Leaves the register first: once out of it, no sealing thread can be using the file.
void WavEncoder::DropOutput() noexcept {
  unfinished_outputs::Remove(this);
  file_.Abandon();
}

void WavEncoder::SealForExit() noexcept {
  fileLock_.lock();  // kept: the process ends with the file as sealed here
  if (!file_.IsOpen()) return;
  try {
    WriteSizes();  // seeking flushes the buffered data, then the header
  } catch (...) {
    // A disk that refuses the header now refused the data too; nothing better can be done.
  }
}
