#include "engines/LoudnessGating.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr size_t kStepsPerBlock = 4;     // a gating block: 400 ms
constexpr size_t kStepsPerHop = 10;      // a short-term window every second
constexpr double kNoLoudness = -std::numeric_limits<double>::infinity();

double LoudnessOf(double meanSquare) { return 10.0 * std::log10(meanSquare) - 0.691; }
double MeanSquareOf(double lufs) { return std::pow(10.0, (lufs + 0.691) / 10.0); }

const double kAbsoluteGate = MeanSquareOf(-70.0);
constexpr double kRelativeGate = 0.1;    // -10 LU
constexpr double kRangeGate = 0.01;      // -20 LU

double Mean(const std::vector<double>& values) {
  double sum = 0;
  for (double v : values) sum += v;
  return sum / static_cast<double>(values.size());
}

}  // namespace

size_t LoudnessGating::StepFrames(int sampleRate) {
  return static_cast<size_t>((sampleRate + 5) / 10);
}

LoudnessGating::LoudnessGating(int sampleRate, bool withRange)
    : stepFrames_(StepFrames(sampleRate)), withRange_(withRange) {}

void LoudnessGating::AddStep(double weightedEnergy) {
  recentSteps_[steps_ % kStepsPerWindow] = weightedEnergy;
  ++steps_;
  if (steps_ >= kStepsPerBlock) {
    const double block = MeanOfLastSteps(kStepsPerBlock);
    if (block >= kAbsoluteGate) blocks_.push_back(block);
  }
  if (withRange_ && steps_ >= kStepsPerWindow && steps_ % kStepsPerHop == 0) {
    const double window = MeanOfLastSteps(kStepsPerWindow);
    if (window >= kAbsoluteGate) shortTerms_.push_back(window);
  }
}

double LoudnessGating::MeanOfLastSteps(size_t steps) const {
  double sum = 0;
  for (size_t back = 1; back <= steps; ++back)
    sum += recentSteps_[(steps_ - back) % kStepsPerWindow];
  return sum / static_cast<double>(steps * stepFrames_);
}

double LoudnessGating::IntegratedLufs() const { return JointLufs({this}); }

double LoudnessGating::JointLufs(const std::vector<const LoudnessGating*>& parts) {
  double sum = 0;
  size_t count = 0;
  for (const LoudnessGating* part : parts) {
    for (double block : part->blocks_) sum += block;
    count += part->blocks_.size();
  }
  if (count == 0) return kNoLoudness;
  const double relativeGate = sum / static_cast<double>(count) * kRelativeGate;
  sum = 0, count = 0;
  for (const LoudnessGating* part : parts)
    for (double block : part->blocks_)
      if (block >= relativeGate) sum += block, ++count;
  return count == 0 ? kNoLoudness : LoudnessOf(sum / static_cast<double>(count));
}

// The percentiles are the nearest ranks among the windows that pass the gate.
double LoudnessGating::RangeLu() const {
  if (shortTerms_.empty()) return 0;
  std::vector<double> sorted = shortTerms_;
  std::sort(sorted.begin(), sorted.end());
  const double gate = Mean(sorted) * kRangeGate;
  const auto kept = std::lower_bound(sorted.begin(), sorted.end(), gate);
  const size_t count = static_cast<size_t>(sorted.end() - kept);
  if (count == 0) return 0;
  const auto rank = [&](double fraction) {
    return kept[static_cast<std::ptrdiff_t>(static_cast<double>(count - 1) * fraction + 0.5)];
  };
  return LoudnessOf(rank(0.95)) - LoudnessOf(rank(0.10));
}
