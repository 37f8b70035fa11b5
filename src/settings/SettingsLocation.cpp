// SettingsFilePath(), declared in IniFile.h.
#include "settings/IniFile.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

const char kSettingsFileName[] = "kelvane.ini";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0])
    return found->pw_dir;
  return ".";
}

std::string SettingsFolder() {
  std::string own = Environment("VELMORA_CONFIG_DIR");
  if (!own.empty()) return own;
  // The XDG rules say to ignore a relative $XDG_CONFIG_HOME.
  std::string xdg = Environment("XDG_CONFIG_HOME");
  if (!xdg.empty() && xdg[0] == '/') return xdg;
  return HomeFolder() + "/.config";
}

}  // namespace

std::string SettingsFilePath() {
  std::string folder = SettingsFolder();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder + "/" + kSettingsFileName;
}
