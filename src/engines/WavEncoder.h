// PCM RIFF/WAVE output, 8-bit unsigned or 16-bit signed. The header is written with zero
// sizes first and patched when the file is finished.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engines/EncoderBase.h"
#include "engines/EncoderOutputFile.h"

class WavEncoder final : public EncoderBase {
 public:
  // Throws EngineError for a format RIFF PCM cannot hold.
  explicit WavEncoder(const WavSettings& settings);
  ~WavEncoder() override { FinishQuietly(); }

  // RIFF sizes are 32-bit: the audio data may not grow past this.
  static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36 - 1;

 private:
  void StartOutput() override;
  void Encode(const int16_t* samples, size_t frames) override;
  void CompleteOutput() override;
  void DropOutput() noexcept override { file_.Abandon(); }

  std::vector<uint8_t> Header(uint32_t dataBytes) const;

  WavSettings settings_;
  EncoderOutputFile file_;
  uint64_t dataBytes_ = 0;
  std::vector<uint8_t> scratch_;
};
