// Stands between a run and the user's host: keeps the list's state column in step with what
// the run reports, and passes everything on. The run itself only reads the list.
#pragma once

#include "app/RunHost.h"

class FileList;

class RowStateRecorder : public RunHost {
 public:
  RowStateRecorder(FileList& rows, RunHost& host) : rows_(rows), host_(host) {}

  void RowStateChanged(size_t row, const std::string& state) override;

  void RowAdded(size_t row, const FileRow& entry) override { host_.RowAdded(row, entry); }
  void RowAboutToBeRemoved(size_t row) override { host_.RowAboutToBeRemoved(row); }
  void RowRemoved(size_t row) override { host_.RowRemoved(row); }
  void RowsAboutToBeCleared() override { host_.RowsAboutToBeCleared(); }
  void RowsCleared() override { host_.RowsCleared(); }
  void OutputCreated(size_t row, const std::string& path) override {
    host_.OutputCreated(row, path);
  }
  void OutputSkipped(size_t row, const std::string& reason) override {
    host_.OutputSkipped(row, reason);
  }
  void SetProgress(int percent) override { host_.SetProgress(percent); }
  void SourceEndsEarly(size_t row, const std::string& path) override {
    host_.SourceEndsEarly(row, path);
  }
  void SourceChangesCodec(size_t row, const std::string& path, const std::string& change) override {
    host_.SourceChangesCodec(row, path, change);
  }
  void FileProgress(size_t row, int percent) override { host_.FileProgress(row, percent); }
  void FileStopped(size_t row) override { host_.FileStopped(row); }
  void ShowInformation(const std::string& text) override { host_.ShowInformation(text); }
  bool AskYesNo(const std::string& text) override { return host_.AskYesNo(text); }
  void ShowError(const std::string& text) override { host_.ShowError(text); }
  void Pump() override { host_.Pump(); }
  void OpenFolder(const std::string& path) override { host_.OpenFolder(path); }

 private:
  FileList& rows_;
  RunHost& host_;
};
