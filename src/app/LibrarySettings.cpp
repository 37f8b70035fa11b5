#include "app/LibrarySettings.h"

#include "settings/SettingsKeys.h"

namespace keys = settings_keys;

LibraryOptions ReadLibraryOptions(const TIniFile& settings) {
  LibraryOptions options;
  options.tree = ReadBoolForRun(settings, keys::kKeepTree) ? TreeMode::kKeep : TreeMode::kFlat;
  options.namePattern = ReadText(settings, keys::kNamePattern);
  options.existing =
      ExistingPolicyNamed(ReadText(settings, keys::kExistingOutputs)).value_or(ExistingPolicy::kNumber);
  return options;
}
