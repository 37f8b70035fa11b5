// Output names from a pattern such as "%albumartist%/%album%/%track% - %title%": each %field%
// is the source's tag field (TagFieldByName), '/' in the pattern makes folders. Values are made
// safe as names: a '/' inside a value and control characters become '_', leading dots become
// '_', trailing blanks and dots go, and a name longer than a file system takes is cut on a
// UTF-8 character boundary. An empty field takes the source's own name (without extension).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "tags/Timerec.h"

// The longest name most Linux file systems accept, in bytes.
constexpr size_t kMaxNameBytes = 255;

// The path below the output folder, without extension, never empty, never "." or ".." in any
// part. The last part is cut to `lastPartBytes` so that an extension and a number fit beside it.
std::string ExpandNamePattern(const std::string& pattern, const Timerec& tags,
                              const std::string& sourceStem, size_t lastPartBytes);

// One folder or file name made safe as described above, cut to `maxBytes`.
std::string SafeNamePart(const std::string& text, size_t maxBytes = kMaxNameBytes);

// Why a pattern would not name files as its writer meant: a field left open ("%title"), a
// "." or ".." folder, a control character. Nothing when it is fine, the empty pattern (the
// source's own name) included; a lone '%' before no name ("100% %title%") is text.
std::optional<std::string> NamePatternProblem(const std::string& pattern);
