#include "app/GainTags.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Printed(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

bool IsGainKey(const std::string& key) {
  return key.rfind("REPLAYGAIN_", 0) == 0 || key.rfind("R128_", 0) == 0;
}

void AddValues(TagExtras& extras, AudioFormat output, const char* scope,
               const GainValues& values) {
  if (output == AudioFormat::kOpus) {
    extras.Add(std::string("R128_") + scope + "_GAIN", std::to_string(R128GainQ78(values.lufs)));
    return;
  }
  const std::string prefix = std::string("REPLAYGAIN_") + scope;
  extras.Add(prefix + "_GAIN", Printed("%.2f dB", ReplayGainDb(values.lufs)));
  extras.Add(prefix + "_PEAK", Printed("%.6f", values.truePeak));
}

}  // namespace

void DropGainFields(TagExtras& extras) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : extras.fields)
    if (IsGainKey(key)) keys.push_back(key);
  for (const std::string& key : keys) extras.Remove(key);
}

void SetTrackGain(TagExtras& extras, AudioFormat output, const GainValues& track) {
  DropGainFields(extras);
  AddValues(extras, output, "TRACK", track);
}

void SetAlbumGain(TagExtras& extras, AudioFormat output, const GainValues& album) {
  AddValues(extras, output, "ALBUM", album);
}
