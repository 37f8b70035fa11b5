// The per-row tag records of the file list: record k belongs to list row k. The table grows
// and shrinks with the list, so no row is ever without a record and no record outlives its row.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tags/TagExtras.h"

struct Timerec {
  std::string title;
  std::string artist;
  std::string year;  // free text
  std::string album;
  std::string comment;
  std::string genre;  // genre name, not a number
  // The track number the tag reader found in this row's own file; empty when none. Kept per
  // row so that every output receives its own source's track.
  std::string track;
  // Every other field and the pictures of the row's source; the tag editor leaves them alone.
  TagExtras extras{};
};

bool operator==(const Timerec& a, const Timerec& b);
inline bool operator!=(const Timerec& a, const Timerec& b) { return !(a == b); }

class TagTable {
 public:
  size_t size() const { return records_.size(); }

  // A new row at the end, with an empty record.
  void AppendRow();
  // Replaces all fields of the row's record; a row beyond the table is ignored.
  void StoreRowTags(size_t row, const Timerec& record);
  // Removes the row's record; the records behind it move up by one.
  void RemoveRowRecord(size_t row);
  void Clear() { records_.clear(); }
  // The row's record; an empty record for a row beyond the table.
  Timerec ReadRowRecord(size_t row) const;

 private:
  std::vector<Timerec> records_;
};
