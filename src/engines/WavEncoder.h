// PCM RIFF/WAVE output, 8-bit unsigned or 16-bit signed. The header is written with zero
// sizes first and patched when the file is finished.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engines/EncoderBackend.h"

class WavEncoder : public EncoderBackend {
 public:
  // Throws EngineError for a format RIFF PCM cannot hold.
  explicit WavEncoder(const WavSettings& settings);
  ~WavEncoder() override;

  PcmFormat InputFormat() const override;
  void Open(const std::string& path) override;
  void Write(const int16_t* samples, size_t frames) override;
  void Finish() override;

  // RIFF sizes are 32-bit: the audio data may not grow past this.
  static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36 - 1;

 private:
  void WriteHeader(uint32_t dataBytes);
  void WriteBytes(const void* bytes, size_t count);
  void CloseFile();
  [[noreturn]] void Fail(const std::string& verb, int error) const;

  WavSettings settings_;
  std::string path_;
  FILE* file_ = nullptr;
  uint64_t dataBytes_ = 0;
  std::vector<uint8_t> scratch_;
};
