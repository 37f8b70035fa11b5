// What the TagLib-based modules (FLAC, Opus, MP4) share around a write: the file must be a
// regular, readable file TagLib recognises, and a save TagLib refuses is an error.
#pragma once

#include <string>

namespace TagLib {
class File;
}

// Throws TagError "Cannot open file <path>" for anything but a readable regular file.
void CheckTagFileReadable(const std::string& path);
// Throws TagError naming the path and `kind` when TagLib could not parse the file.
void CheckTagFileValid(const TagLib::File& file, const std::string& path, const char* kind);
// Saves, throwing TagError naming the path when TagLib cannot.
void SaveTagFile(TagLib::File& file, const std::string& path);
