#include "engines/KWeightingFilter.h"

#include <cmath>
#include <cstring>
#include <type_traits>

#include "engines/CpuClones.h"

// Haswell's set brings fused multiply-adds, which halve the time of each step of a recursion.
#define FILTER_CLONES CPU_CLONES("arch=haswell", "default")

namespace {

constexpr double kPi = 3.14159265358979323846;
// Filter states below this are cleared: far below anything audible, yet far enough above the
// subnormal range (1e-308) that no slowly decaying state reaches it within 100 ms.
constexpr double kSettled = 1e-150;

using Lanes = double __attribute__((vector_size(16)));
using FloatPair = float __attribute__((vector_size(8)));
using ShortPair = int16_t __attribute__((vector_size(4)));

struct Stage {
  Lanes b0, b1, b2, a1, a2;
};

Stage Broadcast(const KWeightingFilter::Biquad& q) {
  return {Lanes{q.b0, q.b0}, Lanes{q.b1, q.b1}, Lanes{q.b2, q.b2}, Lanes{q.a1, q.a1},
          Lanes{q.a2, q.a2}};
}

// The state's rows: inputs x[n-1], x[n-2], shelf outputs y[n-1], y[n-2], weighted outputs
// z[n-1], z[n-2].
enum Row { kX1, kX2, kY1, kY2, kZ1, kZ2 };

Lanes LoadRow(const KWeightingFilter::ChannelPair& pair, Row row) {
  return Lanes{pair.state[row][0], pair.state[row][1]};
}

void StoreRow(KWeightingFilter::ChannelPair& pair, Row row, Lanes value) {
  for (int lane = 0; lane < 2; ++lane)
    pair.state[row][lane] = std::fabs(value[lane]) < kSettled ? 0.0 : value[lane];
}

// Two samples of a frame in the lanes, read at once when they sit side by side.
template <typename Sample>
[[gnu::always_inline]] inline Lanes LoadLanes(const Sample* first, size_t secondOffset) {
  return Lanes{static_cast<double>(first[0]), static_cast<double>(first[secondOffset])};
}

template <typename Two, typename Sample>
[[gnu::always_inline]] inline Lanes LoadSideBySide(const Sample* first) {
  Two two;
  std::memcpy(&two, first, sizeof two);
  return __builtin_convertvector(two, Lanes);
}

[[gnu::always_inline]] inline Lanes LoadLanes(const float* first, std::true_type) {
  return LoadSideBySide<FloatPair>(first);
}

[[gnu::always_inline]] inline Lanes LoadLanes(const int16_t* first, std::true_type) {
  return LoadSideBySide<ShortPair>(first);
}

// Runs both biquads over one pair of channels and returns the lanes' sums of squares. Each
// output sums its terms with the previous output's last, so that the recursion waits on only
// one multiply-add per sample; the high pass's own recursion runs beside the shelf's. Its
// numerator is 1, -2, 1 at every rate.
template <typename Sample, bool kSideBySide>
[[gnu::always_inline]] inline Lanes FilterPair(const Sample* samples, size_t frames,
                                               size_t stride, double scale, const Stage& shelf,
                                               const Stage& highPass,
                                               KWeightingFilter::ChannelPair& pair) {
  Lanes x1 = LoadRow(pair, kX1), x2 = LoadRow(pair, kX2), y1 = LoadRow(pair, kY1),
        y2 = LoadRow(pair, kY2), z1 = LoadRow(pair, kZ1), z2 = LoadRow(pair, kZ2);
  Lanes energy = {0, 0};
  const Sample* first = samples + pair.first;
  const size_t secondOffset = kSideBySide ? 1 : static_cast<size_t>(pair.second - pair.first);
  for (size_t i = 0; i < frames; ++i, first += stride) {
    Lanes x = kSideBySide ? LoadLanes(first, std::true_type()) : LoadLanes(first, secondOffset);
    if (scale != 1.0) x *= scale;
    const Lanes y = shelf.b0 * x + shelf.b1 * x1 + shelf.b2 * x2 - shelf.a2 * y2 - shelf.a1 * y1;
    const Lanes z = (y + y2) - 2.0 * y1 - highPass.a2 * z2 - highPass.a1 * z1;
    energy += z * z;
    x2 = x1, x1 = x, y2 = y1, y1 = y, z2 = z1, z1 = z;
  }
  StoreRow(pair, kX1, x1), StoreRow(pair, kX2, x2), StoreRow(pair, kY1, y1);
  StoreRow(pair, kY2, y2), StoreRow(pair, kZ1, z1), StoreRow(pair, kZ2, z2);
  return energy;
}

template <typename Sample>
[[gnu::always_inline]] inline Lanes FilterAnyPair(const Sample* samples, size_t frames,
                                                  size_t stride, double scale,
                                                  const Stage& shelf, const Stage& highPass,
                                                  KWeightingFilter::ChannelPair& pair) {
  if (pair.second == pair.first + 1)
    return FilterPair<Sample, true>(samples, frames, stride, scale, shelf, highPass, pair);
  return FilterPair<Sample, false>(samples, frames, stride, scale, shelf, highPass, pair);
}

FILTER_CLONES
Lanes FilterFloatPair(const float* samples, size_t frames, size_t stride, const Stage& shelf,
                      const Stage& highPass, KWeightingFilter::ChannelPair& pair) {
  return FilterAnyPair(samples, frames, stride, 1.0, shelf, highPass, pair);
}

// 16-bit samples are scaled to full scale 1.0 as they come in (by a power of two: exact).
FILTER_CLONES
Lanes FilterShortPair(const int16_t* samples, size_t frames, size_t stride, const Stage& shelf,
                      const Stage& highPass, KWeightingFilter::ChannelPair& pair) {
  return FilterAnyPair(samples, frames, stride, 1.0 / 32768.0, shelf, highPass, pair);
}

Lanes FilterChannelPair(const float* samples, size_t frames, size_t stride, const Stage& shelf,
                        const Stage& highPass, KWeightingFilter::ChannelPair& pair) {
  return FilterFloatPair(samples, frames, stride, shelf, highPass, pair);
}

Lanes FilterChannelPair(const int16_t* samples, size_t frames, size_t stride,
                        const Stage& shelf, const Stage& highPass,
                        KWeightingFilter::ChannelPair& pair) {
  return FilterShortPair(samples, frames, stride, shelf, highPass, pair);
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
      pairs_(PairUp(measured)) {}

void KWeightingFilter::Add(const float* samples, size_t frames, double* energies) {
  AddFrames(samples, frames, energies);
}

void KWeightingFilter::Add(const int16_t* samples, size_t frames, double* energies) {
  AddFrames(samples, frames, energies);
}

template <typename Sample>
void KWeightingFilter::AddFrames(const Sample* samples, size_t frames, double* energies) {
  if (frames == 0) return;
  const Stage shelf = Broadcast(shelf_), highPass = Broadcast(highPass_);
  for (ChannelPair& pair : pairs_) {
    const Lanes energy = FilterChannelPair(samples, frames, static_cast<size_t>(channels_), shelf,
                                       highPass, pair);
    energies[pair.firstSlot] += energy[0];
    if (!pair.single) energies[pair.secondSlot] += energy[1];
  }
}
