#include "settings/SettingsKeys.h"

#include "settings/IniFile.h"

namespace {

int ReadInRange(const TIniFile& settings, const IntegerKey& key, int defaultValue) {
  const int value = settings.ReadInteger(key.section, key.key, defaultValue);
  return value >= key.low && value <= key.high ? value : defaultValue;
}

}  // namespace

int ReadForRun(const TIniFile& settings, const IntegerKey& key) {
  return ReadInRange(settings, key, key.runDefault);
}

int ReadForDialog(const TIniFile& settings, const IntegerKey& key) {
  return ReadInRange(settings, key, key.dialogDefault);
}
