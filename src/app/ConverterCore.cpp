#include "app/ConverterCore.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "app/BackgroundRun.h"
#include "app/DisplayFormat.h"
#include "app/FileProbe.h"
#include "app/FolderProblems.h"
#include "app/OutputFormatSetup.h"
#include "app/OutputNaming.h"
#include "app/ParallelRun.h"
#include "app/ProcessorCount.h"
#include "app/ReplayGainBook.h"
#include "app/RunLoop.h"
#include "app/RunSettings.h"
#include "app/SourceFeed.h"
#include "settings/IniFile.h"

namespace fs = std::filesystem;

namespace {

// Files of a folder probed together; bounds what adding a large folder holds besides the rows.
constexpr size_t kAddBatch = 256;
constexpr const char* kPleaseAddFile = "Please add file!";
// How long AddFiles waits for the next file's probe before it pumps again.
constexpr std::chrono::milliseconds kAddingPumpInterval(50);
constexpr const char* kClearQuestion =
    "Are you sure to remove all the files from filelist?\rNot delete from your computer.";

}  // namespace

ConverterCore::ConverterCore(TIniFile& settings, RunHost& runHost)
    : settings_file_(settings), host_(runHost) {}

void ConverterCore::SetJobs(size_t jobs) {
  jobs_ = std::max<size_t>(1, jobs);
  // Probing reads a few kilobytes of each added file and hands the rows over in list order, so
  // it may use every processor even when the runs convert one file at a time.
  probeJobs_ = std::max<size_t>(jobs_, static_cast<size_t>(UsableProcessorCount()));
  pool_.SetWorkers(probeJobs_);
}

void ConverterCore::Pump() {
  DeliverEvents();
  host_.Pump();
}

void ConverterCore::DeliverEvents() {
  for (const RunEvent& event : events_.TakeAll()) Deliver(event);
}

void ConverterCore::Deliver(const RunEvent& event) {
  using Kind = RunEvent::Kind;
  switch (event.kind) {
    case Kind::kRowState:
      rows_.SetState(event.row, event.text);
      if (event.row < rows_.size()) host_.RowStateChanged(event.row, rows_[event.row]);
      return;
    case Kind::kProgress: return host_.SetProgress(event.percent);
    case Kind::kFileProgress: return host_.FileProgress(event.row, event.percent);
    case Kind::kOutputCreated:
      rows_.SetOutput(event.row, event.text);
      return host_.OutputCreated(event.row, event.text);
    case Kind::kOutputSkipped:
      rows_.SetState(event.row, kStateSkipped);
      return host_.OutputSkipped(event.row, event.text);
    case Kind::kSourceEndsEarly: return host_.SourceEndsEarly(event.row, event.text);
    case Kind::kCodecChange: return host_.SourceChangesCodec(event.row, event.text, event.detail);
    case Kind::kFileStopped: return host_.FileStopped(event.row);
    case Kind::kNotice: return host_.ShowInformation(event.text);
    case Kind::kError: return host_.ShowError(event.text);
    case Kind::kOpenFolder: return host_.OpenFolder(event.text);
  }
}

void ConverterCore::AddFiles(const std::vector<std::string>& paths) {
  std::vector<SourceFile> files;
  for (const std::string& path : paths) files.push_back(SourceFile{path, ""});
  FolderProblems none;
  AddSourceFiles(files, none);
}

void ConverterCore::AddPaths(const std::vector<std::string>& paths) {
  if (running()) return;
  FolderProblems problems;
  SourceFeed feed(paths, problems);
  for (;;) {
    std::vector<SourceFile> files = feed.Take(kAddBatch);
    if (files.empty()) break;
    AddSourceFiles(files, problems);
  }
  if (!problems.empty()) host_.ShowInformation(problems.Message());
}

void ConverterCore::AddSourceFiles(const std::vector<SourceFile>& files,
                                   FolderProblems& problems) {
  if (running() || files.empty()) return;
  std::vector<std::string> paths;
  for (const SourceFile& file : files) paths.push_back(file.path);
  ProbeBatch batch(pool_, std::move(paths), probeJobs_);
  size_t next = 0;
  while (next < batch.size()) {
    Pump();
    if (!batch.WaitFor(next, kAddingPumpInterval)) continue;
    const size_t ready = batch.ReadyFrom(next);
    AppendProbed(batch, files, next, ready, problems);
    next += ready;
  }
}

void ConverterCore::ReportNotSupported(const SourceFile& file, const std::string& reason,
                                       FolderProblems& problems) {
  if (file.addedFromFolder.empty())
    host_.FileRefused(file.path, reason);
  else
    problems.Unreadable(file.path, reason);
}

void ConverterCore::AppendProbed(ProbeBatch& batch, const std::vector<SourceFile>& files,
                                 size_t first, size_t count, FolderProblems& problems) {
  std::vector<FileRow> rows;
  for (size_t i = first; i < first + count; ++i) {
    const SourceFile& source = files[i];
    ProbedFile file = batch.Take(i);
    if (!file.refusal.empty()) {
      AppendRows(rows);
      ReportNotSupported(source, file.refusal, problems);
      continue;
    }
    FileRow row{FileNameOf(source.path), source.path, file.audio.timeText, file.audio.sizeText,
                kStateUnconverted, file.audio.format, std::move(file.tags).value_or(Timerec{}), {},
                source.addedFromFolder};
    rows.push_back(std::move(row));
    if (!file.tagError.empty()) {
      AppendRows(rows);
      ReportNotSupported(source, file.tagError, problems);
    }
  }
  AppendRows(rows);
}

