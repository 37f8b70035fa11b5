#include "app/LoudnessGain.h"

#include <algorithm>
#include <cmath>

#include "app/LoudnessOptions.h"

namespace {

double GainToReference(double lufs, double referenceLufs) {
  return std::isfinite(lufs) ? referenceLufs - lufs : 0.0;
}

}  // namespace

double LoudnessNormalizeGain(const LoudnessResult& measured, double targetLufs) {
  double gainDb = GainToReference(measured.integratedLufs, targetLufs);
  const double peakDb = measured.TruePeakDb();
  if (std::isfinite(peakDb)) gainDb = std::min(gainDb, kTruePeakCeilingDb - peakDb);
  return std::pow(10.0, gainDb / 20.0);
}

double ReplayGainDb(double lufs) { return GainToReference(lufs, kReferenceLufs); }

int R128GainQ78(double lufs) {
  const double steps = std::round(GainToReference(lufs, kR128ReferenceLufs) * 256.0);
  return static_cast<int>(std::clamp(steps, -32768.0, 32767.0));
}

