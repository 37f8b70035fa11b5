// Loudness by EBU R128 (ITU-R BS.1770) over interleaved PCM: integrated loudness and loudness
// range through libebur128, true peak and sample peak through TruePeakMeter. The writer can
// feed one with the PCM it encodes, so a conversion is measured without decoding its output
// again.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "engines/EncoderBackend.h"
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
  // Throws EngineError for a format libebur128 refuses. Without `withRange` the loudness
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
  struct State;  // owns libebur128's state
  std::unique_ptr<State> state_;
  TruePeakMeter peaks_;
};
