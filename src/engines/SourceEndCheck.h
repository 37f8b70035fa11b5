// Whether a source is known to end before the size its own header gives (a cut-off download),
// for the containers whose header states a size. Read from the headers only; false when the
// header says nothing about it.
#pragma once

#include <string>

// The byte count of the Xing/Info frame against what follows it in the file.
bool Mp3EndsEarly(const std::string& path);
// The file size of the ASF file properties object against the file's real size.
bool AsfEndsEarly(const std::string& path);
