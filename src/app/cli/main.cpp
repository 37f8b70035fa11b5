// velmora-convert: the conversion core driven from the command line.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/ConverterCore.h"
#include "app/DisplayFormat.h"
#include "app/RunSettings.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleHost.h"
#include "app/ProcessorCount.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailures = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

void PrintRows(const ConverterCore& core) {
  for (size_t i = 0; i < core.rows().size(); ++i) {
    const FileRow& row = core.rows()[i];
    std::printf("%s\t%s\t%s\t%s\n", row.timeText.c_str(), row.sizeText.c_str(),
                row.state.c_str(), row.filePath.c_str());
  }
}

// Every row that did not reach "finish" is named; the host names files cut short by Ctrl-C.
bool ReportUnconverted(const ConverterCore& core) {
  bool all = true;
  for (size_t i = 0; i < core.rows().size(); ++i) {
    const FileRow& row = core.rows()[i];
    if (row.state != kStateFinish) {
      std::fprintf(stderr, "not converted: %s\n", row.filePath.c_str());
      all = false;
    }
  }
  return all;
}

int RunCommand(const CommandLine& cl) {
  ConsoleHost::CatchInterrupt();  // before any thread starts
  TIniFile settings(SettingsFilePath());
  ConsoleHost host(isatty(STDERR_FILENO) != 0);
  ConverterCore core(settings, host);
  host.SetStopCommand([&core] { core.Stop(); });
  host.ShowList(core.rows());

  if (cl.outputFolder) core.SetOutputFolderOverride(*cl.outputFolder);
  const int jobs = cl.jobs ? *cl.jobs : UsableProcessorCount();
  core.SetJobs(static_cast<size_t>(jobs));
  host.ShowWholeBatch(jobs > 1);
  core.AddFiles(cl.files);
  if (cl.listOnly) {
    PrintRows(core);
    return host.failures() == 0 ? kExitConverted : kExitFailures;
  }
  host.Pump();  // a Ctrl-C while adding means no run
  if (core.rows().empty() && !host.interrupted()) {
    std::fprintf(stderr, "nothing to convert: none of the files given could be read\n");
    return kExitFailures;
  }
  if (!host.interrupted()) {
    if (cl.normalize) {
      core.NormalizeFiles();
    } else {
      core.ConvertFiles(cl.formatIndex ? *cl.formatIndex
                                       : ReadForRun(settings, settings_keys::kForint));
    }
  }
  bool allConverted = ReportUnconverted(core);
  if (host.interrupted()) return kExitInterrupted;
  return allConverted && host.failures() == 0 ? kExitConverted : kExitFailures;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine cl = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (cl.help) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitConverted;
  }
  if (cl.version) {
    std::printf("velmora-convert %s\n", VELMORA_VERSION);
    return kExitConverted;
  }
  if (!cl.error.empty()) {
    std::fprintf(stderr, "velmora-convert: %s\n%s", cl.error.c_str(), UsageText().c_str());
    return kExitUsage;
  }
  try {
    return RunCommand(cl);
  } catch (const std::exception& error) {  // e.g. a settings file that cannot be read
    std::fprintf(stderr, "error: %s\n", error.what());
    return kExitFailures;
  }
}
