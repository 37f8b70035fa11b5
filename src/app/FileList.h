// The rows of the file list: one per listed source, with the texts the list shows, the format
// decided when the file was added and the file's tag record. The one list of the program: the
// window's table and the command line's output both show it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/AudioFormat.h"
#include "tags/Timerec.h"

constexpr const char* kStateUnconverted = "unconverted";
constexpr const char* kStateConverting = "Converting";
constexpr const char* kStateFinish = "finish";
// Only the existing-output options "skip" and "update" leave a row alone, and only the
// extended face and the command line have them.
constexpr const char* kStateSkipped = "skipped";

struct FileRow {
  std::string fileName;  // without folder
  std::string filePath;  // full path; the runs read their source from here
  std::string timeText;
  std::string sizeText;
  std::string state;
  AudioFormat format = AudioFormat::kOther;  // the tag reader, the runs and the names use it
  Timerec tags;  // empty when the file's format has no tags or they could not be read
  std::string outputPath;  // what the last run wrote for this row; empty before
  // The folder the file was found in when a whole folder was added; empty when added alone.
  std::string addedFromFolder;
};

// At most one row is selected at a time. Duplicates are allowed.
class FileList {
 public:
  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const FileRow& operator[](size_t row) const { return rows_[row]; }

  // Appends the rows in order; returns the position of the first.
  size_t Append(std::vector<FileRow> rows);
  // Removes the row; the rows behind it, with their records, move up by one.
  void Remove(size_t row);
  void Clear();
  void SetState(size_t row, const std::string& state);
  void SetOutput(size_t row, const std::string& outputPath);
  // A row beyond the list is ignored.
  void SetTags(size_t row, const Timerec& tags);

  // Every row's record, in list order: the tag editor's working copy starts from it.
  std::vector<Timerec> TagRecords() const;
  // Replaces every row's record; ignored unless there is exactly one record per row.
  void ReplaceTagRecords(const std::vector<Timerec>& records);

  // A position outside the list clears the selection.
  void Select(size_t row);
  bool IsSelected(size_t row) const { return hasSelection_ && selected_ == row; }

 private:
  std::vector<FileRow> rows_;
  bool hasSelection_ = false;
  size_t selected_ = 0;
};
