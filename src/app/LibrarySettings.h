// The library options as the extended window stores them in its own section of the settings
// file: the folder tree, the name pattern and the existing-output policy.
#pragma once

#include "app/LibraryOptions.h"

class TIniFile;

// A stored policy that names none of "number", "skip" and "update" reads as "number"; a
// pattern is taken as stored (the settings dialog refuses faulty ones before storing them).
LibraryOptions ReadLibraryOptions(const TIniFile& settings);
