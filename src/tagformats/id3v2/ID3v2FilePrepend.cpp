#include "tagformats/id3v2/ID3v2FilePrepend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "base/AtomicFile.h"
#include "base/FileDescriptor.h"
#include "tagformats/common/TagError.h"
#include "tagformats/id3v2/ID3v2Parser.h"

namespace {

[[noreturn]] void ThrowWriteError(const std::string& fileName) {
  throw TagError("Cannot write file " + fileName + ": " + std::strerror(errno));
}

// The length of the ID3v2 tag that `start` (the file's first bytes) begins with, 0 when it has
// none that ends within the file.
uint64_t TagLengthAtStart(const uint8_t* start, size_t startSize, uint64_t fileSize) {
  const std::optional<size_t> length = ID3v2TagLength(start, startSize);
  return length && *length <= fileSize ? *length : 0;
}

uint64_t TagLengthAtStart(int fd, uint64_t fileSize) {
  uint8_t header[kID3v2HeaderSize];
  if (ReadAt(fd, header, sizeof header, 0) != sizeof header) return 0;
  return TagLengthAtStart(header, sizeof header, fileSize);
}

// The file, old tag and all, is read into memory and its audio written back behind the new head
// in one write. Should that write stop part way, the copy puts the file back as it was.
bool RewriteInPlace(int fd, uint64_t size, const BytesWithImageGaps& head, const ImageCopier* images) {
  std::vector<uint8_t> old(static_cast<size_t>(size));
  if (ReadAt(fd, old.data(), old.size(), 0) != old.size()) return false;
  const size_t oldTagLength = static_cast<size_t>(TagLengthAtStart(old.data(), old.size(), size));
  const ImageBytes content{old.data() + oldTagLength, old.size() - oldTagLength};
  const uint64_t newSize = head.size() + content.size;
  if (head.WriteFollowedBy(fd, 0, images, content) &&
      (newSize >= size || ::ftruncate(fd, static_cast<off_t>(newSize)) == 0))
    return true;
  const int error = errno;
  if (WriteAt(fd, old.data(), old.size(), 0)) (void)::ftruncate(fd, static_cast<off_t>(size));
  errno = error;
  return false;
}

// A longer file's audio is copied in the kernel behind the new head into a new file.
void ReplaceWithCopy(const std::string& fileName, const std::string& target, int source, const struct stat& info,
                     const BytesWithImageGaps& head, const ImageCopier* images) {
  const uint64_t oldTagLength = TagLengthAtStart(source, static_cast<uint64_t>(info.st_size));
  AtomicReplacement replacement(target);
  const uint64_t content = static_cast<uint64_t>(info.st_size) - oldTagLength;
  if (!replacement.ok() || !head.WriteAt(replacement.fd(), 0, images) ||
      !CopyBetween(source, oldTagLength, replacement.fd(), head.size(), content))
    ThrowWriteError(fileName);
  struct stat keep = info;
  keep.st_mode |= S_IWUSR;
  if (!replacement.Commit(&keep)) ThrowWriteError(fileName);
}

}  // namespace

void PutTagAtStart(const std::string& fileName, const BytesWithImageGaps& head, const ImageCopier* images) {
  // A link is followed so that the file it names receives the tag and the link stays.
  const std::string target = ResolveWriteTarget(fileName);
  FileDescriptor file(::open(target.c_str(), O_RDWR | O_CLOEXEC));
  const bool writable = file.valid();
  if (!writable) file = FileDescriptor(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
    throw TagError("Cannot open file " + fileName);
  const uint64_t size = static_cast<uint64_t>(info.st_size);
  // A read-only output is replaced, which makes it writable: it is ours to finish.
  if (!writable || (info.st_mode & S_IWUSR) == 0 || size > kContentWrittenAlong)
    return ReplaceWithCopy(fileName, target, file.get(), info, head, images);
  if (!RewriteInPlace(file.get(), size, head, images)) ThrowWriteError(fileName);
}
