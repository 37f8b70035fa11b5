// What the core tells whoever shows it about the list and the runs. Called only on the thread
// that drives the core: jobs post what happens to a queue that this thread drains when it
// pumps. A host reads rows from the core's own list, which it is handed with each change;
// removals are announced before and after, and so are additions, as an item model needs both.
#pragma once

#include <cstddef>
#include <string>

#include "app/FileList.h"

class RunEvents {
 public:
  virtual ~RunEvents() = default;

  // Rows first .. first + count - 1 are about to be appended / have been appended to `rows`.
  virtual void RowsAboutToBeAdded(size_t /*first*/, size_t /*count*/) {}
  virtual void RowsAdded(const FileList& rows, size_t first, size_t count) = 0;
  virtual void RowAboutToBeRemoved(size_t row) = 0;
  virtual void RowRemoved(size_t row) = 0;
  virtual void RowsAboutToBeCleared() = 0;
  virtual void RowsCleared() = 0;
  // The row's state has changed; `entry` is the row as it is now.
  virtual void RowStateChanged(size_t row, const FileRow& entry) = 0;
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

  // Lets pending user commands through (Stop among them) while a run or AddFiles works.
  virtual void Pump() = 0;
  virtual void OpenFolder(const std::string& path) = 0;
};
