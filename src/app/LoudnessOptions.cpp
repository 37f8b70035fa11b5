#include "app/LoudnessOptions.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "settings/IniFile.h"

namespace {

constexpr const char* kSection = "loudness";

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

LoudnessOptions ReadLoudnessOptions(const TIniFile& settings) {
  LoudnessOptions options;
  const int kind = settings.ReadInteger(kSection, "normalize", 0);
  if (kind == static_cast<int>(NormalizeKind::kLoudness))
    options.normalize = NormalizeKind::kLoudness;
  const std::string target = settings.ReadString(kSection, "target", TargetText(kReferenceLufs));
  ParseTargetLufs(target.c_str(), options.targetLufs);
  const int replayGain = settings.ReadInteger(kSection, "replaygain", 0);
  if (replayGain == static_cast<int>(ReplayGainMode::kTrack) ||
      replayGain == static_cast<int>(ReplayGainMode::kAlbum))
    options.replayGain = static_cast<ReplayGainMode>(replayGain);
  return options;
}

void StoreLoudnessOptions(TIniFile& settings, const LoudnessOptions& options) {
  settings.WriteInteger(kSection, "normalize", static_cast<int>(options.normalize));
  settings.WriteString(kSection, "target", TargetText(options.targetLufs));
  settings.WriteInteger(kSection, "replaygain", static_cast<int>(options.replayGain));
}
