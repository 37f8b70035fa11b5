#include "engines/AudioTransform2.h"

void TAudioTransform2::NormalizeBlock(ByteBlock&, float, int) {}
