#include "app/ConverterCore.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "app/DisplayFormat.h"
#include "app/FileProbe.h"
#include "app/FolderProblems.h"
#include "app/OutputFormatSetup.h"
#include "app/OutputNaming.h"
#include "app/ParallelRun.h"
#include "app/ReplayGainBook.h"
#include "app/RowStateRecorder.h"
#include "app/RunLoop.h"
#include "app/RunSettings.h"
#include "app/SourceFeed.h"
#include "app/TagTransfer.h"
#include "settings/IniFile.h"

namespace fs = std::filesystem;

namespace {

// Files of a folder probed together; bounds what adding a large folder holds besides the rows.
constexpr size_t kAddBatch = 256;
constexpr const char* kPleaseAddFile = "Please add file!";
constexpr const char* kClearQuestion =
    "Are you sure to remove all the files from filelist?\rNot delete from your computer.";

}  // namespace

ConverterCore::ConverterCore(TIniFile& settings, RunHost& runHost)
    : settings_file_(settings), host_(runHost) {}

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
  if (running()) return;
  if (jobs_ > 1 && files.size() > 1) return AddProbedFiles(files, problems);
  for (const SourceFile& file : files) {
    try {
      AddOneFile(file);
    } catch (const std::exception& error) {
      ReportNotSupported(file, error.what(), problems);
    }
  }
}

void ConverterCore::ReportNotSupported(const SourceFile& file, const std::string& reason,
                                       FolderProblems& problems) {
  if (file.addedFromFolder.empty())
    host_.FileRefused(file.path, reason);
  else
    problems.Unreadable(file.path, reason);
}

void ConverterCore::AddOneFile(const SourceFile& file) {
  host_.Pump();
  size_t row = AppendRow(file, ProbeAudio(file.path, state_.AudioFileRead));
  ReadRowTags(row, file.path);
}

// The same rows, records and messages, in the same order, as adding the files one by one;
// only the probing of the files runs on several jobs.
void ConverterCore::AddProbedFiles(const std::vector<SourceFile>& files,
                                   FolderProblems& problems) {
  std::vector<std::string> paths;
  for (const SourceFile& file : files) paths.push_back(file.path);
  std::vector<ProbedFile> probed = ProbeFiles(paths, jobs_);
  for (size_t i = 0; i < files.size(); ++i) {
    host_.Pump();
    const ProbedFile& file = probed[i];
    if (!file.refusal.empty()) {
      ReportNotSupported(files[i], file.refusal, problems);
      continue;
    }
    size_t row = AppendRow(files[i], file.audio);
    if (!file.tagError.empty()) {
      ReportNotSupported(files[i], file.tagError, problems);
    } else if (file.tags) {
      tag_table_.StoreRowTags(row, *file.tags);
    }
  }
}

size_t ConverterCore::AppendRow(const SourceFile& file, const ProbedAudio& audio) {
  size_t row = rows_.Append(FileRow{FileNameOf(file.path), file.path, audio.timeText,
                                    audio.sizeText, kStateUnconverted, file.addedFromFolder});
  tag_table_.AppendRow();
  host_.RowAdded(row, rows_[row]);
  return row;
}

void ConverterCore::ReadRowTags(size_t row, const std::string& path) {
  std::optional<Timerec> tags = ReadSourceTags(path);
  if (tags) tag_table_.StoreRowTags(row, *tags);
}

void ConverterCore::DeleteSelectedFiles() {
  if (running()) return;
  const size_t count = rows_.size();
  size_t i = 0;
  for (size_t turn = 0; turn < count; ++turn) {
    if (!rows_.IsSelected(i)) {
      ++i;
      continue;
    }
    host_.RowAboutToBeRemoved(i);
    tag_table_.RemoveRowRecord(i);
    rows_.Remove(i);
    host_.RowRemoved(i);
  }
}

void ConverterCore::ClearFiles() {
  if (running() || rows_.empty()) return;
  if (!host_.AskYesNo(kClearQuestion)) return;
  host_.RowsAboutToBeCleared();
  rows_.Clear();
  tag_table_.Clear();
  host_.RowsCleared();
}

void ConverterCore::WriteOutputTags() {
  WriteTagsToOutput(state_.output_file_name, tag_table_.ReadRowRecord(state_.current_index));
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
    RowStateRecorder recorder(rows_, host_);
    std::unique_ptr<ReplayGainBook> replayGain =
        MakeReplayGainBook(plan.loudness.replayGain, rows_, tag_table_);
    plan.replayGain = replayGain.get();
    if (jobs_ > 1) ParallelRun(state_, rows_, tag_table_, recorder, plan, jobs_).Run();
    else RunLoop(state_, rows_, tag_table_, recorder, plan).Run();
    if (replayGain) replayGain->WriteUnfinishedAlbums();
  } catch (const std::exception& error) {
    host_.ShowError(error.what());
    state_.running = false;
  }
}
