// velmora-convert: the conversion core driven from the command line.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ConverterCore.h"
#include "app/DisplayFormat.h"
#include "app/FolderProblems.h"
#include "app/OutputPlacement.h"
#include "app/RunSettings.h"
#include "app/TagTransfer.h"
#include "base/MemoryReuse.h"
#include "app/SourceFeed.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleHost.h"
#include "app/ProcessorCount.h"
#include "app/cli/DryRun.h"
#include "app/cli/FileCount.h"
#include "app/cli/LoudnessListing.h"
#include "app/cli/TagListing.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailures = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

// Files taken from the folders and added at a time: a run over a large library starts on the
// first of them while the rest is unwalked, and holds only these rows at once.
size_t FilesPerPart(int jobs) { return std::max<size_t>(64, 16 * static_cast<size_t>(jobs)); }

// With loudness, its three columns stand before the path.
void PrintRows(const ConverterCore& core, bool loudness, size_t jobs) {
  std::vector<std::string> paths;
  for (size_t i = 0; i < core.rows().size(); ++i) paths.push_back(core.rows()[i].filePath);
  const std::vector<std::string> columns =
      loudness ? LoudnessColumns(paths, jobs) : std::vector<std::string>();
  for (size_t i = 0; i < core.rows().size(); ++i) {
    const FileRow& row = core.rows()[i];
    const std::string extra = loudness ? columns[i] + "\t" : "";
    std::printf("%s\t%s\t%s\t%s%s\n", row.timeText.c_str(), row.sizeText.c_str(),
                row.state.c_str(), extra.c_str(), row.filePath.c_str());
  }
}

// Every row that did not reach "finish" and was not skipped on purpose is named; the host names
// files cut short by Ctrl-C.
bool ReportUnconverted(const ConverterCore& core, const ConsoleHost& host) {
  bool all = true;
  for (size_t i = 0; i < core.rows().size(); ++i) {
    const FileRow& row = core.rows()[i];
    if (row.state != kStateFinish && !host.Skipped(i)) {
      std::fprintf(stderr, "not converted: %s\n", row.filePath.c_str());
      all = false;
    }
  }
  return all;
}

// Each file's name, then its fields; a file that cannot be read is named on stderr.
int PrintTags(const std::vector<std::string>& files) {
  int status = kExitConverted;
  for (const std::string& file : files) {
    try {
      const std::optional<Timerec> tags = ReadSourceTags(file, FormatOfFile(file));
      std::printf("%s\n%s", file.c_str(), tags ? TagListing(*tags).c_str() : "");
    } catch (const std::exception& error) {
      std::fprintf(stderr, "error: %s\n", error.what());
      status = kExitFailures;
    }
  }
  return status;
}

// The format a conversion makes: --format or a preset's, else the stored choice.
int RunFormat(const CommandLine& cl, const TIniFile& settings) {
  return ValidOutputFormatIndex(cl.formatIndex ? *cl.formatIndex
                                               : ReadForRun(settings, settings_keys::kForint));
}

RunPlan PlanOf(const ConverterCore& core, const TIniFile& settings, const CommandLine& cl,
               int format) {
  RunPlan plan;
  plan.kind = cl.normalize ? RunKind::kNormalize : RunKind::kConvert;
  if (!cl.normalize) plan.format = ReadOutputFormatSettings(format, settings);
  plan.folder = core.RunOutputFolder();
  plan.library = cl.library;
  return plan;
}

// A run again over a library skips most files: those it can tell from their names alone are
// skipped before they are opened and listed.
std::vector<SourceFile> FilesToList(std::vector<SourceFile> files, const RunPlan& plan,
                                    ConsoleHost& host) {
  std::vector<SourceFile> kept;
  for (SourceFile& file : files) {
    std::string reason = SkipReasonBeforeListing(plan, file.path, file.addedFromFolder);
    if (reason.empty()) kept.push_back(std::move(file));
    else host.FileSkipped(file.path, reason);
  }
  return kept;
}

// The listed rows listed, planned or converted; false when some were not converted.
bool ProcessListedRows(ConverterCore& core, ConsoleHost& host, const CommandLine& cl, int format,
                       DryRun* dryRun) {
  if (cl.listOnly) {
    const int jobs = cl.jobs ? *cl.jobs : UsableProcessorCount();
    PrintRows(core, cl.loudness.listLoudness, static_cast<size_t>(jobs));
    return true;
  }
  if (dryRun) return dryRun->PrintRows(core) == 0;
  host.Pump();  // a Ctrl-C while adding means no run
  if (core.rows().empty()) return true;  // told once at the end when no part had any
  if (!host.interrupted()) {
    if (cl.normalize) core.NormalizeFiles();
    else core.ConvertFiles(format);
  }
  return ReportUnconverted(core, host);
}

