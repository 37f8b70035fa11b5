// Reads the skin file format: INI-like sections "[style KIND]", "[form NAME]" and
// "[object NAME]" with "key = value" lines; full-line comments start with ";" or "#".
// The page mp3enc.html beside the shipped skin describes every key.
#pragma once

#include <string>

#include "engines/skin/SkinDefinition.h"

// Throws SkinError naming the file, the line and what is wrong. `fileName` is only for the
// messages; `folder` is where "picture-file" values are looked up.
SkinDefinition ParseSkinFile(const std::string& text, const std::string& fileName,
                             const std::string& folder);
