#include "engines/WavEncoder.h"

#include <cerrno>
#include <cstring>

#include "engines/EngineError.h"

namespace {

constexpr size_t kHeaderBytes = 44;

void PutLe16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(uint8_t* at, uint32_t value) {
  PutLe16(at, value & 0xFFFF);
  PutLe16(at + 2, value >> 16);
}

}  // namespace

std::unique_ptr<EncoderBackend> MakeWavEncoder(const WavSettings& settings) {
  return std::make_unique<WavEncoder>(settings);
}

WavEncoder::WavEncoder(const WavSettings& settings) : settings_(settings) {
  if (settings.sampleRate < 1000 || settings.sampleRate > 768000 || settings.channels < 1 ||
      settings.channels > 2 || (settings.bitsPerSample != 8 && settings.bitsPerSample != 16))
    throw EngineError("Unsupported WAV format: " + std::to_string(settings.sampleRate) + " Hz, " +
                      std::to_string(settings.channels) + " channels, " +
                      std::to_string(settings.bitsPerSample) + " bits");
}

WavEncoder::~WavEncoder() { CloseFile(); }

PcmFormat WavEncoder::InputFormat() const {
  PcmFormat format;
  format.sampleRate = settings_.sampleRate;
  format.channels = settings_.channels;
  return format;
}

void WavEncoder::Fail(const std::string& verb, int error) const {
  throw EngineError("Cannot " + verb + " " + path_ + ": " + std::strerror(error));
}

void WavEncoder::Open(const std::string& path) {
  CloseFile();
  path_ = path;
  dataBytes_ = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) Fail("create", errno);
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
  WriteHeader(0);
}

void WavEncoder::WriteHeader(uint32_t dataBytes) {
  const uint32_t blockAlign = settings_.channels * settings_.bitsPerSample / 8;
  const uint32_t pad = dataBytes & 1;  // RIFF chunks are padded to even length
  uint8_t header[kHeaderBytes];
  std::memcpy(header, "RIFF", 4);
  PutLe32(header + 4, static_cast<uint32_t>(kHeaderBytes - 8) + dataBytes + pad);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  PutLe32(header + 16, 16);
  PutLe16(header + 20, 1);  // PCM
  PutLe16(header + 22, settings_.channels);
  PutLe32(header + 24, settings_.sampleRate);
  PutLe32(header + 28, settings_.sampleRate * blockAlign);
  PutLe16(header + 32, blockAlign);
  PutLe16(header + 34, settings_.bitsPerSample);
  std::memcpy(header + 36, "data", 4);
  PutLe32(header + 40, dataBytes);
  WriteBytes(header, sizeof header);
}

void WavEncoder::WriteBytes(const void* bytes, size_t count) {
  if (std::fwrite(bytes, 1, count, file_) != count) Fail("write", errno ? errno : EIO);
}

void WavEncoder::Write(const int16_t* samples, size_t frames) {
  if (!file_) throw EngineError("Cannot write WAV data: no output file is open");
  const size_t count = frames * settings_.channels;
  const size_t bytes = count * settings_.bitsPerSample / 8;
  if (dataBytes_ + bytes > kMaxDataBytes)
    throw EngineError("Cannot write " + path_ + ": a WAV file cannot hold more than 4 GB of audio");
  if (settings_.bitsPerSample == 16 && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__) {
    WriteBytes(samples, bytes);
  } else {
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
    WriteBytes(scratch_.data(), bytes);
  }
  dataBytes_ += bytes;
}

void WavEncoder::Finish() {
  if (!file_) return;
  try {
    if (dataBytes_ & 1) WriteBytes("", 1);
    if (std::fseek(file_, 0, SEEK_SET) != 0) Fail("write", errno);
    WriteHeader(static_cast<uint32_t>(dataBytes_));
  } catch (...) {
    CloseFile();
    throw;
  }
  FILE* file = file_;
  file_ = nullptr;
  if (std::fclose(file) != 0) Fail("write", errno);
}

void WavEncoder::CloseFile() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}
