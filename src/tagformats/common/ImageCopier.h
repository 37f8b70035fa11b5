// Pictures whose images a record leaves in their sources (an empty `data`, a place instead):
// a writer that can take such an image straight from its source into the output file asks
// here for it, so that the image never passes through memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// Bytes built for a file with the images left in their sources not among them: a gap notes
// the picture whose image goes before the byte at `at`.
struct ImageGap {
  size_t at;
  const TagPicture* picture;
};
struct BytesWithImageGaps {
  std::vector<uint8_t> bytes;
  std::vector<ImageGap> gaps;

  // The image's bytes, or a gap for it when it is left in its source.
  void AppendImage(const TagPicture& picture);
  uint64_t size() const;  // the images in the gaps counted
  // The size from the byte at `start` to the end, with the gaps after that byte (a gap at
  // `start` itself belongs to what came before it).
  uint64_t SizeSince(size_t start) const;
  // Writes everything at `offset` of `fd`, each image in a gap through `copier` (which may be
  // null when there is no gap); false when a write or a copy failed.
  bool WriteAt(int fd, uint64_t offset, const ImageCopier* copier) const;
};
