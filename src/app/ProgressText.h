// The counts and the time left that the command line's progress bar shows beside the bar, and
// the extended window's bar in its text.
#pragma once

#include <cstddef>
#include <string>

struct RunProgress {
  size_t done = 0;          // files finished, skipped or given up
  size_t total = 0;         // files found so far
  bool totalFinal = true;   // false while the folders are still being counted
  double fraction = 0;      // of the whole run, the files in flight included (0..1)
  double elapsedSeconds = 0;
};

// "1:05 left" (or "1:02:05 left"), from the pace so far; empty before there is a pace.
std::string TimeLeftText(double elapsedSeconds, double fraction);
// "12/2000 done" or, while counting, "12/340+ done".
std::string DoneText(const RunProgress& progress);
// "0:42 left, 3/10 done", the time left once there is a pace.
std::string CountsText(const RunProgress& progress);
