#include "engines/AudioTransform2.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kFullScale16 = 32767.0;

int16_t SampleAt(const ByteBlock& block, size_t i) {
  return static_cast<int16_t>(block[2 * i] | (block[2 * i + 1] << 8));
}

void PutSample(ByteBlock& block, size_t i, int16_t value) {
  const uint16_t bits = static_cast<uint16_t>(value);
  block[2 * i] = static_cast<uint8_t>(bits);
  block[2 * i + 1] = static_cast<uint8_t>(bits >> 8);
}

double GainFor(double peak, double target) {
  return std::min(target / peak, TAudioTransform2::kMaxGain);
}

void Normalize16(ByteBlock& block, float percent) {
  const size_t count = block.size() / 2;
  int peak = 0;
  for (size_t i = 0; i < count; ++i) peak = std::max(peak, std::abs(int{SampleAt(block, i)}));
  if (peak == 0) return;

  const double target = std::floor(kFullScale16 * percent / 100.0);
  const double gain = GainFor(peak, target);
  for (size_t i = 0; i < count; ++i) {
    const double scaled = std::round(SampleAt(block, i) * gain);
    PutSample(block, i, static_cast<int16_t>(std::clamp(scaled, -target, target)));
  }
}

// Float blocks are native-endian floats, full scale ±1.0; samples beyond it are legal there
// and are brought down like any other peak.
void NormalizeFloat(ByteBlock& block, float percent) {
  const size_t count = block.size() / sizeof(float);
  std::vector<float> samples(count);
  if (count) std::memcpy(samples.data(), block.data(), count * sizeof(float));
  double peak = 0;
  for (float s : samples)
    if (!std::isnan(s)) peak = std::max(peak, std::fabs(static_cast<double>(s)));
  if (peak == 0) return;

  const double target = percent / 100.0;
  const double gain = std::isinf(peak) ? 0.0 : GainFor(peak, target);
  for (float& s : samples) {
    if (std::isnan(s)) s = 0.0f;
    else if (std::isinf(s)) s = static_cast<float>(std::copysign(target, s));
    else s = static_cast<float>(std::clamp(s * gain, -target, target));
  }
  if (count) std::memcpy(block.data(), samples.data(), count * sizeof(float));
}

}  // namespace

void TAudioTransform2::NormalizeBlock(ByteBlock& block, float percent, int channel,
                                      SampleType type) {
  if (!(percent > 0.0f && percent <= 100.0f))
    throw EngineError("Cannot normalise: level " + std::to_string(percent) +
                      " % is outside 0..100");
  if (channel != kAllChannels)
    throw EngineError("Cannot normalise: only all channels together (-1) are supported");
  if (type == SampleType::kFloat)
    NormalizeFloat(block, percent);
  else
    Normalize16(block, percent);
}

void TAudioTransform2::ApplyGain(ByteBlock& block, double gain, SampleType type) {
  if (type == SampleType::kFloat) {
    const size_t count = block.size() / sizeof(float);
    for (size_t i = 0; i < count; ++i) {
      float sample;
      std::memcpy(&sample, block.data() + i * sizeof(float), sizeof sample);
      sample = static_cast<float>(sample * gain);
      std::memcpy(block.data() + i * sizeof(float), &sample, sizeof sample);
    }
    return;
  }
  const size_t count = block.size() / 2;
  for (size_t i = 0; i < count; ++i) {
    const double scaled = std::round(SampleAt(block, i) * gain);
    PutSample(block, i, static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0)));
  }
}
