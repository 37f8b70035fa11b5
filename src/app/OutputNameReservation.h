// Output names while several files are converted at once. A file's name is decided when the
// file starts, in list order; a file that has started but not yet created its output still
// holds its name, so the next file sees it as taken exactly as it would after a one-at-a-time
// run had finished the earlier file.
#pragma once

#include <mutex>
#include <set>
#include <string>

class OutputNameReservation {
 public:
  bool IsHeld(const std::string& path) const {
    std::lock_guard<std::mutex> guard(lock_);
    return held_.count(path) != 0;
  }
  void Hold(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    held_.insert(path);
  }
  void Release(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    held_.erase(path);
  }

 private:
  mutable std::mutex lock_;
  std::set<std::string> held_;
};
