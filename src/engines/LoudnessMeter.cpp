#include "engines/LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "engines/EngineError.h"

namespace {

constexpr double kNoLoudness = -std::numeric_limits<double>::infinity();
constexpr int kMaxMeteredChannels = 64;
constexpr int kMinRate = 16, kMaxRate = 2822400;
// Samples of all channels filtered and peak-metered in one go: 16 KB of 16-bit samples.
constexpr size_t kPieceSamples = 8192;

// Each channel's weight in the sum of energies, by its place in the frame: left, right,
// centre, low-frequency effects (left out), left and right surround (+1.5 dB); four channels
// are left, right and both surrounds, five add the centre before them. Channels past the
// sixth are left out.
double ChannelWeight(int channel, int channels) {
  constexpr double kSurround = 1.41;
  if (channels == 4) return channel < 2 ? 1.0 : kSurround;
  if (channels == 5) return channel < 3 ? 1.0 : kSurround;
  switch (channel) {
    case 0: case 1: case 2: return 1.0;
    case 4: case 5: return kSurround;
    default: return 0.0;
  }
}

std::vector<int> MeasuredChannels(int channels) {
  std::vector<int> measured;
  for (int c = 0; c < channels; ++c)
    if (ChannelWeight(c, channels) > 0) measured.push_back(c);
  return measured;
}

std::vector<double> WeightsOf(const std::vector<int>& measured, int channels) {
  std::vector<double> weights;
  for (int c : measured) weights.push_back(ChannelWeight(c, channels));
  return weights;
}

int CheckedChannels(int sampleRate, int channels) {
  if (sampleRate < kMinRate || sampleRate > kMaxRate || channels <= 0 ||
      channels > kMaxMeteredChannels)
    throw EngineError("Cannot measure loudness of " + std::to_string(sampleRate) + " Hz, " +
                      std::to_string(channels) + " channels");
  return channels;
}

}  // namespace

double LoudnessResult::TruePeakDb() const {
  return truePeak > 0 ? 20.0 * std::log10(truePeak) : kNoLoudness;
}

LoudnessMeter::LoudnessMeter(int sampleRate, int channels, bool withRange)
    : weights_(WeightsOf(MeasuredChannels(CheckedChannels(sampleRate, channels)), channels)),
      filter_(sampleRate, channels, MeasuredChannels(channels)),
      gating_(sampleRate, withRange),
      stepEnergies_(weights_.size(), 0.0),
      stepFrames_(LoudnessGating::StepFrames(sampleRate)),
      peaks_(channels) {}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::Add(const void* samples, size_t frames, SampleType type) {
  if (type == SampleType::kFloat)
    AddPieces(static_cast<const float*>(samples), frames);
  else
    AddPieces(static_cast<const int16_t*>(samples), frames);
}

// The filter and the peak meter take turns on pieces small enough that the second finds the
// samples still in the processor's cache.
template <typename Sample>
void LoudnessMeter::AddPieces(const Sample* samples, size_t frames) {
  const size_t channels = peaks_.Channels();
  const size_t pieceFrames = std::max<size_t>(1, kPieceSamples / channels);
  for (size_t done = 0; done < frames; done += pieceFrames) {
    const size_t count = std::min(pieceFrames, frames - done);
    AddFrames(samples + done * channels, count);
    peaks_.Add(samples + done * channels, count);
  }
}

// The filter takes the frames a step at a time, and each finished step goes to the gating.
template <typename Sample>
void LoudnessMeter::AddFrames(const Sample* samples, size_t frames) {
  const size_t channels = peaks_.Channels();
  while (frames > 0) {
    const size_t count = std::min(frames, stepFrames_ - framesInStep_);
    filter_.Add(samples, count, stepEnergies_.data());
    samples += count * channels;
    frames -= count;
    framesInStep_ += count;
    if (framesInStep_ < stepFrames_) break;
    double weighted = 0;
    for (size_t i = 0; i < weights_.size(); ++i) weighted += weights_[i] * stepEnergies_[i];
    gating_.AddStep(weighted);
    std::fill(stepEnergies_.begin(), stepEnergies_.end(), 0.0);
    framesInStep_ = 0;
  }
}

LoudnessResult LoudnessMeter::Result() const {
  LoudnessResult result;
  result.integratedLufs = gating_.IntegratedLufs();
  result.rangeLu = gating_.RangeLu();
  result.truePeak = peaks_.TruePeak();
  result.samplePeak = peaks_.SamplePeak();
  return result;
}

double LoudnessMeter::JointLoudness(const std::vector<const LoudnessMeter*>& meters) {
  std::vector<const LoudnessGating*> parts;
  for (const LoudnessMeter* meter : meters) parts.push_back(&meter->gating_);
  return LoudnessGating::JointLufs(parts);
}