void ConverterCore::AppendRows(std::vector<FileRow>& rows) {
  if (rows.empty()) return;
  const size_t count = rows.size();
  host_.RowsAboutToBeAdded(rows_.size(), count);
  const size_t first = rows_.Append(std::move(rows));
  rows.clear();
  host_.RowsAdded(rows_, first, count);
}

void ConverterCore::DeleteSelectedFiles() {
  if (running()) return;
  // One row is selected at a time, so one row goes. The view selects a neighbour as the row
  // leaves it; that row stays.
  for (size_t row = 0; row < rows_.size(); ++row) {
    if (!rows_.IsSelected(row)) continue;
    host_.RowAboutToBeRemoved(row);
    rows_.Remove(row);
    host_.RowRemoved(row);
    return;
  }
}

void ConverterCore::ClearFiles() {
  if (running() || rows_.empty()) return;
  if (!host_.AskYesNo(kClearQuestion)) return;
  host_.RowsAboutToBeCleared();
  rows_.Clear();
  host_.RowsCleared();
}

void ConverterCore::CommitTagRecords(const std::vector<Timerec>& records) {
  if (!running()) rows_.ReplaceTagRecords(records);
}

std::string ConverterCore::RunOutputFolder() const {
  if (!outputFolderOverride_.empty()) return WithTrailingSlash(outputFolderOverride_);
  return ReadOutputFolder(settings_file_);
}

namespace {

// The nearest of the folder and its parents that exists, when that is no folder: the reason
// the folder cannot be made is then that file, not the system's "File exists".
std::optional<fs::path> FileInTheWay(const std::string& folder) {
  fs::path at = fs::path(folder).lexically_normal();
  if (!at.has_filename()) at = at.parent_path();  // "out/" names "out"
  std::error_code error;
  while (!at.empty()) {
    fs::file_status status = fs::status(at, error);
    if (fs::exists(status)) {
      if (fs::is_directory(status)) return std::nullopt;
      return at;
    }
    fs::path parent = at.parent_path();
    if (parent == at) break;
    at = parent;
  }
  return std::nullopt;
}

std::string WhyNoFolder(const std::string& folder, const std::error_code& error) {
  std::optional<fs::path> file = FileInTheWay(folder);
  const std::string inTheWay = file ? file->string() + " is a file, not a folder" : "";
  if (file && *file / "" == fs::path(folder).lexically_normal() / "") return inTheWay;
  const std::string reason = file ? inTheWay : error ? error.message() : "it is not a folder";
  return "Cannot create the output folder " + folder + ": " + reason;
}

}  // namespace

bool ConverterCore::MakeOutputFolder(const std::string& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (fs::is_directory(folder)) return true;
  host_.ShowError(WhyNoFolder(folder, error));
  state_.running = false;
  return false;
}

void ConverterCore::ConvertFiles(int formatIndex) {
  // The empty-list notice comes before the running check, so it shows during a run too.
  if (rows_.empty()) {
    host_.ShowInformation(kPleaseAddFile);
    return;
  }
  if (running()) return;
  state_.running = true;
  RunPlan plan;
  plan.kind = RunKind::kConvert;
  plan.loudness = loudness_;
  try {
    plan.format = formatOverride_ ? *formatOverride_ : ReadOutputFormatSettings(formatIndex, settings_file_);
    plan.format.formatIndex = ValidOutputFormatIndex(formatIndex);
    std::optional<FormatRefusal> refusal =
        SetUpOutputFormat(plan.format, state_.AudioFilewrite, state_.AudioFile2LameEnc);
    if (refusal) {
      host_.FormatRefused(refusal->text, refusal->detail + " in " + settings_file_.FileName());
      state_.running = false;
      return;
    }
  } catch (const std::exception& error) {
    host_.ShowError(error.what());
    state_.running = false;
    return;
  }
  StartRun(std::move(plan));
}

void ConverterCore::NormalizeFiles() {
  if (running()) return;
  if (rows_.empty()) {
    host_.ShowInformation(kPleaseAddFile);
    return;
  }
  state_.running = true;
  RunPlan plan;
  plan.kind = RunKind::kNormalize;
  plan.loudness = loudness_;
  StartRun(std::move(plan));
}

void ConverterCore::StartRun(RunPlan plan) {
  try {
    if (state_.AudioFilewrite.IsOpen()) state_.AudioFilewrite.Close();
    host_.SetProgress(0);
    plan.folder = RunOutputFolder();
    plan.library = library_;
    if (!MakeOutputFolder(plan.folder)) return;
    std::unique_ptr<ReplayGainBook> replayGain = MakeReplayGainBook(plan.loudness.replayGain, rows_);
    plan.replayGain = replayGain.get();
    auto pump = [this] { Pump(); };
    if (jobs_ > 1) ParallelRun(state_, rows_, events_, pool_, plan, jobs_, pump).Run();
    else if (backgroundRuns_) BackgroundRun(state_, rows_, events_, pool_, plan, pump).Run();
    else RunLoop(state_, rows_, events_, plan, pump).Run();
    if (replayGain) replayGain->WriteUnfinishedAlbums();
    DeliverEvents();
  } catch (const std::exception& error) {
    DeliverEvents();  // what the run reported before the error, in its order
    host_.ShowError(error.what());
    state_.running = false;
  }
}
