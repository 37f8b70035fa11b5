#include "app/LoudnessOptions.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "settings/SettingsKeys.h"

namespace {

std::string TargetText(double lufs) {
  std::ostringstream text;
  text << lufs;
  return text.str();
}

}  // namespace

bool ParseTargetLufs(const char* text, double& lufs) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(value) || value < kLowestTargetLufs ||
      value > kHighestTargetLufs)
    return false;
  lufs = value;
  return true;
}

std::optional<std::string> LoudnessTargetProblem(const std::string& text) {
  double lufs = 0;
  if (ParseTargetLufs(text.c_str(), lufs)) return std::nullopt;
  return "\"" + text + "\" is no loudness target: give a number of LUFS from " +
         TargetText(kLowestTargetLufs) + " to " + TargetText(kHighestTargetLufs) + ".";
}

LoudnessOptions ReadLoudnessOptions(const TIniFile& settings) {
  LoudnessOptions options;
  options.normalize = static_cast<NormalizeKind>(ReadForRun(settings, settings_keys::kNormalizeKind));
  const std::string target = ReadText(settings, settings_keys::kLoudnessTarget);
  ParseTargetLufs(target.c_str(), options.targetLufs);
  options.replayGain = static_cast<ReplayGainMode>(ReadForRun(settings, settings_keys::kReplayGain));
  return options;
}

void StoreLoudnessOptions(TIniFile& settings, const LoudnessOptions& options) {
  Write(settings, settings_keys::kNormalizeKind, static_cast<int>(options.normalize));
  Write(settings, settings_keys::kLoudnessTarget, TargetText(options.targetLufs));
  Write(settings, settings_keys::kReplayGain, static_cast<int>(options.replayGain));
}
