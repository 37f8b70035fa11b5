// The terminal side of velmora-convert: one line per finished file on stdout, notices and
// errors on stderr, a progress bar for the current file when stderr is a terminal, and
// Ctrl-C turned into Stop.
#pragma once

#include <csignal>
#include <string>

#include "app/RunHost.h"

class ConverterCore;

class ConsoleHost : public RunHost {
 public:
  explicit ConsoleHost(bool showProgressBar);
  void Attach(ConverterCore* core) { core_ = core; }

  // Installs the SIGINT handler: the first Ctrl-C asks for Stop, a second one ends the program.
  static void CatchInterrupt();
  bool interrupted() const { return interrupted_; }
  int failures() const { return failures_; }

  void RowAdded(size_t) override {}
  void RowRemoved(size_t) override {}
  void RowsCleared() override {}
  void RowStateChanged(size_t row) override;
  void SetProgress(int percent) override;
  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string&) override { return false; }
  void ShowError(const std::string& text) override;
  void Pump() override;
  void OpenFolder(const std::string&) override {}

 private:
  void ClearBar();
  void DrawBar(int percent);

  ConverterCore* core_ = nullptr;
  bool showBar_;
  bool barShown_ = false;
  bool interrupted_ = false;
  int failures_ = 0;
  std::string currentName_;
};
