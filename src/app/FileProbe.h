// What adding a file needs to know of it before its row exists: its format, size, playing time
// and tags. Files are probed on the core's work pool while the driving thread goes on pumping;
// the core adds the rows in the order the files were chosen.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/WorkPool.h"
#include "base/AudioFormat.h"
#include "base/FileStamp.h"
#include "tags/Timerec.h"

class TAudioFile2;

struct ProbedAudio {
  AudioFormat format = AudioFormat::kOther;
  std::string sizeText;
  std::string timeText;
  FileStamp stamp;  // as the file was when probed, before its tags are read
};

// Throws with the reason when the file cannot be listed (missing, not a regular file, not audio
// the engine reads). `reader` has its engine options set and is left closed.
ProbedAudio ProbeAudio(const std::string& path, TAudioFile2& reader);

struct ProbedFile {
  ProbedAudio audio;
  std::optional<Timerec> tags;
  std::string refusal;   // not empty: the file gets no row, for this reason
  std::string tagError;  // not empty: the row exists, but its tags could not be read
};

// The files of one AddFiles, probed up to `jobs` at once on the pool. Going away cancels the
// files not yet started and waits for those being probed.
class ProbeBatch {
 public:
  ProbeBatch(WorkPool& pool, std::vector<std::string> paths, size_t jobs);
  ~ProbeBatch();

  size_t size() const { return paths_.size(); }
  const std::string& path(size_t i) const { return paths_[i]; }
  // Waits at most `timeout` for file i; true when its result is there.
  bool WaitFor(size_t i, std::chrono::milliseconds timeout);
  // How many results from `first` on are there, without a gap.
  size_t ReadyFrom(size_t first);
  // File i's result; only after WaitFor or ReadyFrom said it is there, and once.
  ProbedFile Take(size_t i);

 private:
  void Work();
  void FreeSpent();  // on a prober: the results taken since

  std::vector<std::string> paths_;
  std::vector<ProbedFile> results_;
  std::vector<char> ready_;  // guarded by lock_
  std::vector<ProbedFile> spent_;  // taken results left for a prober to free; guarded by lock_
  std::mutex lock_;
  std::condition_variable probed_;
  std::atomic<size_t> next_{0};
  std::atomic<bool> cancelled_{false};
  TaskGroup tasks_;  // last: goes first, while the results still exist
};
