// Loudness by EBU R128 (ITU-R BS.1770-4) over interleaved PCM: K-weighting, then integrated
// loudness and loudness range from the gated energies, true peak and sample peak through
// TruePeakMeter. The writer can feed one with the PCM it encodes, so a conversion is measured
// without decoding its output again.
#pragma once

#include <cstddef>
#include <vector>

#include "engines/EncoderBackend.h"
#include "engines/KWeightingFilter.h"
#include "engines/LoudnessGating.h"
#include "engines/TruePeakMeter.h"

// What one measurement found. Loudness without enough audio to gate (under 0.4 s, or silence)
// is -infinity; peaks are linear, full scale 1.0.
struct LoudnessResult {
  double integratedLufs = 0;
  double rangeLu = 0;
  double truePeak = 0;
  double samplePeak = 0;

  double TruePeakDb() const;  // dBTP; -infinity for silence
};

class LoudnessMeter {
 public:
  // Throws EngineError for a format it cannot measure. Without `withRange` the loudness
  // range is not measured (it reads 0), which spares the short-term windows it needs.
  LoudnessMeter(int sampleRate, int channels, bool withRange = true);
  ~LoudnessMeter();
  LoudnessMeter(const LoudnessMeter&) = delete;
  LoudnessMeter& operator=(const LoudnessMeter&) = delete;

  // `samples` holds `frames` interleaved frames of the meter's channel count.
  void Add(const void* samples, size_t frames, SampleType type);
  LoudnessResult Result() const;

  // The integrated loudness of several measurements taken as one programme (an album: every
  // gating block of every track counts); -infinity when there are none.
  static double JointLoudness(const std::vector<const LoudnessMeter*>& meters);

 private:
  template <typename Sample>
  void AddPieces(const Sample* samples, size_t frames);
  template <typename Sample>
  void AddFrames(const Sample* samples, size_t frames);

  std::vector<double> weights_;  // of the measured channels
  KWeightingFilter filter_;
  LoudnessGating gating_;
  std::vector<double> stepEnergies_;  // of the measured channels, in the current step
  size_t stepFrames_;
  size_t framesInStep_ = 0;
  TruePeakMeter peaks_;
};
