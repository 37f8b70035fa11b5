#include "engines/WavEncoder.h"

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

WavEncoder::WavEncoder(const WavSettings& settings)
    : EncoderBase("WAV", {settings.sampleRate, settings.channels}), settings_(settings) {
  if (settings.sampleRate < 1000 || settings.sampleRate > 768000 || settings.channels < 1 ||
      settings.channels > 2 || (settings.bitsPerSample != 8 && settings.bitsPerSample != 16))
    throw EngineError("Unsupported WAV format: " + std::to_string(settings.sampleRate) + " Hz, " +
                      std::to_string(settings.channels) + " channels, " +
                      std::to_string(settings.bitsPerSample) + " bits");
}

void WavEncoder::StartOutput() {
  {
    std::lock_guard<std::mutex> guard(fileLock_);
    dataBytes_ = 0;
    file_.Create(Path());
    const std::vector<uint8_t> header = Header(0);
    file_.Append(header.data(), header.size());
  }
  unfinished_outputs::Add(this);
}

std::vector<uint8_t> WavEncoder::Header(uint32_t dataBytes) const {
  const uint32_t blockAlign = settings_.channels * settings_.bitsPerSample / 8;
  const uint32_t pad = dataBytes & 1;  // RIFF chunks are padded to even length
  std::vector<uint8_t> header(kHeaderBytes);
  uint8_t* h = header.data();
  std::memcpy(h, "RIFF", 4);
  PutLe32(h + 4, static_cast<uint32_t>(kHeaderBytes - 8) + dataBytes + pad);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLe32(h + 16, 16);
  PutLe16(h + 20, 1);  // PCM
  PutLe16(h + 22, settings_.channels);
  PutLe32(h + 24, settings_.sampleRate);
  PutLe32(h + 28, settings_.sampleRate * blockAlign);
  PutLe16(h + 32, blockAlign);
  PutLe16(h + 34, settings_.bitsPerSample);
  std::memcpy(h + 36, "data", 4);
  PutLe32(h + 40, dataBytes);
  return header;
}

void WavEncoder::Encode(const int16_t* samples, size_t frames) {
  std::lock_guard<std::mutex> guard(fileLock_);
  const size_t count = frames * settings_.channels;
  const size_t bytes = count * settings_.bitsPerSample / 8;
  if (dataBytes_ + bytes > kMaxDataBytes) FailWrite("a WAV file cannot hold more than 4 GB of audio");
  if (settings_.bitsPerSample == 16 && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__) {
    file_.Append(samples, bytes);
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
    file_.Append(scratch_.data(), bytes);
  }
  dataBytes_ += bytes;
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
