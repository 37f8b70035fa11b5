// What went wrong while adding whole folders, gathered so that it is told once at the end
// instead of one message per file: files the engine cannot read, and folders or links the
// walk left out. Only the first lines are kept, so a folder of thousands of pictures costs
// no more than a few.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class FolderProblems {
 public:
  void Unreadable(const std::string& path, const std::string& reason);
  void LeftOut(const std::string& path, const std::string& reason);

  bool empty() const { return unreadable_ == 0 && leftOut_ == 0; }
  size_t unreadable() const { return unreadable_; }
  // A count of each kind, then the kept lines, then how many more there were.
  std::string Message() const;

 private:
  void Keep(std::string line);

  size_t unreadable_ = 0;
  size_t leftOut_ = 0;
  std::vector<std::string> lines_;
};
