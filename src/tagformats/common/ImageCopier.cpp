#include "tagformats/common/ImageCopier.h"

#include "base/FileDescriptor.h"

void BytesWithImageGaps::AppendImage(const TagPicture& picture) {
  if (ImageLeftInSource(picture)) gaps.push_back({bytes.size(), &picture});
  else bytes.insert(bytes.end(), picture.data.begin(), picture.data.end());
}

uint64_t BytesWithImageGaps::SizeSince(size_t start) const {
  uint64_t size = bytes.size() - start;
  for (const ImageGap& gap : gaps)
    if (gap.at > start) size += gap.picture->size();
  return size;
}

uint64_t BytesWithImageGaps::size() const {
  uint64_t size = bytes.size();
  for (const ImageGap& gap : gaps) size += gap.picture->size();
  return size;
}

bool BytesWithImageGaps::WriteAt(int fd, uint64_t offset, const ImageCopier* copier) const {
  if (!gaps.empty() && copier == nullptr) return false;
  size_t written = 0;  // of the bytes
  auto writeUpTo = [&](size_t end) {
    const bool ok = ::WriteAt(fd, bytes.data() + written, end - written, offset);
    offset += end - written;
    written = end;
    return ok;
  };
  for (const ImageGap& gap : gaps) {
    if (!writeUpTo(gap.at) || !copier->CopyImage(*gap.picture, fd, offset)) return false;
    offset += gap.picture->size();
  }
  return writeUpTo(bytes.size());
}
