#include "engines/AudioTransform2.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kFullScale = 32767.0;

int16_t SampleAt(const ByteBlock& block, size_t i) {
  return static_cast<int16_t>(block[2 * i] | (block[2 * i + 1] << 8));
}

void PutSample(ByteBlock& block, size_t i, int16_t value) {
  const uint16_t bits = static_cast<uint16_t>(value);
  block[2 * i] = static_cast<uint8_t>(bits);
  block[2 * i + 1] = static_cast<uint8_t>(bits >> 8);
}

}  // namespace

void TAudioTransform2::NormalizeBlock(ByteBlock& block, float percent, int channel) {
  if (!(percent > 0.0f && percent <= 100.0f))
    throw EngineError("Cannot normalise: level " + std::to_string(percent) +
                      " % is outside 0..100");
  if (channel != kAllChannels)
    throw EngineError("Cannot normalise: only all channels together (-1) are supported");
  const size_t count = block.size() / 2;
  int peak = 0;
  for (size_t i = 0; i < count; ++i) peak = std::max(peak, std::abs(int{SampleAt(block, i)}));
  if (peak == 0) return;

  const double target = std::floor(kFullScale * percent / 100.0);
  const double gain = target / peak;
  for (size_t i = 0; i < count; ++i) {
    const double scaled = std::round(SampleAt(block, i) * gain);
    PutSample(block, i, static_cast<int16_t>(std::clamp(scaled, -target, target)));
  }
}
