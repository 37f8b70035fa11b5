#include "engines/TruePeakMeter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engines/CpuClones.h"

// On x86-64 the hot loops are built for AVX2 (eight floats a step) and for the baseline (four).
#define VECTOR_CLONES CPU_CLONES("avx2", "default")

namespace {

constexpr int kPhases = TruePeakMeter::kPhases;
constexpr int kTaps = TruePeakMeter::kTaps;
// Frames measured at a time; the buffers stay within the first level cache.
constexpr size_t kStretch = 1024;
// Frames whose peak decides whether they need interpolating at all.
constexpr size_t kPart = 128;
// How far a float sum of 24 products can stray above the exact one, with room to spare.
constexpr double kRoundingMargin = 1 + 1e-5;
// The Kaiser window's shape: about 70 dB of stop band over 24 taps a phase.
constexpr double kKaiserBeta = 7.0;
constexpr double kPi = 3.14159265358979323846;

// The modified Bessel function of order 0, by its series.
double BesselI0(double x) {
  double sum = 1.0, term = 1.0;
  for (int k = 1; k < 30; ++k) {
    const double half = x / (2.0 * k);
    term *= half * half;
    sum += term;
  }
  return sum;
}

// Phase p interpolates p/4 of a sample past the centre of its taps: a sinc cut off at the
// source's Nyquist frequency under a Kaiser window, scaled to unit gain at 0 Hz.
struct PhaseTaps {
  float taps[kPhases][kTaps];
  // The largest sum of |taps| over the phases: the most an interpolated value can exceed the
  // largest sample under the taps.
  double largestGain;
};

PhaseTaps KaiserSincTaps() {
  PhaseTaps result{};
  const double halfLength = kTaps / 2.0;
  for (int p = 0; p < kPhases; ++p) {
    double row[kTaps];
    double sum = 0;
    for (int k = 0; k < kTaps; ++k) {
      const double t = (k - (halfLength - 1)) - static_cast<double>(p) / kPhases;
      const double sinc = t == 0 ? 1.0 : std::sin(kPi * t) / (kPi * t);
      const double r = t / halfLength;
      const double window = std::fabs(r) >= 1 ? 0 : BesselI0(kKaiserBeta * std::sqrt(1 - r * r));
      row[k] = sinc * window;
      sum += row[k];
    }
    for (int k = 0; k < kTaps; ++k) result.taps[p][k] = static_cast<float>(row[k] / sum);
  }
  result.largestGain = 0;
  for (int p = 1; p < kPhases; ++p) {
    double gain = 0;
    for (float tap : result.taps[p]) gain += std::fabs(static_cast<double>(tap));
    result.largestGain = std::max(result.largestGain, gain * kRoundingMargin);
  }
  return result;
}

const PhaseTaps& Taps() {
  static const PhaseTaps kPhaseTaps = KaiserSincTaps();
  return kPhaseTaps;
}

// Compared as bit patterns with the sign cleared, which order like the magnitudes they stand
// for; unlike a float comparison, that needs no assumptions about NaN to vectorise.
VECTOR_CLONES
float LargestMagnitude(const float* values, size_t count) {
  uint32_t largest = 0;
  for (size_t i = 0; i < count; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &values[i], sizeof bits);
    largest = std::max(largest, bits & 0x7fffffffu);
  }
  float magnitude;
  std::memcpy(&magnitude, &largest, sizeof magnitude);
  return magnitude;
}

// out[i] = Σ taps[k] · line[i + k]: tap by tap over the whole stretch, so that the inner loop
// is one multiply-add over consecutive samples.
VECTOR_CLONES
void Interpolate(const float* line, const float* taps, float* out, size_t count) {
  std::fill(out, out + count, 0.0f);
  for (int k = 0; k < kTaps; ++k) {
    const float tap = taps[k];
    const float* in = line + k;
    for (size_t i = 0; i < count; ++i) out[i] += tap * in[i];
  }
}

}  // namespace

const float* TruePeakMeter::PhaseTaps(int phase) { return Taps().taps[phase]; }

TruePeakMeter::TruePeakMeter(int channels)
    : channels_(channels),
      history_(static_cast<size_t>(std::max(channels, 0)), std::vector<float>(kTaps - 1, 0.0f)),
      line_(kTaps - 1 + kStretch),
      phase_(kStretch) {}

void TruePeakMeter::Add(const float* samples, size_t frames) {
  AddInterleaved(samples, frames, 1.0f);
}

void TruePeakMeter::Add(const int16_t* samples, size_t frames) {
  AddInterleaved(samples, frames, 1.0f / 32768.0f);
}

template <typename Sample>
void TruePeakMeter::AddInterleaved(const Sample* samples, size_t frames, float scale) {
  const size_t channels = static_cast<size_t>(channels_);
  for (size_t start = 0; start < frames; start += kStretch) {
    const size_t count = std::min(kStretch, frames - start);
    const Sample* first = samples + start * channels;
    for (size_t c = 0; c < channels; ++c) {
      float* fresh = line_.data() + kTaps - 1;
      for (size_t i = 0; i < count; ++i) fresh[i] = static_cast<float>(first[i * channels + c]) * scale;
      MeasureLine(static_cast<int>(c), count);
    }
  }
}

void TruePeakMeter::MeasureLine(int channel, size_t frames) {
  std::vector<float>& history = history_[static_cast<size_t>(channel)];
  std::copy(history.begin(), history.end(), line_.begin());
  samplePeak_ = std::max(samplePeak_, LargestMagnitude(line_.data() + kTaps - 1, frames));
  float peak = std::max(truePeak_, samplePeak_);
  for (size_t start = 0; start < frames; start += kPart) {
    const size_t count = std::min(kPart, frames - start);
    const float* line = line_.data() + start;
    // A part whose values between the samples cannot pass the peak found so far is skipped:
    // the result stays the same, and loud passages are rare.
    const double bound = LargestMagnitude(line, count + kTaps - 1) * Taps().largestGain;
    if (bound <= peak) continue;
    // Phase 0 falls on the samples themselves, whose peak is taken above.
    for (int p = 1; p < kPhases; ++p) {
      Interpolate(line, Taps().taps[p], phase_.data(), count);
      peak = std::max(peak, LargestMagnitude(phase_.data(), count));
    }
  }
  truePeak_ = peak;
  // The last samples of this stretch lead the next one.
  std::copy(line_.begin() + static_cast<std::ptrdiff_t>(frames),
            line_.begin() + static_cast<std::ptrdiff_t>(frames + kTaps - 1), history.begin());
}
