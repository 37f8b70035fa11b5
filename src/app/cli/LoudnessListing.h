// The loudness columns of `velmora-convert --list --loudness`: integrated loudness, loudness
// range and true peak of each file, measured by decoding it, several files at once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One text per path, in order: "-23.0 LUFS\t0.0 LU\t-23.0 dBTP"; "-inf" for a value silence
// or too short a file leaves undefined; "error: <reason>" for a file that cannot be read.
std::vector<std::string> LoudnessColumns(const std::vector<std::string>& paths, size_t jobs);
