// What the core needs from whoever shows it: the window, the command-line converter or a test.
// Each callback carries what the host shows, so a host never reads the core's state back.
// Removals are announced before and after, as an item model needs both.
#pragma once

#include <cstddef>
#include <string>

#include "app/FileList.h"

class RunHost {
 public:
  virtual ~RunHost() = default;

  virtual void RowAdded(size_t row, const FileRow& entry) = 0;
  virtual void RowAboutToBeRemoved(size_t row) = 0;
  virtual void RowRemoved(size_t row) = 0;
  virtual void RowsAboutToBeCleared() = 0;
  virtual void RowsCleared() = 0;
  virtual void RowStateChanged(size_t row, const std::string& state) = 0;
  // The run has created the output of that row (its final name, numbered or not).
  virtual void OutputCreated(size_t /*row*/, const std::string& /*outputPath*/) {}
  // The existing-output policy leaves the row's source alone, for this reason.
  virtual void OutputSkipped(size_t /*row*/, const std::string& /*reason*/) {}
  // The row's source holds less audio than its header promised; the run converts what is there.
  virtual void SourceEndsEarly(size_t /*row*/, const std::string& /*sourcePath*/) {}
  virtual void SetProgress(int percent) = 0;  // 0..100, the current file
  // A run over several files at once reports each file's progress here instead (0..100).
  virtual void FileProgress(size_t /*row*/, int /*percent*/) {}

  virtual void ShowInformation(const std::string& text) = 0;  // notice with an OK button
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;

  // Lets pending user commands through (Stop among them) while a run or AddFiles works.
  virtual void Pump() = 0;
  virtual void OpenFolder(const std::string& path) = 0;
};
