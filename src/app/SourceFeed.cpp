#include "app/SourceFeed.h"

#include <sys/stat.h>

#include <algorithm>

SourceFeed::SourceFeed(std::vector<std::string> paths, FolderProblems& problems)
    : paths_(std::move(paths)), problems_(problems) {}

SourceFeed::~SourceFeed() = default;

bool SourceFeed::IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool SourceFeed::AnyFolder(const std::vector<std::string>& paths) {
  return std::any_of(paths.begin(), paths.end(), IsFolder);
}

std::optional<SourceFile> SourceFeed::Next() {
  for (;;) {
    if (walker_) {
      if (std::optional<WalkedFile> file = walker_->Next())
        return SourceFile{std::move(file->path), walker_->root()};
      walker_.reset();
    }
    if (nextPath_ == paths_.size()) return std::nullopt;
    const std::string& path = paths_[nextPath_++];
    if (!IsFolder(path)) return SourceFile{path, ""};
    walker_ = std::make_unique<FolderWalker>(
        path, [this](const std::string& skipped, const std::string& reason) {
          problems_.LeftOut(skipped, reason);
        });
    for (const std::string& folder : excluded_) walker_->Exclude(folder);
  }
}

std::vector<SourceFile> SourceFeed::Take(size_t count) {
  std::vector<SourceFile> files;
  while (files.size() < count) {
    std::optional<SourceFile> file = Next();
    if (!file) break;
    files.push_back(std::move(*file));
  }
  return files;
}
