// The main window as the core's host: the core's list changes passed to the file list's model,
// the progress bar (the current file's, or the whole run's when several files are in flight;
// in the extended face its text adds the files done and the time left), boxes through
// UiPrompts, pumping through Qt's event loop, folders opened on the desktop. Called on the GUI
// thread only.
#pragma once

#include <QUrl>
#include <chrono>
#include <functional>

#include "app/BatchProgress.h"
#include "app/RunHost.h"

class FileListWidget;
class QProgressBar;
class QWidget;

// Opens a folder, a help page or a web address with the desktop's opener. Tests swap it.
using UrlOpener = std::function<void(const QUrl&)>;

class WindowHost : public RunHost {
 public:
  WindowHost(QWidget* window, FileListWidget* lv, QProgressBar* pb, UrlOpener opener);

  void RowsAboutToBeAdded(size_t first, size_t count) override;
  void RowsAdded(const FileList& rows, size_t first, size_t count) override;
  void RowAboutToBeRemoved(size_t row) override;
  void RowRemoved(size_t row) override;
  void RowsAboutToBeCleared() override;
  void RowsCleared() override;
  void RowStateChanged(size_t row, const FileRow& entry) override;
  void OutputSkipped(size_t row, const std::string& reason) override;
  void SetProgress(int percent) override;
  void FileProgress(size_t row, int percent) override;

  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void ShowError(const std::string& text) override;

  void Pump() override;
  void OpenFolder(const std::string& path) override;

  // The bar follows the whole run instead of the current file: for runs with several jobs.
  void ShowWholeRun(bool wholeRun) { wholeRun_ = wholeRun; }
  // Around each run: with `showCounts`, a run over more than one file shows in the bar's text
  // the files done, their total and the time left; at its end the bar shows its percent alone.
  void RunStarting(bool showCounts);
  void RunEnded();
  void SetOpener(UrlOpener opener) { opener_ = std::move(opener); }
  void Open(const QUrl& url) const { opener_(url); }

 private:
  int WholeRunPercent() const;
  void ShowBar(int percent, bool now);
  void ShowPendingBar();
  void ShowCounts();
  bool FollowsFiles() const { return wholeRun_ || counting_; }

  QWidget* window_;
  FileListWidget* lv_;
  QProgressBar* pb_;
  UrlOpener opener_;
  bool wholeRun_ = false;
  bool counting_ = false;  // the bar's text shows the counts
  std::chrono::steady_clock::time_point started_;
  BatchProgress batch_;
  int pendingBar_ = -1;  // the value the bar shows at the next pump; -1: none
};
