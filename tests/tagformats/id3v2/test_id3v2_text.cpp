// Text conversions at the tag boundary: UTF-8 inside, ISO-8859-1 / UTF-16 in frames.
#include <gtest/gtest.h>

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
  EXPECT_EQ(SanitizeUtf8("a\xC3"), "a\uFFFD");             // cut sequence
  EXPECT_EQ(SanitizeUtf8("\xC0\xAF"), "\uFFFD\uFFFD");     // overlong '/'
  EXPECT_EQ(SanitizeUtf8("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(SanitizeUtf8("\xF4\x90\x80\x80"), "\uFFFD\uFFFD\uFFFD\uFFFD");  // beyond U+10FFFF
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xDC00, 0xD800}), "a\uFFFD\uFFFD");
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

TEST(ID3v2Text, Utf16CutKeepsTheBytesWithinTheLimitAndPairsWhole) {
  std::string many;
  for (int i = 0; i < 200; ++i) many += "日";
  EXPECT_EQ(EncodeID3v2Text(many, 255).bytes.size(), 2u + 2 * 126);

  std::string pairs = "日";  // 1 unit, then pairs of 2 units: unit 126 would split a pair
  for (int i = 0; i < 100; ++i) pairs += "🎵";
  const EncodedID3v2Text cut = EncodeID3v2Text(pairs, 255);
  EXPECT_EQ(cut.bytes.size(), 2u + 2 * 125);
  EXPECT_EQ(Decode(kID3v2Utf16, cut.bytes), "日" + std::string([] {
              std::string s;
              for (int i = 0; i < 62; ++i) s += "🎵";
              return s;
            }()));
}

TEST(ID3v2Text, LatinPrefixDecidesWhenTheRestIsCut) {
  // The character outside ISO-8859-1 lies beyond the cut, so the kept text stays narrow.
  const std::string text = std::string(255, 'a') + "日";
  const EncodedID3v2Text encoded = EncodeID3v2Text(text, 255);
  EXPECT_EQ(encoded.encoding, kID3v2Latin1);
  EXPECT_EQ(encoded.bytes.size(), 255u);
}

}  // namespace
