// The loudness options of velmora-convert: --normalize=peak|loudness[:LUFS],
// --replaygain off|track|album and --loudness (with --list).
#pragma once

#include <string>
#include <vector>

#include "app/LoudnessOptions.h"

struct LoudnessArguments {
  LoudnessOptions options;
  bool normalizeKindGiven = false;  // --normalize=KIND, which also asks for a normalize run
  bool listLoudness = false;        // --loudness
};

// Takes args[i] (and its value) when it is one of these options; false when it is not.
// `error` is set for a bad value.
bool TakeLoudnessArgument(const std::vector<std::string>& args, size_t& i,
                          LoudnessArguments& loudness, std::string& error);

// The usage lines of these options.
std::string LoudnessUsageText();
