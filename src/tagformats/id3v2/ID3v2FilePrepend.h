// Puts bytes in front of a file's content without holding the file in memory: the bytes and
// the old content go to a fresh temporary file in the same folder, which then replaces the
// file in one rename. Until that rename the file stays exactly as it was.
#pragma once

#include <string>

#include "tagformats/common/ImageCopier.h"

// The head's images left in their sources come through `images` (null when it has none).
// Throws TagError("Cannot open file <name>") when the file cannot be opened for reading, and
// TagError("Cannot write file <name>: <reason>") when the new file cannot be completed. The
// result keeps the file's permission bits, made writable for its owner.
void PrependToFile(const std::string& fileName, const BytesWithImageGaps& head, const ImageCopier* images);
