#include "engines/KWeightingFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "engines/CpuClones.h"

// Haswell's set brings fused multiply-adds, which halve the time of each step of a recursion;
// x86-64-v4 adds vectors of eight doubles for the numerator.
#define FILTER_CLONES CPU_CLONES("arch=x86-64-v4", "arch=haswell", "default")

namespace {

constexpr double kPi = 3.14159265358979323846;
// Filter states below this are cleared: far below anything audible, yet far enough above the
// subnormal range (1e-308) that no slowly decaying state reaches it within 100 ms.
constexpr double kSettled = 1e-150;
// Frames filtered at a time: their buffers stay within the first level cache.
constexpr size_t kChunk = 256;
constexpr size_t kLanes = 2;
constexpr size_t kReach = KWeightingFilter::kNumeratorTaps - 1;

using Lanes = double __attribute__((vector_size(16)));

Lanes Both(double value) { return Lanes{value, value}; }

// Lanes side by side in `history`: the last kReach inputs, oldest first.
template <typename Sample>
[[gnu::always_inline]] inline void Gather(const Sample* first, size_t frames, size_t stride,
                                          size_t secondOffset, double scale, double* in) {
  if (stride == kLanes && secondOffset == 1) {
    for (size_t i = 0; i < kLanes * frames; ++i) in[i] = static_cast<double>(first[i]) * scale;
    return;
  }
  for (size_t i = 0; i < frames; ++i) {
    in[kLanes * i] = static_cast<double>(first[i * stride]) * scale;
    in[kLanes * i + 1] = static_cast<double>(first[i * stride + secondOffset]) * scale;
  }
}

// The numerator of both biquads at once, over the lanes side by side: a sum over the last five
// inputs that does not depend on earlier outputs, so it runs as wide as the vectors go.
[[gnu::always_inline]] inline void Numerator(const double* in, size_t frames,
                                             const double (&taps)[kReach + 1], double* out) {
  for (size_t i = 0; i < kLanes * frames; ++i) {
    const double* x = in + i + kLanes * kReach;  // x[n], x[n-1] is kLanes before
    out[i] = taps[0] * x[0] + taps[1] * x[-2] + taps[2] * x[-4] + taps[3] * x[-6] +
             taps[4] * x[-8];
  }
}

// Both denominators over the numerator's output: each output subtracts the term of the
// previous output last, so that a recursion waits on one multiply-add per sample; the two
// recursions, and the two lanes, run beside each other. Returns the lanes' sums of squares.
[[gnu::always_inline]] inline Lanes Denominators(const double* numerator, size_t frames,
                                                 const KWeightingFilter::Biquad& shelf,
                                                 const KWeightingFilter::Biquad& highPass,
                                                 KWeightingFilter::ChannelPair& pair) {
  const Lanes shelfA1 = Both(shelf.a1), shelfA2 = Both(shelf.a2);
  const Lanes passA1 = Both(highPass.a1), passA2 = Both(highPass.a2);
  Lanes y1, y2, z1, z2;
  std::memcpy(&y1, pair.outputs[0], sizeof y1);
  std::memcpy(&y2, pair.outputs[1], sizeof y2);
  std::memcpy(&z1, pair.outputs[2], sizeof z1);
  std::memcpy(&z2, pair.outputs[3], sizeof z2);
  Lanes energy = {0, 0};
  for (size_t i = 0; i < frames; ++i) {
    Lanes v;
    std::memcpy(&v, numerator + kLanes * i, sizeof v);
    const Lanes y = v - shelfA2 * y2 - shelfA1 * y1;
    const Lanes z = y - passA2 * z2 - passA1 * z1;
    energy += z * z;
    y2 = y1, y1 = y, z2 = z1, z1 = z;
  }
  const Lanes rows[] = {y1, y2, z1, z2};
  for (size_t row = 0; row < 4; ++row)
    for (size_t lane = 0; lane < kLanes; ++lane)
      pair.outputs[row][lane] = std::fabs(rows[row][lane]) < kSettled ? 0.0 : rows[row][lane];
  return energy;
}

template <typename Sample>
[[gnu::always_inline]] inline Lanes FilterPair(const Sample* samples, size_t frames,
                                               size_t stride, double scale,
                                               const KWeightingFilter& filter,
                                               KWeightingFilter::ChannelPair& pair) {
  double in[kLanes * (kReach + kChunk)];
  double numerator[kLanes * kChunk];
  std::memcpy(in, pair.inputs, sizeof pair.inputs);
  const Sample* first = samples + pair.first;
  const auto secondOffset = static_cast<size_t>(pair.second - pair.first);
  Lanes energy = {0, 0};
  for (size_t done = 0; done < frames; done += kChunk) {
    const size_t count = std::min(kChunk, frames - done);
    Gather(first + done * stride, count, stride, secondOffset, scale, in + kLanes * kReach);
    Numerator(in, count, filter.Numerator(), numerator);
    energy += Denominators(numerator, count, filter.Shelf(), filter.HighPass(), pair);
    std::memmove(in, in + kLanes * count, sizeof pair.inputs);
  }
  std::memcpy(pair.inputs, in, sizeof pair.inputs);
  return energy;
}

FILTER_CLONES
Lanes FilterFloatPair(const float* samples, size_t frames, size_t stride,
                      const KWeightingFilter& filter, KWeightingFilter::ChannelPair& pair) {
  return FilterPair(samples, frames, stride, 1.0, filter, pair);
}

// 16-bit samples are scaled to full scale 1.0 as they come in (by a power of two: exact).
FILTER_CLONES
Lanes FilterShortPair(const int16_t* samples, size_t frames, size_t stride,
                      const KWeightingFilter& filter, KWeightingFilter::ChannelPair& pair) {
  return FilterPair(samples, frames, stride, 1.0 / 32768.0, filter, pair);
}

Lanes FilterChannelPair(const float* samples, size_t frames, size_t stride,
                        const KWeightingFilter& filter, KWeightingFilter::ChannelPair& pair) {
  return FilterFloatPair(samples, frames, stride, filter, pair);
}

Lanes FilterChannelPair(const int16_t* samples, size_t frames, size_t stride,
                        const KWeightingFilter& filter, KWeightingFilter::ChannelPair& pair) {
  return FilterShortPair(samples, frames, stride, filter, pair);
}

// Neighbouring channels go together (their samples sit side by side); the rest pair up in
// order, and an odd one out gets a pair of its own.
std::vector<KWeightingFilter::ChannelPair> PairUp(const std::vector<int>& measured) {
  std::vector<KWeightingFilter::ChannelPair> pairs;
  std::vector<size_t> left;
  for (size_t slot = 0; slot < measured.size(); ++slot) {
    if (slot + 1 < measured.size() && measured[slot + 1] == measured[slot] + 1) {
      KWeightingFilter::ChannelPair pair;
      pair.first = measured[slot], pair.second = measured[slot + 1];
      pair.firstSlot = slot, pair.secondSlot = ++slot;
      pairs.push_back(pair);
    } else {
      left.push_back(slot);
    }
  }
  for (size_t i = 0; i < left.size(); i += 2) {
    KWeightingFilter::ChannelPair pair;
    pair.single = i + 1 == left.size();
    pair.firstSlot = left[i], pair.secondSlot = pair.single ? left[i] : left[i + 1];
    pair.first = measured[pair.firstSlot], pair.second = measured[pair.secondSlot];
    pairs.push_back(pair);
  }
  return pairs;
}

}  // namespace

