// File plumbing for rewriting an Ogg file's comments: the read and write functions handed to
// the comment editor, a temporary file that never takes an existing name, and keeping the
// file's permission bits.
#pragma once

#include <cstdio>
#include <string>
#include <sys/types.h>

// Both take the address of a FILE* variable as handle and return whole items moved; a stream
// error yields 0.
size_t VorbisFileRead(void* buffer, size_t size, size_t count, void* handle);
size_t VorbisFileWrite(void* buffer, size_t size, size_t count, void* handle);

// A new file next to `target`, named after it with ".temp" (song.temp, then song.1.temp, …),
// created exclusively so that no existing file is ever truncated. Removed on destruction
// unless it has been moved over the target.
class VorbisTempFile {
 public:
  explicit VorbisTempFile(const std::string& target);
  ~VorbisTempFile();
  VorbisTempFile(const VorbisTempFile&) = delete;
  VorbisTempFile& operator=(const VorbisTempFile&) = delete;

  bool ok() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }
  // The variable that holds the open stream; its address is the write handle.
  FILE*& stream() { return file_; }

  // Flushes the data to disk, closes the file and gives it `mode`. False when the data may
  // not all have reached the disk (errno says why).
  bool Finish(mode_t mode);

  // Renames the finished file over the target in one step, so the target is never missing.
  bool MoveOverTarget();

 private:

  std::string target_;
  std::string path_;
  FILE* file_ = nullptr;
  bool created_ = false;
  bool placed_ = false;
};
