// FFmpeg quietly reads around a WAV header that lies (a block size that does not fit the
// sample format, format chunks past the end); we would rather refuse such a file than convert
// something other than what its header promises. A data chunk cut short is different: it is a
// cut-off file, and what is there converts.
#pragma once

#include <string>

// Throws EngineError "Cannot open <path>: <what is wrong>" for a WAV file whose chunk sizes
// or PCM format fields contradict each other or the file's length. True when the data chunk
// ends before the size its header gives.
bool CheckWavHeader(const std::string& path);
