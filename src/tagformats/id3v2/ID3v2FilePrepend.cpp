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

constexpr size_t kCopyBlockSize = 1 << 16;

bool CopyRest(int from, AtomicReplacement& to) {
  std::vector<uint8_t> block(kCopyBlockSize);
  for (;;) {
    const ssize_t got = ::read(from, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!to.Write(block.data(), static_cast<size_t>(got))) return false;
  }
}

[[noreturn]] void ThrowWriteError(const std::string& fileName) {
  throw TagError("Cannot write file " + fileName + ": " + std::strerror(errno));
}

}  // namespace

void PrependToFile(const std::string& fileName, const std::vector<uint8_t>& head) {
  // A link is followed so that the file it names receives the tag and the link stays.
  const std::string target = ResolveWriteTarget(fileName);
  FileDescriptor source(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (source.get() < 0 || ::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode))
    throw TagError("Cannot open file " + fileName);

  AtomicReplacement replacement(target);
  if (!replacement.ok() || !replacement.Write(head.data(), head.size()) || !CopyRest(source.get(), replacement))
    ThrowWriteError(fileName);
  // The output loses a read-only mark: it is ours to finish.
  struct stat keep = info;
  keep.st_mode |= S_IWUSR;
  if (!replacement.Commit(&keep)) ThrowWriteError(fileName);
}
