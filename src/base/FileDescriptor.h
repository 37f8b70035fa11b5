// Owns a POSIX file descriptor: closed once, when the owner goes or on Close.
#pragma once

#include <cstddef>
#include <cstdint>

class FileDescriptor {
 public:
  FileDescriptor() = default;
  // Takes `fd` over; a negative value (a failed open) owns nothing.
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int release();
  // Closes now. False when close reports an error (a delayed write error, say: errno says
  // which) or when nothing was open.
  bool Close();

 private:
  int fd_ = -1;
};

// Reads `count` bytes at `offset`, going on after short reads and interruptions; returns how
// many came, fewer only at the end of the file or after an error.
size_t ReadAt(int fd, void* out, size_t count, uint64_t offset);
// Writes all `count` bytes at `offset` in the same way; false after an error.
bool WriteAt(int fd, const void* data, size_t count, uint64_t offset);
// Copies `count` bytes from `from` at `fromOffset` to `to` at `toOffset`, in the kernel where
// the file system allows it (no copy through this process), through a buffer where it does
// not. False unless every byte was copied: an error, or `from` ends before them.
bool CopyBetween(int from, uint64_t fromOffset, int to, uint64_t toOffset, uint64_t count);
