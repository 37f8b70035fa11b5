#include "tagformats/common/ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

// Frame headers and texts ahead of a tag's images fit in one window; a read of this size or
// more goes straight to the file, so an image is not copied twice.
constexpr size_t kWindowSize = 16 * 1024;

}  // namespace

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

void FileByteSource::WillRead(uint64_t offset, uint64_t count) {
  ::posix_fadvise(fd_.get(), static_cast<off_t>(offset), static_cast<off_t>(count), POSIX_FADV_WILLNEED);
}

bool FileByteSource::Window::Holds(uint64_t offset, size_t count) const {
  return offset >= start && offset - start <= bytes.size() && count <= bytes.size() - (offset - start);
}

// The window used longer ago takes the bytes from `offset` on.
const FileByteSource::Window* FileByteSource::Refilled(uint64_t offset) {
  lastUsed_ = 1 - lastUsed_;
  Window& window = windows_[lastUsed_];
  window.bytes.resize(static_cast<size_t>(std::min<uint64_t>(kWindowSize, size_ - offset)));
  window.bytes.resize(ReadAt(fd_.get(), window.bytes.data(), window.bytes.size(), offset));
  window.start = offset;
  return &window;
}

bool FileByteSource::readAt(uint64_t offset, uint8_t* out, size_t count) {
  if (offset > size_ || count > size_ - offset) return false;
  if (count >= kWindowSize) return ReadAt(fd_.get(), out, count, offset) == count;
  const Window* window = nullptr;
  for (size_t i : {lastUsed_, 1 - lastUsed_}) {
    if (windows_[i].Holds(offset, count)) {
      window = &windows_[i];
      lastUsed_ = i;
      break;
    }
  }
  if (window == nullptr) {
    window = Refilled(offset);
    if (!window->Holds(offset, count)) return false;  // the file ended early
  }
  if (count > 0) std::memcpy(out, window->bytes.data() + (offset - window->start), count);
  return true;
}
