// Pictures whose images a record leaves in their sources (an empty `data`, a place instead):
// a writer that can take such an image straight from its source into the output file asks
// here for it, so that the image never passes through memory.
#pragma once

#include <cstdint>

#include "tags/TagExtras.h"

class ImageCopier {
 public:
  virtual ~ImageCopier() = default;
  // Puts the picture's image, `picture.size()` bytes, into the file `fd` at `offset`; false
  // when that failed.
  virtual bool CopyImage(const TagPicture& picture, int fd, uint64_t offset) const = 0;
};

// True for a picture whose image is for the copier to give.
inline bool ImageLeftInSource(const TagPicture& picture) { return picture.data.empty() && picture.size() > 0; }
