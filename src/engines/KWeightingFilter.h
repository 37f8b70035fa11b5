// The K-weighting of ITU-R BS.1770: a high shelf of about +4 dB above 1.7 kHz (the head's
// effect on what reaches the ear) followed by a high pass at 38 Hz (the revised low-frequency
// B curve), each a biquad whose coefficients are derived for the sample rate in use, in double
// precision. The numerators run first (the filters commute): the high pass's 1, -2, 1 as the
// samples' second differences, then the rest as one sum over seven of them, as wide as the
// vectors go; then the denominators, two channels and two frames to a vector, so that the
// recursions overlap in the processor instead of waiting on each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class KWeightingFilter {
 public:
  struct Biquad {
    double b0, b1, b2, a1, a2;  // a0 is 1
  };
  static Biquad Shelf(int sampleRate);
  static Biquad HighPass(int sampleRate);
  static constexpr size_t kNumeratorTaps = 7;  // after the second differences

  // Filters the channels listed in `measured` (0-based) of frames of `channels` interleaved
  // samples; the others are skipped.
  KWeightingFilter(int sampleRate, int channels, const std::vector<int>& measured);

  // Filters `frames` frames and adds each measured channel's sum of squared weighted samples
  // to energies[i], i its place in `measured`. 16-bit samples at full scale 32768. A state
  // decaying in silence is cleared every few hundred frames, before it reaches the subnormal
  // numbers the processor handles many times slower.
  void Add(const float* samples, size_t frames, double* energies);
  void Add(const int16_t* samples, size_t frames, double* energies);

  const double (&Numerator() const)[kNumeratorTaps] { return numerator_; }
  // The factors of the outputs two and four samples back in the recursions.
  const double* ShelfPoles() const { return shelfPoles_; }
  const double* HighPassPoles() const { return passPoles_; }

  // Two measured channels filtered together (an odd one out fills both lanes) and their state,
  // lanes side by side: the last two frames' samples, the last six second differences, and
  // the shelf's recursion's last four outputs and the high pass's, oldest first.
  struct ChannelPair {
    int first = 0, second = 0;             // channel indexes in a frame
    size_t firstSlot = 0, secondSlot = 0;  // places in `measured`
    bool single = false;                   // the second lane repeats the first
    double lastSamples[2 * 2] = {};
    double inputs[2 * (kNumeratorTaps - 1)] = {};
    double outputs[4][2 * 2] = {};
  };

 private:
  template <typename Sample>
  void AddFrames(const Sample* samples, size_t frames, double* energies);

  int channels_;
  Biquad shelf_, highPass_;
  double numerator_[kNumeratorTaps];
  double shelfPoles_[2], passPoles_[2];
  std::vector<ChannelPair> pairs_;
};
