// FFmpeg quietly reads around a WAV header that lies (sizes past the end of the file, a block
// size that does not fit the sample format); we would rather refuse such a file than convert
// something other than what its header promises.
#pragma once

#include <string>

// Throws EngineError "Cannot open <path>: <what is wrong>" for a WAV file whose chunk sizes
// or PCM format fields contradict each other or the file's length.
void CheckWavHeader(const std::string& path);
