#include "app/OutputPlacement.h"

#include <sys/stat.h>

#include "app/FileList.h"
#include "app/NamePattern.h"
#include "app/RunSettings.h"
#include "tags/Timerec.h"

namespace {

// Room left beside a pattern's last part for "(100)" and the extension.
constexpr size_t kNumberRoom = 5;

bool KeepsTree(const RunPlan& plan, const FileRow& row) {
  if (row.addedFromFolder.empty()) return false;
  switch (plan.library.tree) {
    case TreeMode::kKeep: return true;
    case TreeMode::kFlat: return false;
    case TreeMode::kAuto: return plan.library.namePattern.find('/') == std::string::npos;
  }
  return false;
}

}  // namespace

std::string RelativeFolderOf(const FileRow& row) {
  const std::string& root = row.addedFromFolder;
  if (root.empty() || row.filePath.compare(0, root.size(), root) != 0) return {};
  size_t start = root.size();
  if (start < row.filePath.size() && row.filePath[start] == '/') ++start;
  size_t lastSlash = row.filePath.find_last_of('/');
  if (lastSlash == std::string::npos || lastSlash < start) return {};
  return row.filePath.substr(start, lastSlash + 1 - start);
}

OutputCandidate OutputCandidateFor(const RunPlan& plan, const FileRow& row, const Timerec& tags) {
  const std::string folder = plan.folder + (KeepsTree(plan, row) ? RelativeFolderOf(row) : "");
  if (plan.kind == RunKind::kNormalize) return NormalizedCandidate(folder, row.filePath, row.format);
  const std::string extension = OutputExtension(plan.format.formatIndex);
  if (plan.library.namePattern.empty())
    return ConvertedCandidate(folder, row.filePath, extension);
  std::string named = ExpandNamePattern(plan.library.namePattern, tags, StemOf(row.filePath),
                                        kMaxNameBytes - extension.size() - kNumberRoom);
  return {folder + named + extension, folder + named, extension};
}

OutputChoice ChooseOutput(const RunPlan& plan, const FileRow& row, const Timerec& tags,
                          const FileExistsFn& taken) {
  return ApplyExistingPolicy(plan.library.existing, row.filePath,
                             OutputCandidateFor(plan, row, tags), taken);
}

std::string SkipReasonBeforeListing(const RunPlan& plan, const std::string& path,
                                    const std::string& addedFromFolder) {
  if (plan.library.existing == ExistingPolicy::kNumber || !plan.library.namePattern.empty())
    return {};
  FileRow row;
  row.filePath = path;
  row.format = FormatFromPath(path);
  row.addedFromFolder = addedFromFolder;
  auto onDisk = [](const std::string& name) {
    struct stat info;
    return lstat(name.c_str(), &info) == 0;
  };
  OutputChoice choice = ChooseOutput(plan, row, Timerec(), onDisk);
  return choice.action == OutputChoice::Action::kSkip ? choice.reason : std::string();
}
