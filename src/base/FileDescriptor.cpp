#include "base/FileDescriptor.h"

#include <unistd.h>

#include <cerrno>

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
