// The rows of the file list: one per listed source, with the texts the list shows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

constexpr const char* kStateUnconverted = "unconverted";
constexpr const char* kStateConverting = "Converting";
constexpr const char* kStateFinish = "finish";

struct FileRow {
  std::string fileName;  // without folder
  std::string filePath;  // full path; the runs read their source from here
  std::string timeText;
  std::string sizeText;
  std::string state;
  // The folder the file was found in when a whole folder was added; empty when added alone.
  std::string addedFromFolder;
};

// At most one row is selected at a time. Duplicates are allowed.
class FileList {
 public:
  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const FileRow& operator[](size_t row) const { return rows_[row]; }

  size_t Append(FileRow row);  // returns the new row's position
  void Remove(size_t row);
  void Clear();
  void SetState(size_t row, const std::string& state);

  // A position outside the list clears the selection.
  void Select(size_t row);
  bool IsSelected(size_t row) const { return hasSelection_ && selected_ == row; }

 private:
  std::vector<FileRow> rows_;
  bool hasSelection_ = false;
  size_t selected_ = 0;
};
