#include "tagformats/common/ImageCopier.h"

#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "base/FileDescriptor.h"

namespace {

constexpr size_t kMaxPartsPerCall = 1024;  // what Linux takes in one vectored write

// Writes the parts one after the other from `offset`, as few calls as the system allows.
bool WriteAllAt(int fd, const std::vector<ImageBytes>& parts, uint64_t offset) {
  std::vector<iovec> pending;
  for (const ImageBytes& part : parts)
    if (part.size != 0) pending.push_back({const_cast<uint8_t*>(part.data), part.size});
  size_t first = 0;
  while (first < pending.size()) {
    const int count = static_cast<int>(std::min(pending.size() - first, kMaxPartsPerCall));
    const ssize_t moved = ::pwritev(fd, pending.data() + first, count, static_cast<off_t>(offset));
    if (moved < 0 && errno == EINTR) continue;
    if (moved <= 0) return false;
    offset += static_cast<uint64_t>(moved);
    for (size_t left = static_cast<size_t>(moved); left > 0;) {  // past what went out
      const size_t step = std::min(left, pending[first].iov_len);
      pending[first].iov_base = static_cast<uint8_t*>(pending[first].iov_base) + step;
      pending[first].iov_len -= step;
      left -= step;
      if (pending[first].iov_len == 0) ++first;
    }
  }
  return true;
}

}  // namespace

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

bool BytesWithImageGaps::WriteFollowedByContent(int fd, uint64_t offset, const ImageCopier* copier, int from,
                                                uint64_t fromOffset, uint64_t size) const {
  if (size > kContentWrittenAlong) return false;
  // Not zeroed first: every byte is read over, or the write does not happen.
  const std::unique_ptr<uint8_t[]> content(new uint8_t[static_cast<size_t>(size)]);
  return ReadAt(from, content.get(), static_cast<size_t>(size), fromOffset) == size &&
         WriteFollowedBy(fd, offset, copier, {content.get(), static_cast<size_t>(size)});
}

bool BytesWithImageGaps::WriteFollowedBy(int fd, uint64_t offset, const ImageCopier* copier, ImageBytes tail) const {
  if (!gaps.empty() && copier == nullptr) return false;
  std::vector<ImageBytes> parts;
  parts.reserve(2 * gaps.size() + 2);
  size_t written = 0;  // of the bytes
  for (const ImageGap& gap : gaps) {
    parts.push_back({bytes.data() + written, gap.at - written});
    const ImageBytes image = copier->Image(*gap.picture);
    if (image.size != gap.picture->size() || (image.size != 0 && image.data == nullptr)) return false;
    parts.push_back(image);
    written = gap.at;
  }
  parts.push_back({bytes.data() + written, bytes.size() - written});
  parts.push_back(tail);
  return WriteAllAt(fd, parts, offset);
}
