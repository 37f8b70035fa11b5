// What the core needs from whoever shows it: the window, the command-line converter or a test.
// The rows and their texts are the core's own data (ConverterCore::rows); the host is only
// told what changed.
#pragma once

#include <cstddef>
#include <string>

class RunHost {
 public:
  virtual ~RunHost() = default;

  virtual void RowAdded(size_t row) = 0;
  virtual void RowRemoved(size_t row) = 0;
  virtual void RowsCleared() = 0;
  virtual void RowStateChanged(size_t row) = 0;
  virtual void SetProgress(int percent) = 0;  // 0..100, the current file

  virtual void ShowInformation(const std::string& text) = 0;  // notice with an OK button
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;

  // Lets pending user commands through (Stop among them) while a run or AddFiles works.
  virtual void Pump() = 0;
  virtual void OpenFolder(const std::string& path) = 0;
};
