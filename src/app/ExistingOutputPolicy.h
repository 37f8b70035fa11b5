// What a run does when a source's output name is already taken (LibraryOptions::existing).
// The policy only ever looks at the exact output name: a file by any other name is never
// touched, and no output is ever written over its own source.
#pragma once

#include <string>

#include "app/LibraryOptions.h"
#include "app/OutputNaming.h"

struct OutputChoice {
  enum class Action {
    kWrite,       // create `path`
    kSkip,        // leave the source alone, for `reason`
    kRefuse,      // a source that must not be converted, for `reason`
    kNoFreeName,  // the plain and every numbered name are taken
  };
  Action action = Action::kWrite;
  std::string path;
  // Update: the output that `path`, written beside it, replaces once it is whole.
  std::string replaces;
  std::string reason;

  // Where the output ends up.
  const std::string& finalPath() const { return replaces.empty() ? path : replaces; }
};

// `taken` says whether a name is on disk or held by a file of this run in flight.
OutputChoice ApplyExistingPolicy(ExistingPolicy policy, const std::string& source,
                                 const OutputCandidate& candidate, const FileExistsFn& taken);

// The hidden name beside `output` that an update writes first, e.g. "dir/.a.mp3.123-1.part.mp3".
std::string UpdateWorkName(const std::string& output, unsigned attempt);
