// RIFF/WAVE output: 8-bit unsigned, 16- or 24-bit signed PCM, or 32-bit IEEE float, 1 to
// kMaxChannels channels. Up to two channels of 8 or 16 bits get the classic 44-byte header;
// more channels or bits get WAVE_FORMAT_EXTENSIBLE, as readers expect for those, with no speaker
// positions named (mask 0): blocks carry a channel count, not a layout. Float files carry the
// fact chunk that non-PCM WAVs need. The header is written with zero sizes first and patched
// when the file is finished.
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

  // RIFF sizes are 32-bit: the audio data may not grow past this (the classic header's limit;
  // the longer headers lower it by a few bytes).
  static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36 - 1;

 private:
  void StartOutput() override;
  void Encode(const int16_t* samples, size_t frames) override;
  // 24-bit and float outputs take float samples.
  void EncodeFloat(const float* samples, size_t frames) override;
  void CompleteOutput() override;
  void DropOutput() noexcept override { file_.Abandon(); }

  bool Extensible() const;
  size_t BlockAlign() const;
  void AppendData(const void* bytes, size_t count);
  std::vector<uint8_t> Header(uint32_t dataBytes) const;

  WavSettings settings_;
  EncoderOutputFile file_;
  uint64_t dataBytes_ = 0;
  uint64_t maxDataBytes_ = kMaxDataBytes;
  std::vector<uint8_t> scratch_;
};
