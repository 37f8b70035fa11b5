#include "settings/IniFile.h"

#include <cstdlib>

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
TIniFile::~TIniFile() = default;
std::string TIniFile::ReadString(const std::string&, const std::string&, const std::string& d) const { return d; }
int TIniFile::ReadInteger(const std::string&, const std::string&, int d) const { return d; }
bool TIniFile::ReadBool(const std::string&, const std::string&, bool d) const { return d; }
void TIniFile::WriteString(const std::string&, const std::string&, const std::string&) {}
void TIniFile::WriteInteger(const std::string&, const std::string&, int) {}
void TIniFile::WriteBool(const std::string&, const std::string&, bool) {}
std::string SettingsFilePath() { return std::string(std::getenv("HOME") ? std::getenv("HOME") : ".") + "/.config/kelvane.ini"; }
