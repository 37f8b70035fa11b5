// Level normalisation of decoded 16-bit PCM blocks.
#pragma once

#include "engines/AudioFile2.h"

class TAudioTransform2 {
 public:
  // Scales the block so its largest sample magnitude over all channels becomes `percent` % of
  // full scale. A silent block stays silent; nothing clips. `channel` -1 means all channels.
  // Throws EngineError for a level outside (0, 100] or a channel other than -1.
  void NormalizeBlock(ByteBlock& block, float percent, int channel);
};
