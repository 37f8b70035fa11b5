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
  // The same, except that a picture whose image lies unchanged in the file may come without
  // it, its place (offset and size) saying where it lies: for a listed row, which keeps no
  // images. Readers that cannot tell read the images.
  virtual Timerec ReadLeavingImages(const std::string& path) const { return Read(path); }
};
