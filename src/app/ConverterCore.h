// The program-wide state of the converter and the commands that act on it: the file list, whose
// rows carry their tag records, and the two kinds of run. The window and the command-line
// converter each own one and drive it the same way from one thread; tests make fresh ones.
// Work that runs beside that thread (probing added files, jobs of a run) posts what happens to
// the core's event queue, which the driving thread drains whenever it pumps, so the host is
// only ever called on that thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/LibraryOptions.h"
#include "app/LoudnessOptions.h"
#include "app/RunEventQueue.h"
#include "app/RunHost.h"
#include "app/RunPlan.h"
#include "app/RunState.h"
#include "app/WorkPool.h"

class FolderProblems;
class TIniFile;
class ProbeBatch;
struct ProbedFile;
struct SourceFile;

class ConverterCore {
 public:
  ConverterCore(TIniFile& settings, RunHost& host);
  ConverterCore(const ConverterCore&) = delete;
  ConverterCore& operator=(const ConverterCore&) = delete;

  // --- file list (nothing changes while a run is in progress) ---
  // Adds the files in order, probed on the work pool; rows are appended in batches as their
  // files are probed, and the host is pumped meanwhile. A file that fails goes to the host's
  // FileRefused with the reason, and the others are still added. A run started from the pump
  // runs to its end before the next rows are added.
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
  // The row's tag record, as the tag editor commits it; a row beyond the list is ignored.
  void SetRowTags(size_t row, const Timerec& tags) { rows_.SetTags(row, tags); }
  // The tag editor's "Ok": one record per row, in list order; refused during a run.
  void CommitTagRecords(const std::vector<Timerec>& records);

  // --- runs ---
  // Converts every listed file into the format with that index (0 MP3, 1 WAV, 2 WMA, 3 OGG,
  // 4 FLAC, 5 OPUS, 6 M4A).
  void ConvertFiles(int formatIndex);
  // Level-normalises every listed file into "Normalize_<name>".
  void NormalizeFiles();
  // Heard by a run at its next pump: the current file ends with what it has written so far.
  void Stop() { state_.running = false; }

  bool running() const { return state_.running; }
  size_t current_index() const { return state_.current_index; }
  const std::string& output_file_name() const { return state_.output_file_name; }

  // The command line's --output: used by the runs in place of the stored "Dir".
  void SetOutputFolderOverride(const std::string& folder) { outputFolderOverride_ = folder; }
  std::string RunOutputFolder() const;  // ends in '/'
  // The command line's encoder options: conversions use these values in place of the stored
  // ones (which are neither read nor written).
  void SetEncoderSettingsOverride(const OutputFormatSettings& format) { formatOverride_ = format; }
  // How many files are converted at once. 1, the default, is the one-file-at-a-time run; added
  // files are probed on every processor once this is set. With more, each job starts from
  // fresh engine objects: writer values an earlier run left behind (WAV mode 1) do not carry
  // over.
  void SetJobs(size_t jobs);
  // A one-file-at-a-time run converts on the work pool while the driving thread only pumps
  // (by default it converts on the driving thread). For a window, whose pumps wait on its
  // display server.
  void SetBackgroundRuns(bool background) { backgroundRuns_ = background; }
  // Folder tree, name pattern and existing-output policy of the next runs.
  void SetLibraryOptions(const LibraryOptions& options) { library_ = options; }
  const LibraryOptions& library_options() const { return library_; }
  // The kind of normalize and the ReplayGain tags of the runs that follow; by default block
  // peak and none, as the classic window has them.
  void SetLoudnessOptions(const LoudnessOptions& options) { loudness_ = options; }

 private:
  // Hands what was posted to the host, then lets user commands through.
  void Pump();
  void DeliverEvents();
  void Deliver(const RunEvent& event);
  // Appends the ready results from `first` on, in batches between the refused files.
  void AppendProbed(ProbeBatch& batch, const std::vector<SourceFile>& files, size_t first,
                    size_t count, FolderProblems& problems);
  void AppendRows(std::vector<FileRow>& rows);
  // A file added alone goes to the host's FileRefused; one from a folder to `problems`.
  void ReportNotSupported(const SourceFile& file, const std::string& reason,
                          FolderProblems& problems);
  // Folder made, loop run; an error that ends the run is shown and clears `running`.
  void StartRun(RunPlan plan);
  // Creates the output folder with its parents; false (and the run ended) when it cannot.
  bool MakeOutputFolder(const std::string& folder);

  TIniFile& settings_file_;
  RunHost& host_;
  FileList rows_;
  RunState state_;
  RunEventQueue events_;
  std::string outputFolderOverride_;
  std::optional<OutputFormatSettings> formatOverride_;
  size_t jobs_ = 1;
  bool backgroundRuns_ = false;
  size_t probeJobs_ = 1;
  LibraryOptions library_;
  LoudnessOptions loudness_;
  WorkPool pool_;  // after everything its tasks use, so it goes first
};
