#include "tagformats/common/ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

bool BufferByteSource::readAt(uint64_t offset, uint8_t* out, size_t count) {
  if (offset > size_ || count > size_ - offset) return false;
  if (count > 0) std::memcpy(out, data_ + offset, count);
  return true;
}

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path) {
  // Non-blocking so that a FIFO given as a file cannot stall the open.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info;
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  return std::unique_ptr<FileByteSource>(new FileByteSource(std::move(fd), static_cast<uint64_t>(info.st_size)));
}

bool FileByteSource::readAt(uint64_t offset, uint8_t* out, size_t count) {
  if (offset > size_ || count > size_ - offset) return false;
  return ReadAt(fd_.get(), out, count, offset) == count;
}
