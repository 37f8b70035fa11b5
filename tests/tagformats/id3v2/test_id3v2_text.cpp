// Text conversions at the tag boundary: UTF-8 inside, ISO-8859-1 / UTF-16 in frames.
#include <gtest/gtest.h>

#include "base/Utf8Repair.h"
#include "tagformats/id3v2/ID3v2Text.h"
#include "tagformats/common/TextEncoding.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

std::string Decode(uint8_t encoding, const std::vector<uint8_t>& bytes) {
  return DecodeID3v2Text(encoding, bytes.data(), bytes.size());
}

TEST(TextEncoding, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(RepairUtf8("a\xC3"), "a\uFFFD");             // cut sequence
  EXPECT_EQ(RepairUtf8("\xC0\xAF"), "\uFFFD\uFFFD");     // overlong '/'
  EXPECT_EQ(RepairUtf8("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(RepairUtf8("\xF4\x90\x80\x80"), "\uFFFD\uFFFD\uFFFD\uFFFD");  // beyond U+10FFFF
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xDC00, 0xD800}), "a\uFFFD\uFFFD");
}

// The quick UTF-16LE conversion against the character-by-character one, over texts made of
// every kind of sequence, broken ones included, cut at every length so that each kind also
// meets the end of the text.
TEST(TextEncoding, QuickUtf16LeConversionMatchesTheCharacterByCharacterOne) {
  const std::vector<std::string> pieces = {
      "a", " ", "\x7F", "\xC2\xA9", "\xD0\xAF", "\xDF\xBF", "\xE0\xA0\x80", "\xE3\x81\x82", "\xEC\xBF\xBF",
      "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBD", "\xF0\x9F\x8E\xB5", "\xF4\x8F\xBF\xBF", "\xC0\xAF",
      "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xFF", "\xC3", "\xE3\x81", "\xE1\x41"};
  uint32_t seed = 12345;
  for (int text = 0; text < 400; ++text) {
    std::string utf8;
    for (int i = 0; i < 12; ++i) utf8 += pieces[((seed = seed * 1103515245 + 12345) >> 16 & 0x7FFF) % pieces.size()];
    for (size_t length = 0; length <= utf8.size(); ++length) {
      const std::string cut = utf8.substr(0, length);
      std::vector<uint8_t> quick = {0xAB}, expected = {0xAB};  // appended behind what is there
      AppendUtf8AsUtf16Le(&quick, cut);
      AppendUtf16Bytes(&expected, Utf8ToUtf16(cut), false);
      ASSERT_EQ(quick, expected) << "text " << text << " cut at " << length;
    }
  }
}

TEST(ID3v2Text, DecodesEveryEncodingByteUpToItsTerminator) {
  EXPECT_EQ(Decode(kID3v2Latin1, Bytes({'C', 'a', 'f', 0xE9, 0, 'x'})), "Café");
  EXPECT_EQ(Decode(kID3v2Utf16, Bytes({0xFF, 0xFE, 0x1F, 0x04, 0x40, 0x04, 0, 0, 'x', 0})), "Пр");
  EXPECT_EQ(Decode(kID3v2Utf16, Bytes({0xFE, 0xFF, 0x04, 0x1F, 0x04, 0x40})), "Пр");
  EXPECT_EQ(Decode(kID3v2Utf16BE, Bytes({0x65, 0xE5, 0x67, 0x2C})), "日本");
  EXPECT_EQ(Decode(kID3v2Utf8, Bytes({0xE6, 0x97, 0xA5, 0, 0xE6})), "日");
  EXPECT_EQ(Decode(9, Bytes({'a', 'b'})), "");
  EXPECT_EQ(Decode(kID3v2Utf16, Bytes({0xFF, 0xFE, 'a'})), "");  // odd byte alone
}

TEST(ID3v2Text, StringSpanFindsTheTerminatorOfTheEncoding) {
  const auto narrow = Bytes({'d', 0, 'x'});
  EXPECT_EQ(ID3v2StringSpan(kID3v2Latin1, narrow.data(), narrow.size()), 2u);
  // "d" in UTF-16LE ends with 0x00 at an odd offset: not a terminator.
  const auto wide = Bytes({'d', 0, 0, 0, 'x', 0});
  EXPECT_EQ(ID3v2StringSpan(kID3v2Utf16, wide.data(), wide.size()), 4u);
  EXPECT_EQ(ID3v2StringSpan(kID3v2Utf16, wide.data(), 3), 3u);
}

TEST(ID3v2Text, EncodesLatin1WhenEveryCharacterFits) {
  const EncodedID3v2Text encoded = EncodeID3v2Text("Café", 255);
  EXPECT_EQ(encoded.encoding, kID3v2Latin1);
  EXPECT_EQ(encoded.bytes, Bytes({'C', 'a', 'f', 0xE9}));
  // 300 ISO-8859-1 characters take 600 UTF-8 bytes but are cut to 255 characters.
  std::string accented;
  for (int i = 0; i < 300; ++i) accented += "é";
  const EncodedID3v2Text cut = EncodeID3v2Text(accented, 255);
  EXPECT_EQ(cut.encoding, kID3v2Latin1);
  EXPECT_EQ(cut.bytes.size(), 255u);
}

// The limit counts characters: text in any script keeps as many as Latin text.
TEST(ID3v2Text, LimitCountsCharactersAndKeepsPairsWhole) {
  std::string many;
  for (int i = 0; i < 300; ++i) many += "日";
  EXPECT_EQ(EncodeID3v2Text(many, 255).bytes.size(), 2u + 2 * 255);

  std::string pairs = "日";
  for (int i = 0; i < 300; ++i) pairs += "🎵";
  const EncodedID3v2Text cut = EncodeID3v2Text(pairs, 255);
  EXPECT_EQ(cut.bytes.size(), 2u + 2 * (1 + 2 * 254));
  EXPECT_EQ(Decode(kID3v2Utf16, cut.bytes), "日" + std::string([] {
              std::string s;
              for (int i = 0; i < 254; ++i) s += "🎵";
              return s;
            }()));

  // One character outside ISO-8859-1 no longer costs the others their place.
  const EncodedID3v2Text mixed = EncodeID3v2Text(std::string(254, 'a') + "Я", 255);
  EXPECT_EQ(mixed.encoding, kID3v2Utf16);
  EXPECT_EQ(Decode(kID3v2Utf16, mixed.bytes), std::string(254, 'a') + "Я");
}

TEST(ID3v2Text, EmptyUtf16StringKeepsItsMark) {
  EXPECT_EQ(EmptyID3v2String(kID3v2Utf16), (std::vector<uint8_t>{0xFF, 0xFE, 0, 0}));
  EXPECT_EQ(EmptyID3v2String(kID3v2Latin1), (std::vector<uint8_t>{0}));
}

TEST(ID3v2Text, LatinPrefixDecidesWhenTheRestIsCut) {
  // The character outside ISO-8859-1 lies beyond the cut, so the kept text stays narrow.
  const std::string text = std::string(255, 'a') + "日";
  const EncodedID3v2Text encoded = EncodeID3v2Text(text, 255);
  EXPECT_EQ(encoded.encoding, kID3v2Latin1);
  EXPECT_EQ(encoded.bytes.size(), 255u);
}

}  // namespace
