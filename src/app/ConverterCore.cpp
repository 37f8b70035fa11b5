#include "app/ConverterCore.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "app/DisplayFormat.h"
#include "app/FileProbe.h"
#include "app/OutputFormatSetup.h"
#include "app/OutputNaming.h"
#include "app/ParallelRun.h"
#include "app/RowStateRecorder.h"
#include "app/RunLoop.h"
#include "app/RunSettings.h"
#include "app/TagTransfer.h"
#include "settings/IniFile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPleaseAddFile = "Please add file!";
constexpr const char* kClearQuestion =
    "Are you sure to remove all the files from filelist?\rNot delete from your computer.";

}  // namespace

ConverterCore::ConverterCore(TIniFile& settings, RunHost& runHost)
    : settings_file_(settings), host_(runHost) {}

void ConverterCore::AddFiles(const std::vector<std::string>& paths) {
  if (running()) return;
  if (jobs_ > 1 && paths.size() > 1) return AddProbedFiles(paths);
  for (const std::string& path : paths) {
    try {
      AddOneFile(path);
    } catch (const std::exception& error) {
      host_.FileRefused(path, error.what());
    }
  }
}

void ConverterCore::AddOneFile(const std::string& path) {
  host_.Pump();
  size_t row = AppendRow(path, ProbeAudio(path, state_.AudioFileRead));
  ReadRowTags(row, path);
}

// The same rows, records and messages, in the same order, as adding the files one by one;
// only the probing of the files runs on several jobs.
void ConverterCore::AddProbedFiles(const std::vector<std::string>& paths) {
  std::vector<ProbedFile> probed = ProbeFiles(paths, jobs_);
  for (size_t i = 0; i < paths.size(); ++i) {
    host_.Pump();
    const std::string& path = paths[i];
    const ProbedFile& file = probed[i];
    if (!file.refusal.empty()) {
      host_.FileRefused(path, file.refusal);
      continue;
    }
    size_t row = AppendRow(path, file.audio);
    if (!file.tagError.empty()) {
      host_.FileRefused(path, file.tagError);
    } else if (file.tags) {
      tag_table_.StoreRowTags(row, *file.tags);
    }
  }
}

size_t ConverterCore::AppendRow(const std::string& path, const ProbedAudio& audio) {
  size_t row = rows_.Append(
      FileRow{FileNameOf(path), path, audio.timeText, audio.sizeText, kStateUnconverted});
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
  try {
    plan.format = ReadOutputFormatSettings(formatIndex, settings_file_);
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
  StartRun(std::move(plan));
}

void ConverterCore::StartRun(RunPlan plan) {
  try {
    if (state_.AudioFilewrite.IsOpen()) state_.AudioFilewrite.Close();
    host_.SetProgress(0);
    plan.folder = RunOutputFolder();
    if (!MakeOutputFolder(plan.folder)) return;
    RowStateRecorder recorder(rows_, host_);
    if (jobs_ > 1) ParallelRun(state_, rows_, tag_table_, recorder, plan, jobs_).Run();
    else RunLoop(state_, rows_, tag_table_, recorder, plan).Run();
  } catch (const std::exception& error) {
    host_.ShowError(error.what());
    state_.running = false;
  }
}
