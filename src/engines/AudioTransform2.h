// Level normalisation of decoded 16-bit PCM blocks.
#pragma once

#include "engines/AudioFile2.h"

class TAudioTransform2 {
 public:
  static constexpr int kAllChannels = -1;

  // Scales the block so its largest sample magnitude over all channels becomes `percent` % of
  // full scale. A silent block stays silent; nothing clips. `channel` kAllChannels is the only one
  // supported. Throws EngineError for a level outside (0, 100] or another channel.
  void NormalizeBlock(ByteBlock& block, float percent, int channel);
};
