// The host one job of a parallel run talks to: every call goes on to the run's host under the
// run's report lock, so the host never hears two jobs at once; progress is reported per row.
// Pump does nothing: the run's own thread pumps the host.
#pragma once

#include <mutex>

#include "app/RunHost.h"

struct RunState;

class JobHost : public RunHost {
 public:
  JobHost(RunHost& host, std::mutex& reportLock, const RunState& state);

  void RowAdded(size_t row, const FileRow& entry) override;
  void RowAboutToBeRemoved(size_t row) override;
  void RowRemoved(size_t row) override;
  void RowsAboutToBeCleared() override;
  void RowsCleared() override;
  void RowStateChanged(size_t row, const std::string& state) override;
  void OutputCreated(size_t row, const std::string& outputPath) override;
  void OutputSkipped(size_t row, const std::string& reason) override;
  void SetProgress(int percent) override;
  void SourceEndsEarly(size_t row, const std::string& sourcePath) override;
  void SourceChangesCodec(size_t row, const std::string& sourcePath,
                          const std::string& change) override;
  void FileProgress(size_t row, int percent) override;
  void FileStopped(size_t row) override;
  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void Pump() override {}
  void OpenFolder(const std::string&) override {}

 private:
  using Guard = std::lock_guard<std::mutex>;

  RunHost& host_;
  std::mutex& lock_;
  const RunState& state_;
  int lastPercent_ = -1;
};
