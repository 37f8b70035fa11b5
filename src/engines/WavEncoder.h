// PCM RIFF/WAVE output, 8-bit unsigned or 16-bit signed. The header is written with zero
// sizes first and patched when the file is finished, or when the program ends at once in the
// middle of the file (UnfinishedOutputs.h).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engines/EncoderBase.h"
#include "engines/EncoderOutputFile.h"
#include "engines/UnfinishedOutputs.h"

class WavEncoder final : public EncoderBase, private SealableOutput {
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
  void DropOutput() noexcept override;
  void SealForExit() noexcept override;

  std::vector<uint8_t> Header(uint32_t dataBytes) const;
  // Pads the data to even length and puts its size into the header.
  void WriteSizes();

  WavSettings settings_;
  // Held while the file is written to, so a sealing thread never sees half a block.
  std::mutex fileLock_;
  EncoderOutputFile file_;
  uint64_t dataBytes_ = 0;
  std::vector<uint8_t> scratch_;
};
