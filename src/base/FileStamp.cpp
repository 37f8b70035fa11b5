#include "base/FileStamp.h"

#include <sys/stat.h>

std::optional<FileStamp> FileStampOf(const struct stat& info) {
  if (!S_ISREG(info.st_mode)) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                   static_cast<uint64_t>(info.st_size),
                   static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool operator==(const FileStamp& a, const FileStamp& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modifiedNs == b.modifiedNs;
}

std::optional<FileStamp> FileStampOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? FileStampOf(info) : std::nullopt;
}

std::optional<FileStamp> FileStampOf(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 ? FileStampOf(info) : std::nullopt;
}
