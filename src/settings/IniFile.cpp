#include "settings/IniFile.h"

#include "base/AtomicFile.h"
#include "settings/ProfileStore.h"
#include "settings/ProfileValue.h"

#include <optional>

namespace {

// A settings file is a few hundred bytes; anything beyond this is not ours to parse.
constexpr size_t kMaxSettingsFileBytes = 16 * 1024 * 1024;

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

// Every write already reached the disk, so there is nothing to flush.
TIniFile::~TIniFile() = default;

std::optional<std::string> TIniFile::ReadStored(const std::string& section,
                                                const std::string& key) const {
  FileReadResult file = ReadWholeFile(fileName_, kMaxSettingsFileBytes);
  if (file.status != FileReadStatus::kRead) return std::nullopt;
  return ProfileStore(file.content).Lookup(section, key);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  std::optional<std::string> stored = ReadStored(section, key);
  return stored ? DecodeProfileText(*stored) : CutProfileText(defaultValue);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key,
                          int defaultValue) const {
  return ParseProfileInteger(ReadString(section, key, ""), defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key,
                        bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  const std::string target = ResolveWriteTarget(fileName_);
  FileReadResult file = ReadWholeFile(target, kMaxSettingsFileBytes);
  // A file we cannot read cannot be rewritten without losing what it holds.
  if (file.status == FileReadStatus::kFailed) throw WriteError();
  ProfileStore store(file.content);
  bool changed = store.Set(section, key, value);
  if (!changed && file.status == FileReadStatus::kRead) return;
  if (!MakeFolders(FolderOf(target)) || !ReplaceFileAtomically(target, store.Serialise()))
    throw WriteError();
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

SettingsError TIniFile::WriteError() const {
  return SettingsError("Unable to write to " + BaseNameOf(fileName_));
}
