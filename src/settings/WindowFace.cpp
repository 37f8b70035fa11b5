#include "settings/WindowFace.h"

#include <cstddef>

#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace {

constexpr const char* kExtended = "extended";
constexpr const char* kClassic = "classic";

}  // namespace

WindowFace ReadWindowFace(const TIniFile& settings) {
  return ReadText(settings, settings_keys::kFace) == kExtended
             ? WindowFace::kExtended
             : WindowFace::kClassic;
}

void WriteWindowFace(TIniFile& settings, WindowFace face) {
  Write(settings, settings_keys::kFace, face == WindowFace::kExtended ? kExtended : kClassic);
}

std::optional<WindowFace> TakeFaceOption(std::vector<std::string>& args) {
  std::optional<WindowFace> face;
  // Options before a "--" only; what follows it is files.
  for (size_t i = 0; i < args.size() && args[i] != "--";) {
    if (args[i] == "--extended") face = WindowFace::kExtended;
    else if (args[i] == "--classic") face = WindowFace::kClassic;
    else {
      ++i;
      continue;
    }
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
  }
  return face;
}
