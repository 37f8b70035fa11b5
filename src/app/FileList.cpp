#include "app/FileList.h"

#include <iterator>

size_t FileList::Append(std::vector<FileRow> rows) {
  const size_t first = rows_.size();
  rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
  return first;
}

void FileList::Remove(size_t row) {
  if (row >= rows_.size()) return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
  if (hasSelection_ && selected_ == row) hasSelection_ = false;
  else if (hasSelection_ && selected_ > row) --selected_;
}

void FileList::Clear() {
  rows_.clear();
  hasSelection_ = false;
}

void FileList::SetState(size_t row, const std::string& state) {
  if (row < rows_.size()) rows_[row].state = state;
}

void FileList::SetOutput(size_t row, const std::string& outputPath) {
  if (row < rows_.size()) rows_[row].outputPath = outputPath;
}

void FileList::SetTags(size_t row, const Timerec& tags) {
  if (row < rows_.size()) rows_[row].tags = tags;
}

std::vector<Timerec> FileList::TagRecords() const {
  std::vector<Timerec> records;
  records.reserve(rows_.size());
  for (const FileRow& row : rows_) records.push_back(row.tags);
  return records;
}

void FileList::ReplaceTagRecords(const std::vector<Timerec>& records) {
  if (records.size() != rows_.size()) return;
  for (size_t i = 0; i < rows_.size(); ++i) rows_[i].tags = records[i];
}

void FileList::Select(size_t row) {
  hasSelection_ = row < rows_.size();
  selected_ = row;
}
