// How a run lays out a library: the folder tree of added folders, names from tags, and what it
// does with outputs that are already there. The defaults give the plain one-folder run.
#pragma once

#include <optional>
#include <string>

enum class ExistingPolicy {
  kNumber,  // a taken name gets a number: name(1).mp3
  kSkip,    // a source whose output name is taken is left alone
  kUpdate,  // only sources newer than their output; the new output replaces the old when whole
};

enum class TreeMode {
  kAuto,  // kept for files added from a folder, unless the name pattern makes folders itself
  kKeep,  // kept for files added from a folder
  kFlat,  // every output straight into the output folder
};

struct LibraryOptions {
  TreeMode tree = TreeMode::kAuto;
  std::string namePattern;  // empty: the source's own name
  ExistingPolicy existing = ExistingPolicy::kNumber;
};

// "number", "skip" or "update".
std::optional<ExistingPolicy> ExistingPolicyNamed(const std::string& name);
