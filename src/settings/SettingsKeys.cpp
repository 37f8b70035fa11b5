#include "settings/SettingsKeys.h"

#include "settings/IniFile.h"

int ReadForDialog(const TIniFile& settings, const IntegerKey& key) {
  return settings.ReadInteger(key.section, key.key, key.dialogDefault);
}

bool ReadBoolForDialog(const TIniFile& settings, const IntegerKey& key) {
  return settings.ReadBool(key.section, key.key, key.dialogDefault != 0);
}

int ReadForRun(const TIniFile& settings, const IntegerKey& key) {
  const int value = ReadUncheckedForRun(settings, key);
  return value >= key.low && value <= key.high ? value : key.runDefault;
}

bool ReadBoolForRun(const TIniFile& settings, const IntegerKey& key) {
  return settings.ReadBool(key.section, key.key, key.runDefault != 0);
}

int ReadUncheckedForRun(const TIniFile& settings, const IntegerKey& key) {
  return settings.ReadInteger(key.section, key.key, key.runDefault);
}

std::string ReadText(const TIniFile& settings, const TextKey& key) {
  return settings.ReadString(key.section, key.key, key.defaultValue);
}

void Write(TIniFile& settings, const IntegerKey& key, int value) {
  settings.WriteInteger(key.section, key.key, value);
}

void WriteBool(TIniFile& settings, const IntegerKey& key, bool value) {
  settings.WriteBool(key.section, key.key, value);
}

void Write(TIniFile& settings, const TextKey& key, const std::string& value) {
  settings.WriteString(key.section, key.key, value);
}
