#include "app/ExistingOutputPolicy.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned kMaxWorkNameAttempts = 100;

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsNewer(const struct stat& a, const struct stat& b) {
  if (a.st_mtim.tv_sec != b.st_mtim.tv_sec) return a.st_mtim.tv_sec > b.st_mtim.tv_sec;
  return a.st_mtim.tv_nsec > b.st_mtim.tv_nsec;
}

OutputChoice Skipped(std::string reason) {
  return {OutputChoice::Action::kSkip, "", "", std::move(reason)};
}

OutputChoice NumberedChoice(const OutputCandidate& candidate, const FileExistsFn& taken) {
  std::optional<std::string> name = FirstFreeName(candidate, taken);
  if (!name) return {OutputChoice::Action::kNoFreeName, "", "", ""};
  return {OutputChoice::Action::kWrite, *name, "", ""};
}

OutputChoice UpdateChoice(const std::string& source, const std::string& output,
                          const FileExistsFn& taken) {
  struct stat sourceInfo, outputInfo;
  if (lstat(output.c_str(), &outputInfo) != 0)
    return Skipped("its output " + output + " is being written by this run");
  if (!S_ISREG(outputInfo.st_mode))
    return Skipped("its output name " + output + " is taken by something other than a file");
  if (stat(source.c_str(), &sourceInfo) != 0 || !IsNewer(sourceInfo, outputInfo))
    return Skipped("its output " + output + " is up to date");
  for (unsigned attempt = 0; attempt < kMaxWorkNameAttempts; ++attempt) {
    std::string work = UpdateWorkName(output, attempt);
    if (!taken(work)) return {OutputChoice::Action::kWrite, work, output, ""};
  }
  return {OutputChoice::Action::kNoFreeName, "", "", ""};
}

}  // namespace

std::optional<ExistingPolicy> ExistingPolicyNamed(const std::string& name) {
  if (name == "number") return ExistingPolicy::kNumber;
  if (name == "skip") return ExistingPolicy::kSkip;
  if (name == "update") return ExistingPolicy::kUpdate;
  return std::nullopt;
}

std::string UpdateWorkName(const std::string& output, unsigned attempt) {
  size_t slash = output.find_last_of('/');
  std::string folder = slash == std::string::npos ? "" : output.substr(0, slash + 1);
  return folder + "." + FileNameOf(output) + "." + std::to_string(getpid()) + "-" +
         std::to_string(attempt) + ".part" + ExtensionOf(output);
}

OutputChoice ApplyExistingPolicy(ExistingPolicy policy, const std::string& source,
                                 const OutputCandidate& candidate, const FileExistsFn& taken) {
  if (policy == ExistingPolicy::kNumber) return NumberedChoice(candidate, taken);
  if (SameFile(source, candidate.plain))
    return {OutputChoice::Action::kRefuse, "", "",
            "its output " + candidate.plain + " would be the source itself"};
  if (!taken(candidate.plain)) return {OutputChoice::Action::kWrite, candidate.plain, "", ""};
  if (policy == ExistingPolicy::kSkip)
    return Skipped("its output " + candidate.plain + " is already there");
  return UpdateChoice(source, candidate.plain, taken);
}
