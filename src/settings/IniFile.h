// The settings object: reads and writes one INI file with the semantics of the classic
// Windows profile API (see ProfileStore.h). Every call goes to the file, so a value one window
// stores is seen by the next reader at once, also through another TIniFile object. Reads never
// create the file; a missing or unreadable file reads as all defaults. Each write replaces the
// file atomically (see AtomicFile.h), so the file is never left half written.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

class SettingsError : public std::runtime_error {
 public:
  explicit SettingsError(const std::string& message) : std::runtime_error(message) {}
};

class TIniFile {
 public:
  explicit TIniFile(std::string fileName);  // a path, usually SettingsFilePath(); touches no file
  ~TIniFile();

  const std::string& FileName() const { return fileName_; }

  // Text reads return at most 2047 bytes. Integer reads take decimal, "0x"-prefixed hex or
  // "$"-prefixed hex text and fall back to the default for anything else (ProfileValue.h).
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

  // Throw SettingsError("Unable to write to kelvane.ini") (the file's bare name) when the file
  // cannot be written; the old content then stays intact. Writing the value already stored
  // leaves the file alone.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

 private:
  std::optional<std::string> ReadStored(const std::string& section, const std::string& key) const;
  SettingsError WriteError() const;

  std::string fileName_;
};

// Where kelvane.ini lives: $VELMORA_CONFIG_DIR when set and not empty (tests point it at a
// scratch folder), else $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string SettingsFilePath();
