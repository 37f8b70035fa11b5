// The program-wide state of the converter and the commands that act on it: the file list with
// its tag table and the two kinds of run. The window and the command-line converter each own
// one and drive it the same way; tests make fresh ones.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/LibraryOptions.h"
#include "app/LoudnessOptions.h"
#include "app/RunHost.h"
#include "app/RunPlan.h"
#include "app/RunState.h"
#include "tags/TagTable.h"

class FolderProblems;
class TIniFile;
struct ProbedAudio;
struct SourceFile;

class ConverterCore {
 public:
  ConverterCore(TIniFile& settings, RunHost& host);
  ConverterCore(const ConverterCore&) = delete;
  ConverterCore& operator=(const ConverterCore&) = delete;

  // --- file list (nothing changes while a run is in progress) ---
  // Adds the files in order; a file that fails goes to the host's FileRefused with the
  // reason, and the others are still added.
  void AddFiles(const std::vector<std::string>& paths);
  // Files and folders, as dropped or named on a command line: a folder adds every file under
  // it, remembering the folder. Files under a folder that cannot be read, and folders left
  // out, are told in one message at the end.
  void AddPaths(const std::vector<std::string>& paths);
  // Adds files a SourceFeed found: those added alone are refused as AddFiles does, those from a
  // folder are gathered in `problems`.
  void AddSourceFiles(const std::vector<SourceFile>& files, FolderProblems& problems);
  void DeleteSelectedFiles();
  // Removes every row after the user agrees; files on disk are never touched.
  void ClearFiles();

  const FileList& rows() const { return rows_; }
  // A position outside the list clears the selection.
  void SelectRow(size_t row) { rows_.Select(row); }
  TagTable& tag_table() { return tag_table_; }
  const TagTable& tag_table() const { return tag_table_; }
  TagTable& tag_work() { return tag_work_; }  // the tag editor's working copy

  // --- runs ---
  // Converts every listed file into the format with that index (0 MP3, 1 WAV, 2 WMA, 3 OGG,
  // 4 FLAC, 5 OPUS, 6 M4A).
  void ConvertFiles(int formatIndex);
  // Level-normalises every listed file into "Normalize_<name>".
  void NormalizeFiles();
  // Heard by a run at its next pump: the current file ends with what it has written so far.
  void Stop() { state_.running = false; }
  // Writes the tag record of the row at current_index() into output_file_name().
  void WriteOutputTags();

  bool running() const { return state_.running; }
  size_t current_index() const { return state_.current_index; }
  const std::string& output_file_name() const { return state_.output_file_name; }

  // The command line's --output: used by the runs in place of the stored "Dir".
  void SetOutputFolderOverride(const std::string& folder) { outputFolderOverride_ = folder; }
  std::string RunOutputFolder() const;  // ends in '/'
  // The command line's encoder options: conversions use these values in place of the stored
  // ones (which are neither read nor written).
  void SetEncoderSettingsOverride(const OutputFormatSettings& format) { formatOverride_ = format; }
  // The command line's --jobs: how many files a run converts at once. 1, the default, is the
  // one-file-at-a-time run the window uses. With more, each job starts from fresh engine
  // objects: writer values an earlier run left behind (WAV mode 1) do not carry over.
  void SetJobs(size_t jobs) { jobs_ = jobs; }
  // Folder tree, name pattern and existing-output policy of the next runs.
  void SetLibraryOptions(const LibraryOptions& options) { library_ = options; }
  const LibraryOptions& library_options() const { return library_; }
  // The kind of normalize and the ReplayGain tags of the runs that follow; by default block
  // peak and none, as the classic window has them.
  void SetLoudnessOptions(const LoudnessOptions& options) { loudness_ = options; }

  TIniFile& settings_file() { return settings_file_; }
  RunHost& host() { return host_; }

 private:
  void AddOneFile(const SourceFile& file);
  void AddProbedFiles(const std::vector<SourceFile>& files, FolderProblems& problems);
  void ReportNotSupported(const SourceFile& file, const std::string& reason,
                          FolderProblems& problems);
  size_t AppendRow(const SourceFile& file, const ProbedAudio& audio);
  void ReadRowTags(size_t row, const std::string& path);
  // Folder made, loop run; an error that ends the run is shown and clears `running`.
  void StartRun(RunPlan plan);
  // Creates the output folder with its parents; false (and the run ended) when it cannot.
  bool MakeOutputFolder(const std::string& folder);

  TIniFile& settings_file_;
  RunHost& host_;
  FileList rows_;
  TagTable tag_table_;
  TagTable tag_work_;
  RunState state_;
  std::string outputFolderOverride_;
  std::optional<OutputFormatSettings> formatOverride_;
  size_t jobs_ = 1;
  LibraryOptions library_;
  LoudnessOptions loudness_;
};
