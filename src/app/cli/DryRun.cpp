#include "app/cli/DryRun.h"

#include <sys/stat.h>

#include <cstdio>

#include "app/ConverterCore.h"
#include "app/OutputPlacement.h"

namespace {

bool OnDisk(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

}  // namespace

int DryRun::PrintRows(const ConverterCore& core) {
  auto taken = [this](const std::string& path) { return OnDisk(path) || planned_.count(path); };
  int refused = 0;
  for (size_t row = 0; row < core.rows().size(); ++row) {
    const std::string& source = core.rows()[row].filePath;
    OutputChoice choice =
        ChooseOutput(plan_, core.rows()[row], core.rows()[row].tags, taken);
    switch (choice.action) {
      case OutputChoice::Action::kWrite:
        planned_.insert(choice.path);
        std::printf("%s\t%s -> %s\n", choice.replaces.empty() ? "would write" : "would replace",
                    source.c_str(), choice.finalPath().c_str());
        break;
      case OutputChoice::Action::kSkip:
        std::printf("would skip\t%s: %s\n", source.c_str(), choice.reason.c_str());
        break;
      case OutputChoice::Action::kRefuse:
        std::printf("would refuse\t%s: %s\n", source.c_str(), choice.reason.c_str());
        ++refused;
        break;
      case OutputChoice::Action::kNoFreeName:
        std::printf("would refuse\t%s: every numbered name is taken\n", source.c_str());
        ++refused;
        break;
    }
  }
  std::fflush(stdout);
  return refused;
}
