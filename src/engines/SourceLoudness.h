// Measuring a source's loudness by decoding it: for listing its values, and for the first
// pass of a loudness normalize, which needs the whole file measured before it writes a sample.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engines/AudioFile2.h"
#include "engines/LoudnessMeter.h"

// Called after each block with the frames read so far; false stops the measurement there.
using MeasureProgress = std::function<bool(int64_t framesDone)>;

// Reads the open source to its end (or until `progress` says stop) through a meter of the
// source's rate and channels. Engine errors pass.
std::unique_ptr<LoudnessMeter> MeasureOpenSource(TAudioFile2& reader,
                                                 const MeasureProgress& progress = {});

// Opens the file in its own shape (all channels, full depth) and measures all of it.
LoudnessResult MeasureFileLoudness(const std::string& path);
