// --dry-run: for every listed file, the output a run would write or why it would leave the file
// alone, decided as the run decides it; nothing is written.
#pragma once

#include <string>
#include <unordered_set>

#include "app/RunPlan.h"

class ConverterCore;

class DryRun {
 public:
  explicit DryRun(RunPlan plan) : plan_(std::move(plan)) {}

  // One line per listed row on stdout; the number of rows that would not be converted for a
  // reason other than the existing-output policy.
  int PrintRows(const ConverterCore& core);

 private:
  RunPlan plan_;
  // Names earlier rows would create, over every part of the run: later rows see them as taken.
  std::unordered_set<std::string> planned_;
};
