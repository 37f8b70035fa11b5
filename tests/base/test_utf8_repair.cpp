// One repair for every text read as UTF-8: each maximal ill-formed part becomes one U+FFFD.
#include <gtest/gtest.h>

#include <random>

#include "base/LineBreaks.h"
#include "base/Utf8Repair.h"

namespace {

const std::string R = "\xEF\xBF\xBD";

struct RepairCase {
  const char* what;
  std::string bytes;
  std::string repaired;
};

TEST(Utf8Repair, EachMaximalIllFormedPartBecomesOneReplacement) {
  const RepairCase cases[] = {
      {"valid text stays", "plain \xC3\xA4\xE2\x82\xAC\xF0\x9F\x8E\xB5", "plain \xC3\xA4\xE2\x82\xAC\xF0\x9F\x8E\xB5"},
      {"zero bytes stay", std::string("a\0b", 3), std::string("a\0b", 3)},
      {"legacy single-byte letter", "Caf\xE9 M\xFCller", "Caf" + R + " M" + R + "ller"},
      {"three-byte sequence cut by a letter", "\xE2\x82" "A", R + "A"},
      {"four-byte sequence cut by a letter", "\xF0\x9F\x8E" "x", R + "x"},
      {"cut at the end", "x\xE2\x82", "x" + R},
      {"stray continuation bytes", "\xFF\x80\x80", R + R + R},
      {"overlong two-byte", "\xC0\xAF", R + R},
      {"overlong three-byte", "\xE0\x80\xAF", R + R + R},
      {"surrogate", "\xED\xA0\x80", R + R + R},
      {"above U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
  };
  for (const RepairCase& c : cases) {
    EXPECT_EQ(RepairUtf8(c.bytes), c.repaired) << c.what;
    EXPECT_EQ(IsValidUtf8(c.bytes), c.bytes == c.repaired) << c.what;
    EXPECT_TRUE(IsValidUtf8(RepairUtf8(c.bytes))) << c.what;
  }
}

// The validity check takes well-formed sequences by a quicker path than the unit stepping the
// decoders use; over short strings of the bytes where the rules change, both must agree.
TEST(Utf8Repair, ValidityAgreesWithTheDecodersUnits) {
  const unsigned char bytes[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFF};
  const auto steppedValid = [](std::string_view text) {
    for (size_t at = 0, length = 0; at < text.size(); at += length)
      if (Utf8UnitLength(text, at, &length) != length || length == 0) return false;
    return true;
  };
  // Runs of ASCII, two- and three-byte sequences long enough for the sixteen-byte blocks, with
  // the boundary bytes anywhere in and between the blocks; every third text has the sequences
  // whose second byte has a narrower range, four-byte ones, and a surrogate, an overlong form
  // and a code point past U+10FFFF that look well-formed by their bytes' kinds alone.
  const char* const pieces[] = {"a", " ", "\xD0\x96", "\xC2\x80", "\xDF\xBF", "\xE4\xB8\xAD", "\xE1\x80\x80",
                                "\xEF\xBF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xF0\x9F\x8E\xB5",
                                "\xED\xA0\x80", "\xE0\x9F\xBF", "\xF4\x90\x80\x80"};
  std::mt19937 random(7);
  for (int i = 0; i < 200000; ++i) {
    std::string text = i % 2 ? "ascii run \xD0\x96\xE4\xB8\xAD" : "";
    for (size_t n = random() % 40; n > 0; --n) {
      if (random() % 8 == 0) text.push_back(static_cast<char>(bytes[random() % sizeof bytes]));
      else text += pieces[random() % (i % 3 ? 8 : 14)];
    }
    ASSERT_EQ(IsValidUtf8(text), steppedValid(text)) << ::testing::PrintToString(text);
  }
}

TEST(LineBreaks, CrLfAndLoneCrBecomeLf) {
  EXPECT_EQ(LineBreaksAsLf("a\r\nb\rc\nd\r"), "a\nb\nc\nd\n");
  EXPECT_EQ(LineBreaksAsLf("\r\r\n"), "\n\n");
}

}  // namespace
