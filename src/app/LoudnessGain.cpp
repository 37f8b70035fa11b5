#include "app/LoudnessGain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

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

namespace {

std::string Printed(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

bool IsOpus(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".opus";
}

void AddValues(GainFields& fields, const std::string& path, const char* scope,
               const GainValues& values) {
  const std::string prefix = IsOpus(path) ? "R128_" : "REPLAYGAIN_";
  if (IsOpus(path)) {
    fields.emplace_back(prefix + scope + "_GAIN", std::to_string(R128GainQ78(values.lufs)));
    return;
  }
  fields.emplace_back(prefix + scope + "_GAIN", Printed("%.2f dB", ReplayGainDb(values.lufs)));
  fields.emplace_back(prefix + scope + "_PEAK", Printed("%.6f", values.truePeak));
}

}  // namespace

GainFields ReplayGainFields(const std::string& outputPath, const GainValues& track,
                            const GainValues* album) {
  GainFields fields;
  AddValues(fields, outputPath, "TRACK", track);
  if (album) AddValues(fields, outputPath, "ALBUM", *album);
  return fields;
}
