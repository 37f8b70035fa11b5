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
  // The row's source changes codec midway (`change` reads "Vorbis to Opus"); the run converts
  // the audio up to the change.
  virtual void SourceChangesCodec(size_t /*row*/, const std::string& /*sourcePath*/,
                                  const std::string& /*change*/) {}
  virtual void SetProgress(int percent) = 0;  // 0..100, the current file
  // A run over several files at once reports each file's progress here instead (0..100).
  virtual void FileProgress(size_t /*row*/, int /*percent*/) {}

  // The run ended that row's file with Stop before its end; the file keeps what was written.
  virtual void FileStopped(size_t /*row*/) {}

  virtual void ShowInformation(const std::string& text) = 0;  // notice with an OK button
  // A file AddFiles could not list, with the reason; the window's notice runs the path and
  // its phrase together, as it always has.
  virtual void FileRefused(const std::string& path, const std::string& reason) {
    ShowInformation(path + "is not supported.\n" + reason);
  }
  // The run refused the stored format ("This MP3 format is not supported."); `detail` names
  // the refused values and the settings keys that choose them, for hosts with room for it.
  virtual void FormatRefused(const std::string& text, const std::string& /*detail*/) {
    ShowInformation(text);
  }
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;

  // Lets pending user commands through (Stop among them) while a run or AddFiles works.
  virtual void Pump() = 0;
  virtual void OpenFolder(const std::string& path) = 0;
};