// The shelf and the high pass as BS.1770 gives them at 48 kHz, found again for any rate from
// their analogue prototypes (centre frequency, gain and Q) by the bilinear transform.
KWeightingFilter::Biquad KWeightingFilter::Shelf(int sampleRate) {
  const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
  const double k = std::tan(kPi * f0 / sampleRate);
  const double vh = std::pow(10.0, gainDb / 20.0);
  const double vb = std::pow(vh, 0.4996667741545416);
  const double a0 = 1.0 + k / q + k * k;
  return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
          2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

KWeightingFilter::Biquad KWeightingFilter::HighPass(int sampleRate) {
  const double f0 = 38.13547087602444, q = 0.5003270373238773;
  const double k = std::tan(kPi * f0 / sampleRate);
  const double a0 = 1.0 + k / q + k * k;
  return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

KWeightingFilter::KWeightingFilter(int sampleRate, int channels, const std::vector<int>& measured)
    : channels_(channels),
      shelf_(Shelf(sampleRate)),
      highPass_(HighPass(sampleRate)),
      pairs_(PairUp(measured)) {
  // The shelf's numerator times the high pass's 1, -2, 1.
  const double shelfTaps[] = {shelf_.b0, shelf_.b1, shelf_.b2};
  const double passTaps[] = {highPass_.b0, highPass_.b1, highPass_.b2};
  for (double& tap : numerator_) tap = 0;
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) numerator_[i + k] += shelfTaps[i] * passTaps[k];
}

void KWeightingFilter::Add(const float* samples, size_t frames, double* energies) {
  AddFrames(samples, frames, energies);
}

void KWeightingFilter::Add(const int16_t* samples, size_t frames, double* energies) {
  AddFrames(samples, frames, energies);
}

template <typename Sample>
void KWeightingFilter::AddFrames(const Sample* samples, size_t frames, double* energies) {
  if (frames == 0) return;
  for (ChannelPair& pair : pairs_) {
    const Lanes energy =
        FilterChannelPair(samples, frames, static_cast<size_t>(channels_), *this, pair);
    energies[pair.firstSlot] += energy[0];
    if (!pair.single) energies[pair.secondSlot] += energy[1];
  }
}
