// Every key of kelvane.ini that the program reads or writes, with its section, the default
// the settings dialog shows when the key is absent, the default a run works with, and the
// values it may hold. Readers and writers name a key from here instead of spelling it out.
#pragma once

class TIniFile;

struct IntegerKey {
  const char* section;
  const char* key;
  int dialogDefault;
  int runDefault;
  int low;   // a stored value outside low..high counts as absent
  int high;
};

struct TextKey {
  const char* section;
  const char* key;
  const char* defaultValue;
};

namespace settings_keys {

// The program's own section: options the classic sections have no place for.
inline constexpr const char* kOwnSection = "Velmora";

// "classic" or "extended": the face the window starts in.
inline constexpr TextKey kFace{kOwnSection, "face", "classic"};
// Files converted at once by the extended window; 0: as many as the processors it may use.
inline constexpr IntegerKey kJobs{kOwnSection, "jobs", 0, 0, 0, 256};

}  // namespace settings_keys

// The stored value when it lies within the key's range, else the run's default.
int ReadForRun(const TIniFile& settings, const IntegerKey& key);
// The stored value when it lies within the key's range, else the dialog's default.
int ReadForDialog(const TIniFile& settings, const IntegerKey& key);