int RunCommand(const CommandLine& cl) {
  ConsoleHost::CatchInterrupt();  // before any thread starts
  TIniFile settings(SettingsFilePath());
  std::optional<OutputFormatSettings> encoderSettings;
  if (cl.encoder.Any() && !cl.normalize) {
    encoderSettings = ReadOutputFormatSettings(RunFormat(cl, settings), settings);
    if (std::optional<std::string> error = ApplyEncoderOptions(cl.encoder, *encoderSettings)) {
      std::fprintf(stderr, "velmora-convert: %s\n", error->c_str());
      return kExitUsage;
    }
  }
  ConsoleHost host(isatty(STDERR_FILENO) != 0);
  ConverterCore core(settings, host);
  host.SetStopCommand([&core] { core.Stop(); });
  host.ShowList(core.rows());

  if (cl.outputFolder) core.SetOutputFolderOverride(*cl.outputFolder);
  if (encoderSettings) core.SetEncoderSettingsOverride(*encoderSettings);
  const int jobs = cl.jobs ? *cl.jobs : UsableProcessorCount();
  core.SetJobs(static_cast<size_t>(jobs));
  core.SetLibraryOptions(cl.library);
  core.SetLoudnessOptions(cl.loudness.options);
  host.ShowWholeBatch(jobs > 1);
  const int format = RunFormat(cl, settings);

  // Folders are walked as the run goes, in parts; plain files are all added at once.
  const bool inParts = SourceFeed::AnyFolder(cl.files);
  const bool writes = !cl.listOnly && !cl.dryRun;
  const std::string outputFolder = core.RunOutputFolder();
  std::error_code ignored;  // made here so no walk enters it; a failure is reported by the run
  if (inParts && writes) std::filesystem::create_directories(outputFolder, ignored);
  FolderProblems problems;
  SourceFeed feed(cl.files, problems);
  feed.Exclude(outputFolder);
  std::unique_ptr<BackgroundFileCount> count;
  if (inParts && writes) count = std::make_unique<BackgroundFileCount>(cl.files, outputFolder);
  host.SetFileCount(count.get());
  std::optional<DryRun> dryRun;
  if (cl.dryRun) dryRun.emplace(PlanOf(core, settings, cl, format));

  const RunPlan plan = PlanOf(core, settings, cl, format);
  bool allConverted = true;
  size_t filesBefore = 0;
  bool anyListed = false;
  for (bool first = true;; first = false) {
    std::vector<SourceFile> files = feed.Take(inParts ? FilesPerPart(jobs) : SIZE_MAX);
    if (files.empty() && !first) break;  // the first part runs even empty, to say so
    host.SetFilesBefore(filesBefore);
    const size_t taken = files.size();
    if (writes) files = FilesToList(std::move(files), plan, host);
    core.AddSourceFiles(files, problems);
    anyListed = anyListed || !core.rows().empty() || taken > files.size();
    allConverted &= ProcessListedRows(core, host, cl, format, dryRun ? &*dryRun : nullptr);
    filesBefore += taken;
    host.AnswerQuestions(true);
    core.ClearFiles();
    host.AnswerQuestions(false);
    if (!inParts || host.interrupted() || host.errors() > 0) break;
  }
  if (!problems.empty()) host.ShowNotice(problems.Message());
  if (!anyListed && !cl.listOnly && !host.interrupted()) {
    std::fprintf(stderr, "nothing to convert: none of the files given could be read\n");
    return kExitFailures;
  }
  if (host.interrupted()) return kExitInterrupted;
  return allConverted && host.failures() == 0 ? kExitConverted : kExitFailures;
}

}  // namespace

int main(int argc, char** argv) {
  KeepFreedMemoryForReuse();
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
  if (cl.tagsOnly) return PrintTags(cl.files);
  try {
    return RunCommand(cl);
  } catch (const std::exception& error) {  // e.g. a settings file that cannot be read
    std::fprintf(stderr, "error: %s\n", error.what());
    return kExitFailures;
  }
}
