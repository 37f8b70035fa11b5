#include "app/ExtendedFormatSettings.h"

#include "settings/IniFile.h"

int ReadSettingsKey(const TIniFile& settings, const SettingsKey& key) {
  int value = settings.ReadInteger(key.section, key.key, key.defaultValue);
  return value >= key.low && value <= key.high ? value : key.defaultValue;
}

FlacSettings ReadFlacRunSettings(const TIniFile& settings) {
  FlacSettings s;
  s.compression = ReadSettingsKey(settings, kFlacCompressionKey);
  s.bitsPerSample = kFlacDepths[ReadSettingsKey(settings, kFlacBitsKey)];
  return s;
}

OpusSettings ReadOpusRunSettings(const TIniFile& settings) {
  OpusSettings s;
  s.bitRate = ReadSettingsKey(settings, kOpusBitRateKey);
  s.rateControl = static_cast<OpusRateControl>(ReadSettingsKey(settings, kOpusModeKey));
  s.complexity = ReadSettingsKey(settings, kOpusComplexityKey);
  return s;
}

M4aSettings ReadM4aRunSettings(const TIniFile& settings) {
  M4aSettings s;
  s.bitRate = ReadSettingsKey(settings, kM4aBitRateKey);
  if (ReadSettingsKey(settings, kM4aEnableVbrKey) == 1)
    s.vbrQuality = ReadSettingsKey(settings, kM4aVbrQualityKey);
  return s;
}
