// Reading a file's tags into a record. A reader holds no state between calls, so different
// files may be read on different threads at once.
#pragma once

#include <string>

#include "tagformats/common/TagError.h"
#include "tags/Timerec.h"

class TagReader {
 public:
  virtual ~TagReader() = default;

  // The file's tags as UTF-8; fields the file does not carry stay empty, and a damaged tag
  // gives what could be read of it. Throws TagError with the reason when the file cannot be
  // read at all.
  virtual Timerec Read(const std::string& path) const = 0;
};
