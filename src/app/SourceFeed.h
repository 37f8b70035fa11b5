// The files named on a command line or dropped on the list, one at a time: a file stands for
// itself, a folder for every file under it (FolderWalker), each remembering that folder. The
// walk goes only as far as has been asked for, so adding and converting can start long before
// a large library has been walked.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/FolderProblems.h"
#include "app/FolderWalker.h"

struct SourceFile {
  std::string path;
  std::string addedFromFolder;  // empty for a file named on its own
};

class SourceFeed {
 public:
  // Folders or links the walks leave out are told to `problems`.
  SourceFeed(std::vector<std::string> paths, FolderProblems& problems);
  ~SourceFeed();

  // A folder no walk enters (the output folder of the run).
  void Exclude(const std::string& folder) { excluded_.push_back(folder); }
  std::optional<SourceFile> Next();
  // Up to `count` further files.
  std::vector<SourceFile> Take(size_t count);

  static bool IsFolder(const std::string& path);
  static bool AnyFolder(const std::vector<std::string>& paths);

 private:
  std::vector<std::string> paths_;
  size_t nextPath_ = 0;
  FolderProblems& problems_;
  std::vector<std::string> excluded_;
  std::unique_ptr<FolderWalker> walker_;
};
