// Small whole-file reads and crash-safe whole-file replacement for the settings file.
#pragma once

#include <string>

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
