// A host for the core that records everything the core tells it and answers questions as set.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ConverterCore.h"
#include "app/RunHost.h"

class RecordingHost : public RunHost {
 public:
  void RowAdded(size_t row) override { events.push_back("added " + std::to_string(row)); }
  void RowRemoved(size_t row) override { events.push_back("removed " + std::to_string(row)); }
  void RowsCleared() override { events.push_back("cleared"); }
  void RowStateChanged(size_t row) override {
    events.push_back("state " + std::to_string(row) + " " + (core ? core->rows[row].state : ""));
  }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void ShowInformation(const std::string& text) override { information.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    return answerYes;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void Pump() override {
    ++pumps;
    if (stopAtPump > 0 && pumps == stopAtPump && core) core->Stop();
    if (onPump) onPump();
  }
  void OpenFolder(const std::string& path) override { openedFolders.push_back(path); }

  ConverterCore* core = nullptr;
  bool answerYes = true;
  int stopAtPump = 0;  // the Stop command arrives during this pump (counting from 1)
  std::function<void()> onPump;  // what happens meanwhile, such as a change on disk
  int pumps = 0;
  std::vector<std::string> events;
  std::vector<int> progress;
  std::vector<std::string> information;
  std::vector<std::string> questions;
  std::vector<std::string> errors;
  std::vector<std::string> openedFolders;
};
