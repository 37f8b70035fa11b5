// What tells one state of a file from another without reading it: device, inode, size and
// modification time. A file rewritten in place or replaced by another gets a different stamp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct stat;

struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modifiedNs = 0;
};

bool operator==(const FileStamp& a, const FileStamp& b);
inline bool operator!=(const FileStamp& a, const FileStamp& b) { return !(a == b); }

// The stamp of a regular file; nothing when there is none at the path (or it is no regular file).
std::optional<FileStamp> FileStampOf(const std::string& path);
std::optional<FileStamp> FileStampOf(int fd);
// From what stat or fstat gave, for a caller that has it already.
std::optional<FileStamp> FileStampOf(const struct stat& info);
