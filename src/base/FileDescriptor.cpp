#include "base/FileDescriptor.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
  }
  return *this;
}

int FileDescriptor::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

bool FileDescriptor::Close() {
  const int fd = release();
  return fd >= 0 && ::close(fd) == 0;
}

namespace {

// Repeats a positioned read or write until every byte is through, an error, or the end.
template <typename Byte, typename Transfer>
size_t TransferAt(Transfer transfer, Byte* data, size_t count, uint64_t offset) {
  size_t done = 0;
  while (done < count) {
    const ssize_t moved = transfer(data + done, count - done, static_cast<off_t>(offset + done));
    if (moved < 0 && errno == EINTR) continue;
    if (moved <= 0) break;
    done += static_cast<size_t>(moved);
  }
  return done;
}

}  // namespace

size_t ReadAt(int fd, void* out, size_t count, uint64_t offset) {
  return TransferAt([fd](uint8_t* p, size_t n, off_t at) { return ::pread(fd, p, n, at); },
                    static_cast<uint8_t*>(out), count, offset);
}

bool WriteAt(int fd, const void* data, size_t count, uint64_t offset) {
  return TransferAt([fd](const uint8_t* p, size_t n, off_t at) { return ::pwrite(fd, p, n, at); },
                    static_cast<const uint8_t*>(data), count, offset) == count;
}

namespace {

// Where the kernel will not copy between these two files, bytes go through a buffer.
bool CopyThroughBuffer(int from, uint64_t fromOffset, int to, uint64_t toOffset, uint64_t count) {
  std::vector<uint8_t> block(static_cast<size_t>(std::min<uint64_t>(count, 1 << 20)));
  for (uint64_t done = 0; done < count;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), count - done));
    if (ReadAt(from, block.data(), n, fromOffset + done) != n || !WriteAt(to, block.data(), n, toOffset + done))
      return false;
    done += n;
  }
  return true;
}

bool KernelDeclines(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

}  // namespace

bool CopyBetween(int from, uint64_t fromOffset, int to, uint64_t toOffset, uint64_t count) {
  off64_t in = static_cast<off64_t>(fromOffset), out = static_cast<off64_t>(toOffset);
  uint64_t done = 0;
  while (done < count) {
    const ssize_t moved = ::copy_file_range(from, &in, to, &out, static_cast<size_t>(count - done), 0);
    if (moved < 0 && errno == EINTR) continue;
    if (moved < 0 && KernelDeclines(errno))
      return CopyThroughBuffer(from, fromOffset + done, to, toOffset + done, count - done);
    if (moved <= 0) return false;
    done += static_cast<uint64_t>(moved);
  }
  return true;
}
