// Counts the files a command line names, folders walked, on a thread of its own, so the
// progress bar can show a total while the conversions of the first files already run.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

class BackgroundFileCount {
 public:
  BackgroundFileCount(std::vector<std::string> paths, std::string excludedFolder);
  ~BackgroundFileCount();  // stops the count when it is not over
  BackgroundFileCount(const BackgroundFileCount&) = delete;
  BackgroundFileCount& operator=(const BackgroundFileCount&) = delete;

  size_t count() const { return count_; }
  bool finished() const { return finished_; }

 private:
  void Count(std::vector<std::string> paths, std::string excludedFolder);

  std::atomic<size_t> count_{0};
  std::atomic<bool> finished_{false};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
