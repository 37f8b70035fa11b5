// Where the window finds what ships beside it: the skin file and the help. The build tree
// keeps them next to the program, an installed program in <prefix>/share/velmora.
#pragma once

#include <string>

constexpr const char* kSkinFileName = "mp3enc.dll";
constexpr const char* kHelpFile = "help/velmoramp3converter.html";

// The folder holding the skin file, with a trailing '/': the program's own folder when the
// skin is there, else ../share/velmora beside it; the program's own folder when neither has it.
std::string ProgramDataFolder();
