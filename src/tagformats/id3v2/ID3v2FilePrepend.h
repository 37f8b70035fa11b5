// Puts an ID3v2 tag at the start of an MP3 file, in place of the tag it begins with (a file
// tagged twice keeps one tag). A file of up to kContentWrittenAlong bytes is rewritten where it
// is, in one write; a longer one goes with its new tag to a fresh temporary file in the same
// folder, which then replaces it in one rename.
#pragma once

#include <string>

#include "tagformats/common/ImageCopier.h"

// The head's images left in their sources come through `images` (null when it has none).
// Throws TagError("Cannot open file <name>") when the file cannot be opened for reading, and
// TagError("Cannot write file <name>: <reason>") when the tag cannot be written; the file then
// keeps what it had. A file replaced by a new one keeps its permission bits, made writable for
// its owner.
void PutTagAtStart(const std::string& fileName, const BytesWithImageGaps& head, const ImageCopier* images);
