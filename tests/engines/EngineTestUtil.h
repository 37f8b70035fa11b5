// Helpers for the engine tests: read a whole file through the engine, and convert one file
// with the same block loop the conversion run uses.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engines/AudioFile2.h"

namespace enginetest {

struct ReadResult {
  int sampleRate = 0;
  int channels = 0;
  int frameSize = 0;
  int64_t length = 0;      // frames, as reported before decoding
  int64_t durationMs = 0;  // as reported before decoding
  int64_t decodedFrames = 0;
  int peak = 0;            // largest sample magnitude seen
  std::vector<int16_t> samples;  // only when asked for
};

// Reads every block; checks on the way that each block is whole frames and at most
// `blockBytes` long. Default block size: one second, as the conversion run asks.
ReadResult ReadAll(const std::string& path, int blockBytes = 0, bool keepSamples = false);

// Converts `source` into `output`; `configure` sets the writer's format before it opens.
void Convert(const std::string& source, const std::string& output,
             const std::function<void(TAudioFile2& writer)>& configure = {},
             WriteMode mode = WriteMode::kCreateNew);

// True when the installed ffmpeg offers the named encoder (e.g. "libopus").
bool HasFfmpegEncoder(const std::string& name);

}  // namespace enginetest
