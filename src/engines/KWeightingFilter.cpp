#include "engines/KWeightingFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engines/CpuClones.h"

// Haswell's set brings fused multiply-adds, which halve the time of each step of a recursion;
// x86-64-v4 adds vectors of eight doubles for the numerator.
#define FILTER_CLONES CPU_CLONES("arch=x86-64-v4", "arch=haswell", "default")

namespace {

constexpr double kPi = 3.14159265358979323846;
// Filter states below this are cleared: far below anything audible, yet far enough above the
// subnormal range (1e-308) that no slowly decaying state reaches it within one chunk.
constexpr double kSettled = 1e-150;
// Frames filtered at a time: their buffers stay within the first level cache.
constexpr size_t kChunk = 256;
// Frames whose numerator is summed just before their recursions: few enough that the processor
// sums the next ones while the recursions wait.
constexpr size_t kBlock = 32;
constexpr size_t kLanes = 2;
constexpr size_t kReach = KWeightingFilter::kNumeratorTaps - 1;

using Lanes = double __attribute__((vector_size(16)));
using Quad = double __attribute__((vector_size(32)));  // two frames of both lanes
using Taps = double[kReach + 1];

double Settled(double state) { return std::fabs(state) < kSettled ? 0.0 : state; }

// 16-bit samples in integers, where their second differences are exact; floats in double.
inline int32_t Widened(int16_t sample) { return sample; }
inline double Widened(float sample) { return sample; }

// The second differences x[n] - 2 x[n-1] + x[n-2] of the pair's samples over `frames` frames,
// side by side in `in`: the high pass's numerator, exact for 16-bit samples. The pair keeps its
// last two frames' samples, which the next call's first two differences need.
template <typename Sample>
[[gnu::always_inline]] inline void Gather(const Sample* first, size_t frames, size_t stride,
                                          size_t secondOffset,
                                          KWeightingFilter::ChannelPair& pair, double* in) {
  constexpr size_t kBack = 2 * kLanes;  // the places of two frames
  // Place i of the pair's samples side by side, from -kBack on.
  const auto sample = [&](ptrdiff_t i) -> double {
    if (i < 0) return pair.lastSamples[static_cast<size_t>(i + static_cast<ptrdiff_t>(kBack))];
    const auto place = static_cast<size_t>(i);
    return Widened(first[place / kLanes * stride + (place % kLanes ? secondOffset : 0)]);
  };
  const size_t places = kLanes * frames;
  for (size_t i = 0; i < std::min(kBack, places); ++i) {
    const auto at = static_cast<ptrdiff_t>(i);
    in[i] = sample(at) - 2 * sample(at - kLanes) + sample(at - kBack);
  }
  if (stride == kLanes && secondOffset == 1) {
    for (size_t i = kBack; i < places; ++i)
      in[i] = static_cast<double>(Widened(first[i]) - 2 * Widened(first[i - kLanes]) +
                                  Widened(first[i - kBack]));
  } else {
    for (size_t i = kBack / kLanes; i < frames; ++i)
      for (size_t lane = 0; lane < kLanes; ++lane) {
        const Sample* x = first + i * stride + (lane ? secondOffset : 0);
        in[kLanes * i + lane] = static_cast<double>(Widened(*x) - 2 * Widened(*(x - stride)) +
                                                    Widened(*(x - 2 * stride)));
      }
  }
  double last[kBack];
  for (size_t k = 0; k < kBack; ++k)
    last[k] = sample(static_cast<ptrdiff_t>(places + k) - static_cast<ptrdiff_t>(kBack));
  std::memcpy(pair.lastSamples, last, sizeof last);
}

// The rest of the numerator, over the lanes side by side: a sum over the last seven
// inputs that does not depend on earlier outputs, so it runs as wide as the vectors go.
[[gnu::always_inline]] inline void Numerator(const double* in, size_t frames, const Taps& taps,
                                             double* out) {
  for (size_t i = 0; i < kLanes * frames; ++i) {
    const double* x = in + i + kLanes * kReach;  // x[n]; x[n-1] is kLanes before
    double sum = 0;
    for (size_t k = 0; k <= kReach; ++k) sum += taps[k] * *(x - kLanes * k);
    out[i] = sum;
  }
}

// The whole filter over the second differences, `in` starting with the pair's last six: the
// numerator of a few frames at a time, then both denominators over them, in the form that only
// looks two and four outputs back (see the constructor). Even and odd frames make separate
// recursions, so two frames of both lanes go in one vector, and each vector of outputs
// subtracts the term of the vector before last, so that a recursion waits on one multiply-add
// per two frames. The shelf's recursion and the high pass's run beside each other, and the
// next numerators fill the time they wait. Returns the lanes' sums of squares.
[[gnu::always_inline]] inline Lanes Filter(const double* in, size_t frames, const Taps& taps,
                                           const KWeightingFilter& filter,
                                           KWeightingFilter::ChannelPair& pair) {
  const Quad shelf2 = Quad{} + filter.ShelfPoles()[0], shelf4 = Quad{} + filter.ShelfPoles()[1];
  const Quad pass2 = Quad{} + filter.HighPassPoles()[0];
  const Quad pass4 = Quad{} + filter.HighPassPoles()[1];
  // The last four frames' outputs, two frames a vector: y[n-4], y[n-3] and y[n-2], y[n-1].
  Quad y[2], z[2];
  std::memcpy(y, pair.outputs[0], sizeof y);
  std::memcpy(z, pair.outputs[2], sizeof z);
  // Two sums, so that adding waits on the previous sum only every other vector.
  Quad sums[2] = {};
  // Two frames' outputs in the place of the vector before last, which they no longer need.
  const auto step = [&](const double* v2, Quad& older, Quad newer, Quad& zOlder, Quad zNewer,
                        Quad& sum) {
    Quad v;
    std::memcpy(&v, v2, sizeof v);
    older = v - shelf4 * older - shelf2 * newer;
    zOlder = older - pass4 * zOlder - pass2 * zNewer;
    sum += zOlder * zOlder;
  };
  double numerator[kLanes * kBlock];
  size_t i = 0;
  for (; i + kBlock <= frames; i += kBlock) {
    Numerator(in + kLanes * i, kBlock, taps, numerator);
    for (size_t j = 0; j < kBlock; j += 4) {
      step(numerator + kLanes * j, y[0], y[1], z[0], z[1], sums[0]);
      step(numerator + kLanes * (j + 2), y[1], y[0], z[1], z[0], sums[1]);
    }
  }
  const size_t left = frames - i;
  Numerator(in + kLanes * i, left, taps, numerator);
  size_t j = 0;
  for (; j + 4 <= left; j += 4) {
    step(numerator + kLanes * j, y[0], y[1], z[0], z[1], sums[0]);
    step(numerator + kLanes * (j + 2), y[1], y[0], z[1], z[0], sums[1]);
  }
  if (j + 2 <= left) {
    step(numerator + kLanes * j, y[0], y[1], z[0], z[1], sums[0]);
    std::swap(y[0], y[1]), std::swap(z[0], z[1]);
    j += 2;
  }
  if (j < left) {
    // The last, odd frame, in the vectors' earlier halves (the later ones go unused).
    double two[2 * kLanes] = {};
    std::memcpy(two, numerator + kLanes * j, kLanes * sizeof(double));
    Quad older = y[0], zOlder = z[0], sum = {};
    step(two, older, y[1], zOlder, z[1], sum);
    sums[0] += Quad{sum[0], sum[1], 0, 0};
    // Each vector moves on by a frame: its later frame first, then the next vector's earlier.
    y[0] = Quad{y[0][2], y[0][3], y[1][0], y[1][1]};
    y[1] = Quad{y[1][2], y[1][3], older[0], older[1]};
    z[0] = Quad{z[0][2], z[0][3], z[1][0], z[1][1]};
    z[1] = Quad{z[1][2], z[1][3], zOlder[0], zOlder[1]};
  }
  const Quad total = sums[0] + sums[1];
  double settled[2][2][2 * kLanes];
  for (size_t half = 0; half < 2; ++half)
    for (size_t k = 0; k < 2 * kLanes; ++k) {
      settled[0][half][k] = Settled(y[half][k]);
      settled[1][half][k] = Settled(z[half][k]);
    }
  std::memcpy(pair.outputs, settled, sizeof settled);
  return Lanes{total[0] + total[2], total[1] + total[3]};
}

template <typename Sample>
[[gnu::always_inline]] inline Lanes FilterPair(const Sample* samples, size_t frames,
                                               size_t stride, double scale,
                                               const KWeightingFilter& filter,
                                               KWeightingFilter::ChannelPair& pair) {
  // The numerator's taps, times the scale of the samples (a power of two: exact).
  Taps taps;
  for (size_t k = 0; k <= kReach; ++k) taps[k] = filter.Numerator()[k] * scale;
  double in[kLanes * (kReach + kChunk)];
  std::memcpy(in, pair.inputs, sizeof pair.inputs);
  const Sample* first = samples + pair.first;
  const auto secondOffset = static_cast<size_t>(pair.second - pair.first);
  Lanes energy = {0, 0};
  for (size_t done = 0; done < frames; done += kChunk) {
    const size_t count = std::min(kChunk, frames - done);
    Gather(first + done * stride, count, stride, secondOffset, pair, in + kLanes * kReach);
    energy += Filter(in, count, taps, filter, pair);
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

// 16-bit samples are scaled to full scale 1.0 with the taps.
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
  // A biquad's recursion y[n] = v[n] - a1 y[n-1] - a2 y[n-2] divides by A(z) = 1 + a1/z +
  // a2/z^2. Multiplying numerator and denominator by A(-z) leaves the filter as it is, and the
  // denominator 1 + (2 a2 - a1^2)/z^2 + a2^2/z^4 looks two and four outputs back only; its added
  // poles mirror the biquad's, as far inside the unit circle. The numerator becomes the
  // shelf's, times both A(-z), times the high pass's 1, -2, 1, which the samples' second
  // differences apply.
  std::vector<double> taps = {1};
  for (const Biquad& factor : {shelf_, Biquad{1, -shelf_.a1, shelf_.a2, 0, 0},
                               Biquad{1, -highPass_.a1, highPass_.a2, 0, 0}}) {
    std::vector<double> product(taps.size() + 2, 0.0);
    for (size_t i = 0; i < taps.size(); ++i) {
      product[i] += taps[i] * factor.b0;
      product[i + 1] += taps[i] * factor.b1;
      product[i + 2] += taps[i] * factor.b2;
    }
    taps = product;
  }
  std::copy(taps.begin(), taps.end(), numerator_);
  shelfPoles_[0] = 2 * shelf_.a2 - shelf_.a1 * shelf_.a1, shelfPoles_[1] = shelf_.a2 * shelf_.a2;
  passPoles_[0] = 2 * highPass_.a2 - highPass_.a1 * highPass_.a1;
  passPoles_[1] = highPass_.a2 * highPass_.a2;
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
