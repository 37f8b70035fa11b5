// Pictures whose images a record leaves in their sources (an empty `data`, a place instead):
// a writer that can take such an image from its source while it writes the file asks here for
// it, so that the record is not copied to hold the images and each image is written in the
// same call as the bytes around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tags/TagExtras.h"

struct ImageBytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

class ImageCopier {
 public:
  virtual ~ImageCopier() = default;
  // The picture's image, `picture.size()` bytes, held until the copier goes; no bytes when it
  // could not be read.
  virtual ImageBytes Image(const TagPicture& picture) const = 0;
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
  // Writes everything at `offset` of `fd`, each image in a gap from `copier` (which may be null
  // when there is no gap), in one go: the file system then takes them in large pieces. False
  // when an image could not be had or the write failed.
  bool WriteAt(int fd, uint64_t offset, const ImageCopier* copier) const { return WriteFollowedBy(fd, offset, copier, {}); }
  // The same, followed in that one write by `size` bytes (at most kContentWrittenAlong) of
  // `from` at `fromOffset`, which are read first: they may lie where the bytes go.
  bool WriteFollowedByContent(int fd, uint64_t offset, const ImageCopier* copier, int from, uint64_t fromOffset,
                              uint64_t size) const;
  // The same, followed by `tail`, which must not lie in the file where the bytes go.
  bool WriteFollowedBy(int fd, uint64_t offset, const ImageCopier* copier, ImageBytes tail) const;
};

// How much of a file's content a writer takes into memory to write it along with a new head;
// longer content is moved or copied on its own.
constexpr uint64_t kContentWrittenAlong = uint64_t{8} << 20;
