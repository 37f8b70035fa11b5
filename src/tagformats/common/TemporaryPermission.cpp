#include "tagformats/common/TemporaryPermission.h"

#include <sys/stat.h>

TemporaryPermission::TemporaryPermission(const std::string& path, Access access) : path_(path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  exists_ = true;
  mode_ = info.st_mode & 07777;
  const mode_t needed = access == Access::kRead ? S_IRUSR : S_IWUSR;
  if ((mode_ & needed) == 0 && ::chmod(path.c_str(), mode_ | needed) == 0) changed_ = true;
}

TemporaryPermission::~TemporaryPermission() {
  if (changed_) ::chmod(path_.c_str(), mode_);
}
