#include "tagformats/id3v2/ID3v2FilePrepend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/AtomicFile.h"
#include "base/FileDescriptor.h"
#include "tagformats/common/TagError.h"

namespace {

// Short content goes with the head in one write; longer content is copied behind it, as far as
// it reached when the file was opened.
bool WriteHeadAndContent(const BytesWithImageGaps& head, const ImageCopier* images, int from, uint64_t size, int to) {
  if (size <= kContentWrittenAlong) return head.WriteFollowedByContent(to, 0, images, from, 0, size);
  return head.WriteAt(to, 0, images) && CopyBetween(from, 0, to, head.size(), size);
}

[[noreturn]] void ThrowWriteError(const std::string& fileName) {
  throw TagError("Cannot write file " + fileName + ": " + std::strerror(errno));
}

}  // namespace

void PrependToFile(const std::string& fileName, const BytesWithImageGaps& head, const ImageCopier* images) {
  // A link is followed so that the file it names receives the tag and the link stays.
  const std::string target = ResolveWriteTarget(fileName);
  FileDescriptor source(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (source.get() < 0 || ::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode))
    throw TagError("Cannot open file " + fileName);

  AtomicReplacement replacement(target);
  if (!replacement.ok() || !WriteHeadAndContent(head, images, source.get(), static_cast<uint64_t>(info.st_size),
                                                replacement.fd()))
    ThrowWriteError(fileName);
  // The output loses a read-only mark: it is ours to finish.
  struct stat keep = info;
  keep.st_mode |= S_IWUSR;
  if (!replacement.Commit(&keep)) ThrowWriteError(fileName);
}
