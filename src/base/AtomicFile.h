// Small whole-file reads and crash-safe file replacement, for the settings file and for the
// tag writers that rewrite a whole audio file.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

#include "base/FileDescriptor.h"

enum class FileReadStatus {
  kRead,     // content holds the whole file
  kMissing,  // no such file (or a folder on the way is missing)
  kFailed,   // present but unreadable: a folder, a FIFO, no permission, too large, I/O error
};

struct FileReadResult {
  FileReadStatus status = FileReadStatus::kMissing;
  std::string content;
};

// "/a/b/c" gives "/a/b" and "c"; a bare name lives in ".".
std::string FolderOf(const std::string& path);
std::string BaseNameOf(const std::string& path);

// Reads a regular file of at most `maxBytes` bytes. Never blocks on a FIFO or device.
FileReadResult ReadWholeFile(const std::string& path, size_t maxBytes);

// Creates `folder` and any missing parents (mode 0700, as the XDG rules ask for).
bool MakeFolders(const std::string& folder);

// A new file beside `target` that takes the target's place in one rename, so that a crash or
// a failure at any point leaves either the old or the new file, never a mix. The temporary
// file is created exclusively (no existing file is ever truncated) and removed again unless
// Commit succeeded.
class AtomicReplacement {
 public:
  enum class TempName {
    kHidden,         // ".name.tmp-<unique>"
    kTempExtension,  // the target's name with the extension ".temp" (song.temp, song.1.temp, …)
  };

  // `createMode` is the temporary file's mode until Commit (the umask applies).
  explicit AtomicReplacement(const std::string& target, mode_t createMode = 0600,
                             TempName naming = TempName::kHidden);
  ~AtomicReplacement();
  AtomicReplacement(const AtomicReplacement&) = delete;
  AtomicReplacement& operator=(const AtomicReplacement&) = delete;

  // False when the temporary file could not be created (errno says why).
  bool ok() const { return fd_.valid(); }
  const std::string& tempPath() const { return tempPath_; }

  // Appends bytes; false when they could not all be written.
  bool Write(const void* data, size_t size);
  // The temporary file, for writes at given offsets instead of appending ones.
  int fd() const { return fd_.get(); }

  // Gives the new file the permission bits (and, where allowed, the owner) of `keep` when
  // given, flushes it to disk, closes it and renames it over the target. False on failure
  // (errno says why); the target is then untouched.
  bool Commit(const struct stat* keep);

 private:
  std::string target_;
  std::string tempPath_;
  FileDescriptor fd_;
  bool created_ = false;
  bool placed_ = false;
};

// Replaces `path` with `content` so that a crash or a failure at any point leaves either the
// old or the new file, never a mix: the content goes to a uniquely named temporary file in the
// same folder, is flushed to disk, and is renamed over `path`. The old file's permission bits
// (and, where allowed, owner) carry over. Refuses to replace a file we may not write to, as
// the profile API does. On failure returns false, leaves no temporary file behind, and leaves
// `path` untouched.
bool ReplaceFileAtomically(const std::string& path, const std::string& content);

// Where a write to `path` really has to go: the target of a symlink, so that a linked
// settings file stays linked; `path` itself otherwise.
std::string ResolveWriteTarget(const std::string& path);
