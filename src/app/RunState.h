// Everything one run works with besides the list: its stop flag, the file it is at, and engine
// objects of its own. Several can exist at once, each driving its own files over the same list.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "engines/AudioFile2.h"
#include "engines/AudioFile2LameEnc.h"
#include "engines/AudioTransform2.h"

struct RunState {
  RunState();
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  // Cleared by Stop from whichever thread hears it; the run looks at it between blocks.
  std::atomic<bool> running{false};
  size_t current_index = 0;
  std::string output_file_name;

  TAudioFile2 AudioFileRead;
  TAudioFile2 AudioFilewrite;
  TAudioFile2LameEnc AudioFile2LameEnc;
  TAudioTransform2 AudioTransform21;
};
