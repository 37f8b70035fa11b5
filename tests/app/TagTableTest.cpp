// The rows' tag records: each record travels with its row, and nothing reads beyond the list.
#include <gtest/gtest.h>

#include "app/FileList.h"

namespace {

Timerec Record(const std::string& title) {
  return Timerec{title, "artist " + title, "2001", "album", "line1\r\nline2", "Rock", "3"};
}

FileRow Untagged(const std::string& name, const std::string& path = "") {
  FileRow row;
  row.fileName = name;
  row.filePath = path;
  return row;
}

FileList ListOf(std::initializer_list<const char*> titles) {
  FileList list;
  for (const char* title : titles) {
    FileRow row{std::string(title) + ".mp3", "/m/" + std::string(title) + ".mp3", "", "",
                kStateUnconverted, AudioFormat::kMp3, Record(title), "", ""};
    list.Append({row});
  }
  return list;
}

}  // namespace

TEST(RowRecords, NewRowsWithoutTagsHoldAnEmptyRecord) {
  FileList list = ListOf({"a"});
  list.Append({Untagged("b.wav", "/m/b.wav")});
  EXPECT_EQ(list[1].tags, Timerec{});
  EXPECT_EQ(list[0].tags, Record("a"));
}

TEST(RowRecords, RemovingARowMovesTheLaterRecordsUp) {
  FileList list = ListOf({"r0", "r1", "r2", "r3"});
  list.Remove(1);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].tags.title, "r0");
  EXPECT_EQ(list[1].tags.title, "r2");
  EXPECT_EQ(list[2].tags.title, "r3");
  EXPECT_EQ(list[2].tags, Record("r3"));  // every field moved, track included
}

TEST(RowRecords, BeyondTheListNothingIsReadOrWritten) {
  FileList list = ListOf({"a"});
  list.SetTags(5, Record("x"));
  list.Remove(7);
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(list.TagRecords().size(), 1u);
  list.ReplaceTagRecords({Record("x"), Record("y")});  // not one per row: refused
  EXPECT_EQ(list[0].tags, Record("a"));
}

TEST(RowRecords, GrowWithTheListAndAreReplacedTogether) {
  FileList list;
  for (size_t row = 0; row < 500; ++row) list.Append({Untagged(std::to_string(row))});
  std::vector<Timerec> records = list.TagRecords();
  records[450] = Record("450");
  list.ReplaceTagRecords(records);
  EXPECT_EQ(list[450].tags.title, "450");
  EXPECT_EQ(list[449].tags, Timerec{});
}
