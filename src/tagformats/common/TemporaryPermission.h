// Lends a file a permission bit for as long as the object lives (read or write access for its
// owner, as a tag reader or writer needs it) and puts the original bits back in every case.
#pragma once

#include <sys/types.h>

#include <string>

class TemporaryPermission {
 public:
  enum class Access { kRead, kWrite };

  TemporaryPermission(const std::string& path, Access access);
  ~TemporaryPermission();
  TemporaryPermission(const TemporaryPermission&) = delete;
  TemporaryPermission& operator=(const TemporaryPermission&) = delete;

  // False when the file could not be looked at (missing, not a regular file).
  bool exists() const { return exists_; }
  // The bits the file had before.
  mode_t originalMode() const { return mode_; }

 private:
  std::string path_;
  mode_t mode_ = 0;
  bool exists_ = false;
  bool changed_ = false;
};
