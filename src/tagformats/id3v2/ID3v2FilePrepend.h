// Puts bytes in front of a file's content without holding the file in memory: the bytes and
// the old content go to a fresh temporary file in the same folder, which then replaces the
// file in one rename. Until that rename the file stays exactly as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Throws TagError("Cannot open file <name>") when the file cannot be opened for reading, and
// TagError("Cannot write file <name>: <reason>") when the new file cannot be completed. The
// result keeps the file's permission bits, made writable for its owner.
void PrependToFile(const std::string& fileName, const std::vector<uint8_t>& head);
