// True peak as ITU-R BS.1770-4 Annex 2 measures it: each channel oversampled four times by a
// polyphase interpolating filter, the largest absolute value of the oversampled signal and of
// the samples themselves. The filter is a 96-tap Kaiser-windowed sinc (four phases of 24
// taps) rather than the Annex's 48-tap example, whose passband ripple reads the peaks of
// noise and of tone pairs up to 0.4 dB off; this one stays within a few hundredths of a
// decibel of a 32-times interpolator. Float throughout. Samples are taken apart per channel
// and each phase runs over a whole stretch of them, so the compiler turns the taps into
// vector instructions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TruePeakMeter {
 public:
  static constexpr int kPhases = 4;
  static constexpr int kTaps = 24;  // a phase's
  // Phase p (1 to 3) puts p/4 of a sample past the 12th of 24 samples the value
  // Σ PhaseTaps(p)[k] · sample[k], summed in that order.
  static const float* PhaseTaps(int phase);

  explicit TruePeakMeter(int channels);

  // `frames` interleaved frames of the meter's channel count; 16-bit samples at full scale
  // 32768.
  void Add(const float* samples, size_t frames);
  void Add(const int16_t* samples, size_t frames);

  size_t Channels() const { return static_cast<size_t>(channels_); }
  double TruePeak() const { return truePeak_; }  // linear, full scale 1.0
  double SamplePeak() const { return samplePeak_; }

 private:
  template <typename Sample>
  void AddInterleaved(const Sample* samples, size_t frames, float scale);
  // Measures the channel's stretch of `frames` samples, which stand in `line_` behind the
  // channel's last samples before them.
  void MeasureLine(int channel, size_t frames);
  // Measures `count` values of each phase over `line` (with the taps' reach beyond them),
  // whose samples are at most `largest`; returns the larger of them and `peak`.
  float MeasurePart(const float* line, size_t count, double largest, float peak);

  int channels_;
  std::vector<std::vector<float>> history_;  // per channel, the samples the filter still needs
  std::vector<float> line_;
  std::vector<float> phase_;
  float truePeak_ = 0;
  float samplePeak_ = 0;
};
