#include "app/FolderWalker.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Closes the folder handle however the walk ends.
struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool IsHidden(const char* name) { return name[0] == '.'; }

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

// One folder being walked: its entries, read and sorted when it is entered.
struct FolderWalker::Level {
  std::string relative;
  FolderId id;
  std::vector<std::pair<std::string, unsigned char>> entries;  // name, dirent type
  size_t next = 0;
};

FolderWalker::FolderWalker(const std::string& root, SkipReport skipped)
    : root_(WithoutTrailingSlashes(root)), skipped_(std::move(skipped)) {}

FolderWalker::~FolderWalker() = default;

void FolderWalker::Exclude(const std::string& folder) {
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) excluded_.push_back({info.st_dev, info.st_ino});
}

std::string FolderWalker::PathOf(const std::string& relative) const {
  if (relative.empty()) return root_;
  return root_ == "/" ? "/" + relative : root_ + "/" + relative;
}

bool FolderWalker::IsOnCurrentPath(FolderId id) const {
  return std::any_of(stack_.begin(), stack_.end(),
                     [&id](const std::unique_ptr<Level>& level) { return level->id == id; });
}

std::optional<WalkedFile> FolderWalker::Next() {
  if (!started_) {
    started_ = true;
    Visit("", DT_UNKNOWN);
  }
  while (!stack_.empty()) {
    Level& level = *stack_.back();
    if (level.next == level.entries.size()) {
      stack_.pop_back();
      continue;
    }
    const auto& [name, type] = level.entries[level.next++];
    std::string relative = Joined(level.relative, name);
    if (Visit(relative, type)) return WalkedFile{PathOf(relative), relative};
  }
  return std::nullopt;
}

bool FolderWalker::Visit(const std::string& relative, unsigned char type) {
  if (type == DT_REG) return true;  // no stat needed: most entries of a library are files
  const std::string path = PathOf(relative);
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    // A link to nowhere, or one that loops on itself.
    skipped_(path, std::strerror(errno));
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    VisitFolder(relative, {info.st_dev, info.st_ino});
    return false;
  }
  if (relative.empty()) skipped_(path, "not a folder");
  return S_ISREG(info.st_mode) && !relative.empty();
}

void FolderWalker::VisitFolder(const std::string& relative, FolderId id) {
  const std::string path = PathOf(relative);
  if (IsOnCurrentPath(id)) {
    skipped_(path, "a link back into a folder above it (a loop)");
  } else if (!relative.empty() &&
             std::find(excluded_.begin(), excluded_.end(), id) != excluded_.end()) {
    skipped_(path, "it is the output folder");
  } else {
    Enter(relative, id);
  }
}

void FolderWalker::Enter(const std::string& relative, FolderId id) {
  const std::string path = PathOf(relative);
  DirHandle dir(opendir(path.c_str()));
  if (!dir) {
    skipped_(path, std::strerror(errno));
    return;
  }
  auto level = std::make_unique<Level>();
  level->relative = relative;
  level->id = id;
  errno = 0;
  while (const dirent* entry = readdir(dir.get())) {
    if (!IsHidden(entry->d_name)) level->entries.emplace_back(entry->d_name, entry->d_type);
  }
  if (errno != 0) skipped_(path, std::string("read only in part: ") + std::strerror(errno));
  std::sort(level->entries.begin(), level->entries.end());
  level->entries.shrink_to_fit();
  stack_.push_back(std::move(level));
}
