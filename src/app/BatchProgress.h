// The progress of a whole run with several files in flight: the files done plus the part of
// each file in flight, over the list's length. The window's bar and the command line's batch
// bar both show it.
#pragma once

#include <cstddef>
#include <map>

class BatchProgress {
 public:
  void Reset();
  void Started(size_t row);
  // A file's bar never goes back: the run returns it to 0 before it reports the file done.
  void Progress(size_t row, int percent);
  // The row left the run; `finished` when it reached "finish". False when it was not in flight.
  bool Ended(size_t row, bool finished);

  // A row the run left alone (its output was there): done without being in flight.
  void Skipped() { ++finished_; }

  // 0..100 of `total` files.
  int Percent(size_t total) const;
  // 0..1 of `total` files.
  double Fraction(size_t total) const;
  size_t finished() const { return finished_; }
  const std::map<size_t, int>& inFlight() const { return inFlight_; }

 private:
  size_t Parts() const;  // hundredths of a file: 100 a file done, its percent a file in flight

  std::map<size_t, int> inFlight_;  // row → percent
  size_t finished_ = 0;  // files done: finished or skipped
};
