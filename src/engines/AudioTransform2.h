// Level normalisation of decoded PCM blocks, 16-bit or float.
#pragma once

#include "engines/AudioFile2.h"

class TAudioTransform2 {
 public:
  static constexpr int kAllChannels = -1;
  // The most a block is raised: +20 dB. Per-block normalising lifts whatever a block holds to
  // the target, so without a limit the noise floor of a pause or the ±1 LSB dither of digital
  // "silence" would come out near full scale. Twenty decibels still lifts a quiet passage
  // (peaks from −20 dBFS up reach the target) while the floor of 16-bit audio (−90 dBFS) stays
  // below −70 dBFS.
  static constexpr double kMaxGain = 10.0;

  // Scales the block so its largest sample magnitude over all channels becomes `percent` % of
  // full scale, raising it by kMaxGain at most. Lowering has no limit; nothing clips. A silent
  // block stays silent. In float blocks, samples that are not numbers count as silence and
  // infinities as the peak of the block. `channel` kAllChannels is the only one supported.
  // Throws EngineError for a level outside (0, 100] or another channel.
  void NormalizeBlock(ByteBlock& block, float percent, int channel,
                      SampleType type = SampleType::kS16);
  // Multiplies every sample by `gain` (a linear factor); 16-bit samples are rounded and held
  // within their range, float ones are left as they come out.
  void ApplyGain(ByteBlock& block, double gain, SampleType type = SampleType::kS16);
};
