#include "tagformats/id3v2/ID3v2FilePrepend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tagformats/common/TagError.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kCopyBlockSize = 1 << 16;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closing can report the last delayed write error, so its result matters.
  bool Close() {
    if (fd_ < 0) return true;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }

 private:
  int fd_;
};

// A temporary file beside the target, removed unless it has been renamed into place.
class SiblingTempFile {
 public:
  explicit SiblingTempFile(const fs::path& target) {
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ >= 0) path_ = pattern;
  }
  ~SiblingTempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  SiblingTempFile(const SiblingTempFile&) = delete;
  SiblingTempFile& operator=(const SiblingTempFile&) = delete;
  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  bool Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }
  bool RenameTo(const fs::path& target) {
    if (::rename(path_.c_str(), target.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  int fd_ = -1;
  std::string path_;
};

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool CopyRest(int from, int to) {
  std::vector<uint8_t> block(kCopyBlockSize);
  for (;;) {
    const ssize_t got = ::read(from, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!WriteAll(to, block.data(), static_cast<size_t>(got))) return false;
  }
}

// A link is followed so that the file it names receives the tag and the link stays.
fs::path ResolveTarget(const std::string& fileName) {
  std::error_code error;
  const fs::path resolved = fs::canonical(fileName, error);
  return error ? fs::path(fileName) : resolved;
}

[[noreturn]] void ThrowWriteError(const std::string& fileName) {
  throw TagError("Cannot write file " + fileName + ": " + std::strerror(errno));
}

}  // namespace

void PrependToFile(const std::string& fileName, const std::vector<uint8_t>& head) {
  const fs::path target = ResolveTarget(fileName);
  FileDescriptor source(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (source.get() < 0 || ::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode))
    throw TagError("Cannot open file " + fileName);

  SiblingTempFile temp(target);
  if (!temp.ok()) ThrowWriteError(fileName);
  if (!WriteAll(temp.fd(), head.data(), head.size()) || !CopyRest(source.get(), temp.fd()))
    ThrowWriteError(fileName);
  // Ownership can only be kept where we may give it away; the file stays ours otherwise.
  if (::fchown(temp.fd(), info.st_uid, info.st_gid) != 0) errno = 0;
  if (::fchmod(temp.fd(), (info.st_mode & 07777) | S_IWUSR) != 0 || ::fsync(temp.fd()) != 0 || !temp.Close())
    ThrowWriteError(fileName);
  source.Close();
  if (!temp.RenameTo(target)) ThrowWriteError(fileName);
}
