// What a run needs to know before its first file, read once from the settings at its start, so
// settings stored during the run take effect with the next one.
#pragma once

#include <string>

#include "app/LibraryOptions.h"
#include "app/LoudnessOptions.h"
#include "app/RunSettings.h"

class ReplayGainBook;

enum class RunKind { kConvert, kNormalize };

struct RunPlan {
  RunKind kind = RunKind::kConvert;
  std::string folder;            // exists and ends in '/'
  OutputFormatSettings format;   // the conversion's output format; normalize ignores it
  LibraryOptions library;        // tree, name pattern, existing outputs
  LoudnessOptions loudness;      // the kind of normalize, the ReplayGain tags
  ReplayGainBook* replayGain = nullptr;  // the run's ReplayGain tagging; null when off
};
