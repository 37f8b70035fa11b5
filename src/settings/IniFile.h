// The settings object: reads and writes one INI file with the semantics of the classic
// Windows profile API (see ProfileStore.h). Every call goes to the file, so a value one window
// stores is seen by the next reader at once.
#pragma once

#include <stdexcept>
#include <string>

class SettingsError : public std::runtime_error {
 public:
  explicit SettingsError(const std::string& message) : std::runtime_error(message) {}
};

class TIniFile {
 public:
  explicit TIniFile(std::string fileName);  // touches no file
  ~TIniFile();

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

  // Throw SettingsError("Unable to write to kelvane.ini") when the file cannot be written;
  // the old content then stays intact.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

 private:
  std::string fileName_;
};

// Where kelvane.ini lives: $VELMORA_CONFIG_DIR when set (tests point it at a scratch folder),
// else $XDG_CONFIG_HOME, else ~/.config.
std::string SettingsFilePath();
