// Picks the tag module for a file by its recognised format, whatever the letter case of its
// extension: MP3 → ID3v2, OGG → Vorbis comments, WMA → WMA attributes.
#pragma once

#include <string>

#include "tagformats/common/TagModule.h"

// The module for the file's format; null for a format without tags (WAV, anything else).
// The modules live for the whole program.
const TagModule* TagModuleFor(const std::string& path);
