#include "app/ConverterCore.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/DisplayFormat.h"
#include "app/OutputFormatSetup.h"
#include "app/OutputNaming.h"
#include "app/RunLoop.h"
#include "app/RunSettings.h"
#include "app/TagTransfer.h"
#include "settings/IniFile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kNotSupportedSuffix = "is not supported.";
constexpr const char* kPleaseAddFile = "Please add file!";
constexpr const char* kClearQuestion =
    "Are you sure to remove all the files from filelist?\rNot delete from your computer.";

uint64_t ReadableFileSize(const std::string& path) {
  // Opening a FIFO or a device would wait for a writer, or read forever.
  if (!fs::is_regular_file(path)) throw std::runtime_error(path + " is not a regular file");
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path);
  return fs::file_size(path);  // throws on a folder or a vanished file
}

}  // namespace

ConverterCore::ConverterCore(TIniFile& settings, RunHost& runHost)
    : settings_file(settings), host(runHost) {
  AudioFileRead.SetOption(EngineOption::kDefaults);
  AudioFilewrite.SetOption(EngineOption::kDefaults);
}

void ConverterCore::AddFiles(const std::vector<std::string>& paths) {
  if (running) return;
  for (const std::string& path : paths) {
    try {
      AddOneFile(path);
    } catch (const std::exception&) {
      host.ShowInformation(path + kNotSupportedSuffix);
    }
  }
}

void ConverterCore::AddOneFile(const std::string& path) {
  std::string sizeText = SizeText(ReadableFileSize(path));
  host.Pump();
  if (AudioFileRead.IsOpen()) AudioFileRead.Close();
  AudioFileRead.OpenForRead(path, ReadMode::kWholeSource, ReadFlags::kPcm16);
  std::string timeText = TimeText(AudioFileRead.DurationMs());
  AudioFileRead.Close();

  size_t row = rows.Append(FileRow{FileNameOf(path), path, timeText, sizeText, kStateUnconverted});
  tag_table.AppendRow();
  host.RowAdded(row);
  ReadRowTags(row, path);
}

void ConverterCore::ReadRowTags(size_t row, const std::string& path) {
  std::optional<Timerec> tags = ReadSourceTags(path);
  if (tags) tag_table.StoreRowTags(row, *tags);
}

void ConverterCore::DeleteSelectedFiles() {
  if (running) return;
  const size_t count = rows.size();
  size_t i = 0;
  for (size_t turn = 0; turn < count; ++turn) {
    if (!rows.IsSelected(i)) {
      ++i;
      continue;
    }
    tag_table.RemoveRowRecord(i);
    rows.Remove(i);
    host.RowRemoved(i);
  }
}

void ConverterCore::ClearFiles() {
  if (running || rows.empty()) return;
  if (!host.AskYesNo(kClearQuestion)) return;
  rows.Clear();
  tag_table.Clear();
  host.RowsCleared();
}

void ConverterCore::WriteOutputTags() {
  WriteTagsToOutput(output_file_name, tag_table.ReadRowRecord(current_index));
}

std::string ConverterCore::RunOutputFolder() const {
  if (!outputFolderOverride_.empty()) return WithTrailingSlash(outputFolderOverride_);
  return ReadOutputFolder(settings_file);
}

bool ConverterCore::MakeOutputFolder(const std::string& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (fs::is_directory(folder)) return true;
  std::string reason = error ? error.message() : "it is not a folder";
  host.ShowError("Cannot create the output folder " + folder + ": " + reason);
  running = false;
  return false;
}

void ConverterCore::ConvertFiles(int formatIndex) {
  // The empty-list notice comes before the running check, so it shows during a run too.
  if (rows.empty()) {
    host.ShowInformation(kPleaseAddFile);
    return;
  }
  if (running) return;
  running = true;
  try {
    std::optional<std::string> refusal =
        SetUpOutputFormat(formatIndex, settings_file, AudioFilewrite, AudioFile2LameEnc);
    if (refusal) {
      host.ShowInformation(*refusal);
      running = false;
      return;
    }
    if (AudioFilewrite.IsOpen()) AudioFilewrite.Close();
    host.SetProgress(0);
    std::string folder = RunOutputFolder();
    if (!MakeOutputFolder(folder)) return;
    RunLoop(*this, RunKind::kConvert, folder, OutputExtension(formatIndex)).Run();
  } catch (const std::exception& error) {
    host.ShowError(error.what());
    running = false;
  }
}

void ConverterCore::NormalizeFiles() {
  if (running) return;
  if (rows.empty()) {
    host.ShowInformation(kPleaseAddFile);
    return;
  }
  running = true;
  try {
    if (AudioFilewrite.IsOpen()) AudioFilewrite.Close();
    host.SetProgress(0);
    std::string folder = RunOutputFolder();
    if (!MakeOutputFolder(folder)) return;
    RunLoop(*this, RunKind::kNormalize, folder, std::string()).Run();
  } catch (const std::exception& error) {
    host.ShowError(error.what());
    running = false;
  }
}
