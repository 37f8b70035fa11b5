#include "app/FileList.h"

size_t FileList::Append(FileRow row) {
  rows_.push_back(std::move(row));
  return rows_.size() - 1;
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

void FileList::Select(size_t row) {
  hasSelection_ = row < rows_.size();
  selected_ = row;
}
