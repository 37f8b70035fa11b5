// Opening an output to write it from its start without O_TRUNC. Truncating a file that is
// already empty, as every output this program claims is, makes ext4 flush the file when it is
// closed (its guard for files replaced by truncation): the writer then pays for sending the
// file towards the disk, about 0.1 ms of a two-second WMA's 5 ms, before its tags are even
// written. A file is emptied only when it holds bytes.
#pragma once

#include <cstdio>
#include <string>

struct AVIOContext;

// A buffered stream for writing (and reading, with `alsoRead`) on the file at `path`, created
// when missing and emptied when it held bytes; null with errno set when that fails.
std::FILE* OpenEmptiedOutput(const std::string& path, bool alsoRead = false);

// FFmpeg's output for a muxer, on the file at `path` emptied in the same way; FFmpeg's error
// code (negative) when that fails.
int OpenEmptiedAvioOutput(AVIOContext** output, const std::string& path);
