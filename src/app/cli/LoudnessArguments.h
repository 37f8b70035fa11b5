// The loudness options of velmora-convert, as getopt_long takes them: the value of
// --normalize=peak|loudness[:LUFS], --replaygain off|track|album and --loudness (with --list).
#pragma once

#include <getopt.h>

#include <string>
#include <vector>

#include "app/LoudnessOptions.h"

struct LoudnessArguments {
  LoudnessOptions options;
  bool listLoudness = false;  // --loudness
};

// getopt_long entries for --replaygain and --loudness; their values start here.
constexpr int kFirstLoudnessOption = 900;
extern const std::vector<option> kLoudnessLongOptions;
bool IsLoudnessOption(int id);

// Takes one of kLoudnessLongOptions with its argument; `error` is set for a bad value.
void TakeLoudnessOption(int id, const char* value, LoudnessArguments& loudness,
                        std::string& error);
// The value of --normalize=KIND.
void TakeNormalizeKind(const char* value, LoudnessArguments& loudness, std::string& error);

// The usage lines of these options.
std::string LoudnessUsageText();
