// Owns a stdio stream: closed when the owner goes, or on CloseStdioFile, which reports what a
// close may still find wrong (buffered bytes that could not be written).
#pragma once

#include <cstdio>
#include <memory>

struct StdioFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

// Closes the stream now; false when fclose failed (errno says why) or nothing was open.
inline bool CloseStdioFile(StdioFile& file) {
  std::FILE* raw = file.release();
  return raw && std::fclose(raw) == 0;
}
