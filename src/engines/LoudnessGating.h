// The gating of ITU-R BS.1770-4 and the loudness range of EBU Tech 3342 over K-weighted
// energies handed in 100 ms steps: 400 ms gating blocks overlapping by 75 % (one every step),
// kept when above the absolute gate of -70 LUFS, then gated again 10 LU below their mean; 3 s
// short-term windows every second for the range, between their 10th and 95th percentiles of
// those within 20 LU of their mean. Only the blocks' energies are kept: about 300 KB an hour.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

class LoudnessGating {
 public:
  // The frames of one step: 100 ms, rounded to the nearest frame.
  static size_t StepFrames(int sampleRate);

  LoudnessGating(int sampleRate, bool withRange);

  // One step's energy: over the channels, each channel's weight times its sum of squared
  // K-weighted samples.
  void AddStep(double weightedEnergy);

  double IntegratedLufs() const;  // -infinity without a block above the gates
  double RangeLu() const;         // 0 without the range measured or without windows

  // The integrated loudness of every gating block of all of them together.
  static double JointLufs(const std::vector<const LoudnessGating*>& parts);

 private:
  static constexpr size_t kStepsPerWindow = 30;  // a short-term window: 3 s

  double MeanOfLastSteps(size_t steps) const;

  size_t stepFrames_;
  bool withRange_;
  std::array<double, kStepsPerWindow> recentSteps_{};
  size_t steps_ = 0;
  std::vector<double> blocks_;       // mean squares of the gating blocks above -70 LUFS
  std::vector<double> shortTerms_;   // mean squares of the short-term windows above -70 LUFS
};
