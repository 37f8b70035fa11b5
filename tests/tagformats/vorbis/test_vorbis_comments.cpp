// Parsing comment texts into the record and forming them from it.
#include <gtest/gtest.h>

#include "tagformats/vorbis/VorbisComments.h"
#include "base/Utf8Repair.h"

namespace {

TStrComments Parse(std::initializer_list<std::string> texts) {
  TStrComments comments;
  for (const auto& text : texts) comments.push_back(ParseComment(text));
  return comments;
}

std::vector<std::string> Texts(const vorbis_comment& block) {
  std::vector<std::string> texts;
  for (int i = 0; i < block.comments; ++i) texts.emplace_back(block.user_comments[i], block.comment_lengths[i]);
  return texts;
}

}  // namespace

TEST(VorbisComments, SplitsNameAndValueAtTheFirstEquals) {
  TStrComment c = ParseComment("TITLE=a=b");
  EXPECT_EQ(c.name, "TITLE");
  EXPECT_EQ(c.value, "a=b");
  EXPECT_EQ(c.whole, "TITLE=a=b");

  c = ParseComment("=lead");
  EXPECT_EQ(c.name, "");
  EXPECT_EQ(c.value, "lead");
  EXPECT_EQ(c.whole, "lead");

  c = ParseComment("no equals sign");
  EXPECT_EQ(c.name, "");
  EXPECT_EQ(c.value, "no equals sign");

  EXPECT_EQ(ParseComment(" !<>}{=v").name, " !<>}{");
}

TEST(VorbisComments, NameWithForbiddenByteBecomesAValue) {
  for (const std::string& text : {std::string("TI~TLE=x"), std::string("TI\x1FTLE=x"), std::string("T\xC3\xA4=x")}) {
    TStrComment c = ParseComment(text);
    EXPECT_EQ(c.name, "") << text;
    EXPECT_EQ(c.whole, c.value);
  }
  Timerec tag = RecordFromComments(Parse({"ti~tle=x", "title", "title x"}));
  EXPECT_EQ(tag.title, "");
}

TEST(VorbisComments, SeveralCommentsOfAKeyStaySeveralWhateverTheirCase) {
  Timerec tag = RecordFromComments(Parse({"ARTIST=X", "artist=Y", "DATE=2001", "Album=A", "GENRE=Rock",
                                         "comment=C", "TrackNumber=7", "TITLE=T", "OTHER=o"}));
  EXPECT_EQ(tag.artist, "X");
  EXPECT_EQ(tag.extras.Values("ARTIST"), std::vector<std::string>{"Y"});
  EXPECT_EQ(tag.extras.Values("OTHER"), std::vector<std::string>{"o"});
  EXPECT_EQ(tag.year, "2001");
  EXPECT_EQ(tag.album, "A");
  EXPECT_EQ(tag.genre, "Rock");
  EXPECT_EQ(tag.comment, "C");
  EXPECT_EQ(tag.track, "7");
  EXPECT_EQ(tag.title, "T");
}

// DESCRIPTION and YEAR, which other taggers write, stand in for a missing COMMENT and DATE;
// a genre given as a number of the genre list is its name.
TEST(VorbisComments, DescriptionYearAndGenreNumbers) {
  Timerec tag = RecordFromComments(Parse({"DESCRIPTION=D", "YEAR=1990", "GENRE=17"}));
  EXPECT_EQ(tag.comment, "D");
  EXPECT_EQ(tag.year, "1990");
  EXPECT_EQ(tag.genre, "Rock");
  tag = RecordFromComments(Parse({"COMMENT=C", "DESCRIPTION=D", "DATE=2001-02-03", "YEAR=1990", "GENRE=(9)"}));
  EXPECT_EQ(tag.comment, "C");
  EXPECT_EQ(tag.year, "2001-02-03");
  EXPECT_EQ(tag.genre, "Metal");
  EXPECT_EQ(RecordFromComments(Parse({"GENRE=Synthpop"})).genre, "Synthpop");
}

TEST(VorbisComments, ValuesAreTrimmedOfControlBytesAndSpaces) {
  Timerec tag = RecordFromComments(Parse({"title= \t x  y\r\n", "artist=\x01\x02", "album=\xC3\xA9 "}));
  EXPECT_EQ(tag.title, "x  y");
  EXPECT_EQ(tag.artist, "");
  EXPECT_EQ(tag.album, "\xC3\xA9");
}

TEST(VorbisComments, InvalidUtf8IsRepaired) {
  const std::string kFffd = "\xEF\xBF\xBD";
  EXPECT_EQ(RepairUtf8("plain \xC3\xA4\xE2\x82\xAC\xF0\x9F\x8E\xB5"), "plain \xC3\xA4\xE2\x82\xAC\xF0\x9F\x8E\xB5");
  EXPECT_EQ(RepairUtf8("a\xFF" "b"), "a" + kFffd + "b");
  EXPECT_EQ(RepairUtf8("\x80"), kFffd);
  EXPECT_EQ(RepairUtf8("\xC0\xAF"), kFffd + kFffd);           // overlong "/"
  EXPECT_EQ(RepairUtf8("\xED\xA0\x80"), kFffd + kFffd + kFffd);       // surrogate
  EXPECT_EQ(RepairUtf8("\xF4\x90\x80\x80"), kFffd + kFffd + kFffd + kFffd);   // above U+10FFFF
  EXPECT_EQ(RepairUtf8("x\xE2\x82"), "x" + kFffd);    // cut off
  EXPECT_EQ(RepairUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(ParseComment("TITLE=\xFE").value, kFffd);
}

TEST(VorbisComments, WritesNonEmptyFieldsInFixedOrder) {
  vorbis_comment block;
  vorbis_comment_init(&block);
  Timerec tag;
  tag.album = "Al";
  tag.title = "Ti";
  tag.artist = "Ar";
  tag.comment = "Co";
  tag.genre = "Ge";
  tag.year = "1999";
  tag.track = "3";
  AddRecordComments(block, tag);
  EXPECT_EQ(Texts(block), (std::vector<std::string>{"Title=Ti", "Artist=Ar", "Album=Al", "TrackNumber=3",
                                                    "Date=1999", "Genre=Ge", "Comment=Co"}));
  vorbis_comment_clear(&block);

  vorbis_comment_init(&block);
  AddRecordComments(block, Timerec{});
  EXPECT_EQ(block.comments, 0);
  tag = Timerec{};
  tag.genre = "\xC3\xA4\xFF";
  AddRecordComments(block, tag);
  EXPECT_EQ(Texts(block), std::vector<std::string>{"Genre=\xC3\xA4\xEF\xBF\xBD"});
  vorbis_comment_clear(&block);
}
