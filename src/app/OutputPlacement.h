// Where a listed file's output goes: the output folder, the file's folder below the folder it
// was added from when the tree is kept, and its name (own or from the name pattern); then the
// existing-output policy decides whether and under which name it is written.
#pragma once

#include <string>

#include "app/ExistingOutputPolicy.h"
#include "app/RunPlan.h"

struct FileRow;
struct Timerec;

// The row's folder below the folder it was added from, ending in '/'; empty for a file added
// on its own or one straight inside that folder.
std::string RelativeFolderOf(const FileRow& row);

OutputCandidate OutputCandidateFor(const RunPlan& plan, const FileRow& row, const Timerec& tags);

OutputChoice ChooseOutput(const RunPlan& plan, const FileRow& row, const Timerec& tags,
                          const FileExistsFn& taken);

// When the names need no tags and the policy skips: why the file at `path` is skipped, decided
// from its path alone before it is even opened; empty when it has to be listed and run.
std::string SkipReasonBeforeListing(const RunPlan& plan, const std::string& path,
                                    const std::string& addedFromFolder);
