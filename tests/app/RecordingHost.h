// A host for the core that records everything the core tells it and answers questions as set.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/RunHost.h"

class RecordingHost : public RunHost {
 public:
  void RowsAdded(const FileList& rows, size_t first, size_t count) override {
    for (size_t row = first; row < first + count; ++row)
      events.push_back("added " + std::to_string(row) + " " + rows[row].fileName + " " +
                       rows[row].state);
  }
  void RowAboutToBeRemoved(size_t row) override {
    events.push_back("removing " + std::to_string(row));
  }
  void RowRemoved(size_t row) override { events.push_back("removed " + std::to_string(row)); }
  void RowsAboutToBeCleared() override { events.push_back("clearing"); }
  void RowsCleared() override { events.push_back("cleared"); }
  void RowStateChanged(size_t row, const FileRow& entry) override {
    events.push_back("state " + std::to_string(row) + " " + entry.state);
  }
  void OutputCreated(size_t row, const std::string& path) override {
    events.push_back("output " + std::to_string(row));
    outputs.push_back(path);
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
    if (duringPumpNumber > 0 && pumps == duringPumpNumber && duringPump) duringPump();
    // Called through a copy: the hook may replace or clear itself while it runs.
    if (std::function<void()> hook = onPump) hook();
  }
  void OpenFolder(const std::string& path) override { openedFolders.push_back(path); }

  // A user command that arrives during the pump with this number (counting from 1).
  void AtPump(int number, std::function<void()> command) {
    duringPumpNumber = number;
    duringPump = std::move(command);
  }

  bool answerYes = true;
  std::function<void()> onPump;  // what happens at every pump, such as a change on disk
  int pumps = 0;
  int duringPumpNumber = 0;
  std::function<void()> duringPump;
  std::vector<std::string> events;
  std::vector<std::string> outputs;
  std::vector<int> progress;
  std::vector<std::string> information;
  std::vector<std::string> questions;
  std::vector<std::string> errors;
  std::vector<std::string> openedFolders;
};
