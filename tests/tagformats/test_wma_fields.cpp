// Fixed-width record fields and the UTF-8 / UTF-16 conversions at the ASF boundary.
#include <gtest/gtest.h>

#include <cstring>

#include "tagformats/WmaTag.h"
#include "tagformats/WmaText.h"

namespace {

TEST(WmaField, ShortTextIsZeroPaddedAndLongTextKeepsOneByteForTheTerminator) {
  WMATagInfo record{};
  std::memset(record.genre, 'x', sizeof record.genre);
  SetWmaField(record.genre, "Rock");
  EXPECT_EQ(WmaFieldText(record.genre), "Rock");
  for (size_t i = 4; i < sizeof record.genre; ++i) EXPECT_EQ(record.genre[i], 0) << i;

  const std::string genre31(31, 'g');
  SetWmaField(record.genre, genre31);
  EXPECT_EQ(WmaFieldText(record.genre), genre31);

  SetWmaField(record.title, std::string(200, 't'));
  EXPECT_EQ(WmaFieldText(record.title), std::string(127, 't'));
  EXPECT_EQ(record.title[127], 0);
  SetWmaField(record.comment, std::string(300, 'c'));
  EXPECT_EQ(WmaFieldText(record.comment).size(), 254u);
}

TEST(WmaField, MultiByteCharacterAtTheCutIsDroppedWhole) {
  WMATagInfo record{};
  // 30 ASCII bytes, then "é" (2 bytes) would need bytes 30 and 31: only byte 30 is free.
  SetWmaField(record.genre, std::string(30, 'a') + "\xC3\xA9" + "zz");
  EXPECT_EQ(WmaFieldText(record.genre), std::string(30, 'a'));

  // A 4-byte character starting at byte 29 does not fit either; a 2-byte one at 29 does.
  SetWmaField(record.genre, std::string(29, 'a') + "\xF0\x9F\x8E\xB5");
  EXPECT_EQ(WmaFieldText(record.genre), std::string(29, 'a'));
  SetWmaField(record.genre, std::string(29, 'a') + "\xC3\xA9");
  EXPECT_EQ(WmaFieldText(record.genre), std::string(29, 'a') + "\xC3\xA9");

  // Only 3-byte characters: 127 bytes hold 42 of them (126 bytes).
  std::string notes;
  for (int i = 0; i < 60; ++i) notes += "\xE2\x99\xAA";
  SetWmaField(record.title, notes);
  EXPECT_EQ(WmaFieldText(record.title), notes.substr(0, 126));
}

TEST(WmaField, TextOfAFullFieldWithoutTerminatorStopsAtItsEnd) {
  char field[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(WmaFieldText(field), "abcd");
}

TEST(WmaText, Utf16RoundTripKeepsEveryPlane) {
  const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5";  // A é € 🎵
  std::u16string units;
  ASSERT_TRUE(Utf8ToUtf16(text, units));
  EXPECT_EQ(units, u"A\u00E9\u20AC\U0001F3B5");
  uint8_t bytes[16] = {};
  StoreUtf16Le(units, bytes);
  EXPECT_EQ(Utf16LeToUtf8(bytes, units.size() * 2), text);
}

TEST(WmaText, MalformedInputIsRefusedOrReplaced) {
  std::u16string units;
  EXPECT_FALSE(Utf8ToUtf16("ab\xC3", units));          // cut sequence
  EXPECT_FALSE(Utf8ToUtf16("\xC0\xAF", units));        // overlong
  EXPECT_FALSE(Utf8ToUtf16("\xED\xA0\x80", units));    // surrogate
  EXPECT_FALSE(Utf8ToUtf16("\xF4\x90\x80\x80", units));  // beyond U+10FFFF

  const uint8_t lone[] = {0x00, 0xD8, 'x', 0, 0x00, 0xDC};  // high, 'x', low: both unpaired
  EXPECT_EQ(Utf16LeToUtf8(lone, sizeof lone), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  const uint8_t odd[] = {'h', 0, 'i', 0, 0, 0, 'z', 0, 7};
  EXPECT_EQ(Utf16LeToUtf8(odd, sizeof odd), "hi");  // stops at the zero unit
  EXPECT_EQ(Utf16LeToUtf8(odd, 3), "h");            // odd last byte ignored
}

TEST(WmaText, LeadingDecimal) {
  EXPECT_EQ(LeadingDecimal("7"), 7u);
  EXPECT_EQ(LeadingDecimal("07/12"), 7u);
  EXPECT_EQ(LeadingDecimal("x7"), 0u);
  EXPECT_EQ(LeadingDecimal(""), 0u);
  EXPECT_EQ(LeadingDecimal("99999999999999999999"), UINT32_MAX);
}

}  // namespace
