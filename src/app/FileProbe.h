// What adding a file needs to know of it before its row exists: its size, playing time and
// tags. Probing several files at once lets a command line with hundreds of files start its
// conversions sooner; the rows are still added one by one, in order, by the core.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tags/TagTable.h"

class TAudioFile2;

struct ProbedAudio {
  std::string sizeText;
  std::string timeText;
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

// Probes every file, up to `jobs` at once, each job with its own reader. The results are in
// the order of `paths`.
std::vector<ProbedFile> ProbeFiles(const std::vector<std::string>& paths, size_t jobs);
