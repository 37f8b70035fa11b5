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
// Frames whose samples decide together whether they need interpolating at all.
constexpr size_t kPart = 128;
static_assert(kPart >= kTaps - 1, "the samples under the taps span at most two parts");
// How far a float sum of 24 products can stray above the exact one, with room to spare.
constexpr double kRoundingMargin = 1 + 1e-5;
// The taps of a phase that estimate its values: the three on either side of the value.
constexpr int kCentralTaps = 6;
constexpr int kFirstCentral = kTaps / 2 - kCentralTaps / 2;
constexpr int kHalfCentral = kCentralTaps / 2;
// Room left for the rounding of a bound, relative to the largest sample under the taps.
constexpr double kBoundMargin = 1e-4;
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
  // The estimates of phases 1 to 3 from the central samples, in the terms of their sums and
  // differences about the centre, s[k] = x[k] + x[5-k] and d[k] = x[k] - x[5-k] (k < 3): phase
  // 2 is symmetric, Σ middle[k] s[k]; phase 3 mirrors phase 1, so with P = Σ even[k] s[k] and
  // M = Σ odd[k] d[k] they are P + M and P - M, and the larger magnitude of the two is
  // |P| + |M|.
  float middle[kHalfCentral], even[kHalfCentral], odd[kHalfCentral];
  // The largest sum over the phases of |tap - the estimate's factor| (0 beyond the central
  // taps): what the value can differ from the estimate, times the largest sample under them.
  double outerGain;
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
  const auto central = [&](int p, int k) -> double { return result.taps[p][kFirstCentral + k]; };
  for (int k = 0; k < kHalfCentral; ++k) {
    result.middle[k] = static_cast<float>((central(2, k) + central(2, kCentralTaps - 1 - k)) / 2);
    result.even[k] = static_cast<float>((central(1, k) + central(3, k)) / 2);
    result.odd[k] = static_cast<float>((central(1, k) - central(3, k)) / 2);
  }
  // The factors each phase's estimate applies to the central samples.
  double estimate[kPhases][kCentralTaps] = {};
  for (int k = 0; k < kHalfCentral; ++k) {
    const int mirror = kCentralTaps - 1 - k;
    estimate[2][k] = estimate[2][mirror] = result.middle[k];
    estimate[1][k] = estimate[3][mirror] = double{result.even[k]} + result.odd[k];
    estimate[3][k] = estimate[1][mirror] = double{result.even[k]} - result.odd[k];
  }
  result.largestGain = 0;
  result.outerGain = 0;
  for (int p = 1; p < kPhases; ++p) {
    double gain = 0, outerGain = 0;
    for (int k = 0; k < kTaps; ++k) {
      const double tap = result.taps[p][k];
      gain += std::fabs(tap);
      const int c = k - kFirstCentral;
      outerGain += std::fabs(tap - (c >= 0 && c < kCentralTaps ? estimate[p][c] : 0.0));
    }
    result.largestGain = std::max(result.largestGain, gain * kRoundingMargin);
    result.outerGain = std::max(result.outerGain, outerGain * (1 + kBoundMargin));
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

// Marks the values between the samples of `line` whose estimate from the central taps passes
// `limit`, for `count` values of each phase. Returns how many are marked.
CPU_CLONES("avx512f", "avx2", "default")
size_t MarkCandidates(const float* line, size_t count, float limit, int32_t* __restrict marks) {
  const PhaseTaps& taps = Taps();
  for (size_t j = 0; j < count; ++j) {
    const float* x = line + j + kFirstCentral;
    float middle = 0, even = 0, odd = 0;
    for (int k = 0; k < kHalfCentral; ++k) {
      const float sum = x[k] + x[kCentralTaps - 1 - k];
      const float difference = x[k] - x[kCentralTaps - 1 - k];
      middle += taps.middle[k] * sum;
      even += taps.even[k] * sum;
      odd += taps.odd[k] * difference;
    }
    const float largest = std::max(std::fabs(middle), std::fabs(even) + std::fabs(odd));
    marks[j] = !(largest <= limit);
  }
  size_t marked = 0;
  for (size_t j = 0; j < count; ++j) marked += marks[j];
  return marked;
}

// One value between the samples, summed in the same order as Interpolate sums it.
float ValueAt(const float* line, const float* taps) {
  float value = 0;
  for (int k = 0; k < kTaps; ++k) value += taps[k] * line[k];
  return value;
}

// Channel c of `count` interleaved frames, scaled; kChannels, when not 0, is `channels`.
template <size_t kChannels, typename Sample>
void TakeChannel(const Sample* frames, size_t channels, size_t c, size_t count, float scale,
                 float* out) {
  const size_t stride = kChannels ? kChannels : channels;
  for (size_t i = 0; i < count; ++i) out[i] = static_cast<float>(frames[i * stride + c]) * scale;
}

// Stereo, the usual case, in vectors as wide as the processor has.
VECTOR_CLONES
void TakeStereoChannel(const int16_t* frames, size_t c, size_t count, float scale, float* out) {
  TakeChannel<2>(frames, 2, c, count, scale, out);
}

VECTOR_CLONES
void TakeStereoChannel(const float* frames, size_t c, size_t count, float scale, float* out) {
  TakeChannel<2>(frames, 2, c, count, scale, out);
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
      // A stride known when compiling lets the copy run in vectors.
      if (channels == 1)
        TakeChannel<1>(first, 1, c, count, scale, fresh);
      else if (channels == 2)
        TakeStereoChannel(first, c, count, scale, fresh);
      else
        TakeChannel<0>(first, channels, c, count, scale, fresh);
      MeasureLine(static_cast<int>(c), count);
    }
  }
}

