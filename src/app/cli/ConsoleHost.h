// The terminal side of velmora-convert: one line per finished or stopped file on stdout,
// notices and errors on stderr, a progress bar when stderr is a terminal (the current file's,
// or the whole batch's when several files are converted at once), and Ctrl-C turned into Stop.
// The core calls it from the main thread only, so lines never interleave; the rows it names
// are read from the core's own list.
#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <set>
#include <string>

#include "app/BatchProgress.h"
#include "app/RunHost.h"
#include "app/ProgressText.h"

class BackgroundFileCount;

class ConsoleHost : public RunHost {
 public:
  explicit ConsoleHost(bool showProgressBar);
  // What a Ctrl-C asks for: the core's Stop.
  void SetStopCommand(std::function<void()> stop) { stop_ = std::move(stop); }
  // The core's list, which the batch bar counts and names files from.
  void ShowList(const FileList& rows) { list_ = &rows; }
  // The bar shows files done of all and each file in flight instead of the current file.
  void ShowWholeBatch(bool wholeBatch) { wholeBatch_ = wholeBatch; }

  // A run fed in parts (folders): files of the earlier parts, and the count of all files.
  void SetFilesBefore(size_t files) { filesBefore_ = files; }
  void SetFileCount(const BackgroundFileCount* count) { fileCount_ = count; }
  // How the next questions are answered (clearing the list between parts of a run).
  void AnswerQuestions(bool yes) { answerYes_ = yes; }
  // A notice that is no failure of the run.
  void ShowNotice(const std::string& text);
  // A file skipped before it was listed.
  void FileSkipped(const std::string& path, const std::string& reason);
  bool Skipped(size_t row) const { return skipped_.count(row) != 0; }
  int errors() const { return errors_; }

  // From now on the first Ctrl-C asks for Stop at the next Pump, and a second one ends the
  // program at once, each output being written left with a header that matches its data.
  // Call before any other thread starts.
  static void CatchInterrupt();
  bool interrupted() const { return interrupted_; }
  int failures() const { return failures_; }

  void RowsAdded(const FileList&, size_t, size_t) override {}
  void RowAboutToBeRemoved(size_t) override {}
  void RowRemoved(size_t) override {}
  void RowsAboutToBeCleared() override {}
  void RowsCleared() override;
  void RowStateChanged(size_t row, const FileRow& entry) override;
  void OutputSkipped(size_t row, const std::string& reason) override;
  void SetProgress(int percent) override;
  void SourceEndsEarly(size_t row, const std::string& sourcePath) override;
  void SourceChangesCodec(size_t row, const std::string& sourcePath,
                          const std::string& change) override;
  void FileProgress(size_t row, int percent) override;
  void FileStopped(size_t row) override;
  void ShowInformation(const std::string& text) override;
  // "<path>: not supported: <reason>", one line.
  void FileRefused(const std::string& path, const std::string& reason) override;
  void FormatRefused(const std::string& text, const std::string& detail) override;
  bool AskYesNo(const std::string&) override { return answerYes_; }
  void ShowError(const std::string& text) override;
  void Pump() override;
  void OpenFolder(const std::string&) override {}

 private:
  void ClearBar();
  void DrawBar(int percent);
  void DrawBatchBar();
  void ShowBar(const std::string& line);
  // The whole run's counts, with `inFlight` files' worth of the files being converted.
  RunProgress Progress(double inFlight) const;
  std::string CountsText(double inFlight) const;

  std::function<void()> stop_;
  const FileList* list_ = nullptr;
  BatchProgress batch_;
  std::set<size_t> stopped_;        // rows whose file Ctrl-C ended before its end
  bool showBar_;
  bool wholeBatch_ = false;
  std::set<size_t> skipped_;        // rows the existing-output policy left alone
  size_t handled_ = 0;  // rows of this part finished or skipped
  size_t filesBefore_ = 0;
  const BackgroundFileCount* fileCount_ = nullptr;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  bool answerYes_ = false;
  int errors_ = 0;
  bool barShown_ = false;
  bool interrupted_ = false;
  int failures_ = 0;
  std::string currentName_;
};
