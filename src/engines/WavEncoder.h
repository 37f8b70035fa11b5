// RIFF/WAVE output: 8-bit unsigned, 16- or 24-bit signed PCM, or 32-bit IEEE float, 1 to
// kMaxChannels channels. Up to two channels of 8 or 16 bits get the classic 44-byte header;
// more channels or bits get WAVE_FORMAT_EXTENSIBLE, as readers expect for those, with no speaker
// positions named (mask 0): blocks carry a channel count, not a layout. Float files carry the
// fact chunk that non-PCM WAVs need. The header is written with zero sizes first and patched
// when the file is finished, or when the program ends at once in the
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

  // RIFF sizes are 32-bit: the audio data may not grow past this (the classic header's limit;
  // the longer headers lower it by a few bytes).
  static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36 - 1;

 private:
  void StartOutput() override;
  void Encode(const int16_t* samples, size_t frames) override;
  // 24-bit and float outputs take float samples.
  void EncodeFloat(const float* samples, size_t frames) override;
  void CompleteOutput() override;
  void DropOutput() noexcept override;
  void SealForExit() noexcept override;

  bool Extensible() const;
  size_t BlockAlign() const;
  void AppendData(const void* bytes, size_t count);
  std::vector<uint8_t> Header(uint32_t dataBytes) const;
  // Pads the data to even length and puts its size into the header.
  void WriteSizes();

  WavSettings settings_;
  // Held while the file is written to, so a sealing thread never sees half a block.
  std::mutex fileLock_;
  EncoderOutputFile file_;
  uint64_t dataBytes_ = 0;
  uint64_t maxDataBytes_ = kMaxDataBytes;
  std::vector<uint8_t> scratch_;
};