void TruePeakMeter::MeasureLine(int channel, size_t frames) {
  std::vector<float>& history = history_[static_cast<size_t>(channel)];
  std::copy(history.begin(), history.end(), line_.begin());
  // The samples under the taps of a part's values: the part's own and the 23 before them.
  float before = LargestMagnitude(line_.data(), kTaps - 1);
  float peak = std::max(truePeak_, samplePeak_);
  for (size_t start = 0; start < frames; start += kPart) {
    const size_t count = std::min(kPart, frames - start);
    const float* line = line_.data() + start;
    const float own = LargestMagnitude(line + kTaps - 1, count);
    samplePeak_ = std::max(samplePeak_, own);
    peak = MeasurePart(line, count, std::max(own, before), std::max(peak, samplePeak_));
    before = LargestMagnitude(line + count, kTaps - 1);
  }
  truePeak_ = peak;
  // The last samples of this stretch lead the next one.
  std::copy(line_.begin() + static_cast<std::ptrdiff_t>(frames),
            line_.begin() + static_cast<std::ptrdiff_t>(frames + kTaps - 1), history.begin());
}

// Values that cannot pass the peak found so far leave the result as it is, so only those that
// may are computed: none when even the largest sample times the filter's gain cannot, else
// those that the central taps' estimate marks, or the whole part when they are many.
float TruePeakMeter::MeasurePart(const float* line, size_t count, double largest, float peak) {
  if (largest * Taps().largestGain <= peak) return peak;
  int32_t marks[kPart];
  // What the other taps can add, and room for rounding.
  const auto limit = static_cast<float>(
      peak - (Taps().outerGain + kBoundMargin * Taps().largestGain) * largest);
  const size_t marked = MarkCandidates(line, count, limit, marks);
  if (marked > kPart / 8) {
    // Phase 0 falls on the samples themselves, whose peak is taken already.
    for (int p = 1; p < kPhases; ++p) {
      Interpolate(line, Taps().taps[p], phase_.data(), count);
      peak = std::max(peak, LargestMagnitude(phase_.data(), count));
    }
    return peak;
  }
  for (size_t j = 0; j < count && marked > 0; ++j)
    if (marks[j])
      for (int p = 1; p < kPhases; ++p)
        peak = std::max(peak, std::fabs(ValueAt(line + j, Taps().taps[p])));
  return peak;
}
