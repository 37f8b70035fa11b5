// The tag table: records follow their rows and nothing reads beyond the table.
#include <gtest/gtest.h>

#include "tags/TagTable.h"

namespace {

Timerec Record(const std::string& title) {
  return Timerec{title, "artist " + title, "2001", "album", "line1\r\nline2", "Rock", "3"};
}

TagTable TableOf(std::initializer_list<const char*> titles) {
  TagTable table;
  size_t row = 0;
  for (const char* title : titles) {
    table.AppendRow();
    table.StoreRowTags(row++, Record(title));
  }
  return table;
}

}  // namespace

TEST(TagTable, NewRowsStartEmpty) {
  TagTable table = TableOf({"a"});
  table.AppendRow();
  EXPECT_EQ(table.ReadRowRecord(1), Timerec{});
  EXPECT_EQ(table.ReadRowRecord(0), Record("a"));
}

TEST(TagTable, RemovingARowMovesTheLaterRecordsUp) {
  TagTable table = TableOf({"r0", "r1", "r2", "r3"});
  table.RemoveRowRecord(1);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table.ReadRowRecord(0).title, "r0");
  EXPECT_EQ(table.ReadRowRecord(1).title, "r2");
  EXPECT_EQ(table.ReadRowRecord(2).title, "r3");
  EXPECT_EQ(table.ReadRowRecord(2), Record("r3"));  // every field moved, track included
}

TEST(TagTable, BeyondTheTableNothingIsReadOrWritten) {
  TagTable table = TableOf({"a"});
  table.StoreRowTags(5, Record("x"));
  table.RemoveRowRecord(7);
  EXPECT_EQ(table.size(), 1u);
  EXPECT_EQ(table.ReadRowRecord(5), Timerec{});
}

TEST(TagTable, GrowsPastTheOldFixedSize) {
  TagTable table;
  for (size_t row = 0; row < 500; ++row) {
    table.AppendRow();
    table.StoreRowTags(row, Record(std::to_string(row)));
  }
  EXPECT_EQ(table.ReadRowRecord(450).title, "450");
}
