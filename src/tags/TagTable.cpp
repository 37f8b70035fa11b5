#include "tags/TagTable.h"

bool operator==(const Timerec& a, const Timerec& b) {
  return a.title == b.title && a.artist == b.artist && a.year == b.year && a.album == b.album &&
         a.comment == b.comment && a.genre == b.genre && a.track == b.track &&
         a.extras == b.extras;
}

void TagTable::AppendRow() { records_.emplace_back(); }

void TagTable::StoreRowTags(size_t row, const Timerec& record) {
  if (row < records_.size()) records_[row] = record;
}

void TagTable::RemoveRowRecord(size_t row) {
  if (row < records_.size()) records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(row));
}

Timerec TagTable::ReadRowRecord(size_t row) const {
  return row < records_.size() ? records_[row] : Timerec{};
}
