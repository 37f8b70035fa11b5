// The audio-info layer on real WMA files made by ffmpeg: opening, the value buffer rules, the
// type codes, and storing on close.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/TestSupport.h"
#include "tagformats/WmaAudioInfo.h"

namespace {

using testsupport::TempDir;

std::string MakeWma(const TempDir& dir, const std::string& name) {
  const std::string path = dir.file(name);
  EXPECT_TRUE(testsupport::MakeTone(path, 2.0, 44100, 2, "-c:a wmav2 -b:a 128k"));
  return path;
}

int32_t SetText(WmaAudioInfo& info, const std::u16string& name, const std::u16string& text) {
  std::vector<uint8_t> bytes;
  for (char16_t u : text) bytes.push_back(uint8_t(u)), bytes.push_back(uint8_t(u >> 8));
  bytes.push_back(0), bytes.push_back(0);
  return info.SetAttribute(name, kWmaTypeText, bytes.data(), uint16_t(bytes.size()));
}

struct Value {
  int32_t result;
  uint32_t type = 99;
  std::vector<uint8_t> bytes;
  uint16_t length;
};

Value Get(const WmaAudioInfo& info, const std::u16string& name, uint16_t capacity = kWmaValueBufferSize) {
  Value v;
  v.bytes.assign(capacity + 8, 0xEE);  // guard bytes after the capacity
  v.length = capacity;
  v.result = info.GetAttributeByName(name, &v.type, v.bytes.data(), &v.length);
  for (size_t i = capacity; i < v.bytes.size(); ++i) EXPECT_EQ(v.bytes[i], 0xEE) << "overrun";
  return v;
}

std::u16string Text(const Value& v) {
  std::u16string text;
  for (size_t i = 0; i + 1 < v.length; i += 2) text += char16_t(v.bytes[i] | (v.bytes[i + 1] << 8));
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.back(), u'\0');
  text.pop_back();
  return text;
}

TEST(WmaAudioInfo, NameTableHasTheTwentyTwoNamesInOrder) {
  const auto& names = WmaAttributeNames();
  EXPECT_EQ(names.front(), u"Duration");
  EXPECT_EQ(WmaAttributeName(WmaAttribute::Title), u"Title");
  EXPECT_EQ(WmaAttributeName(WmaAttribute::DrmLevel), u"DRM_Level");
  EXPECT_EQ(WmaAttributeName(WmaAttribute::AlbumCoverUrl), u"WM/AlbumCoverURL");
  EXPECT_EQ(names.back(), u"WM/TrackNumber");
}

TEST(WmaAudioInfo, OpenFailsForWhatIsNotAnAsfFile) {
  TempDir dir;
  testsupport::WriteFileText(dir.file("text.wma"), "not a media file at all");
  testsupport::WriteFileText(dir.file("empty.wma"), "");
  ASSERT_TRUE(testsupport::MakeTone(dir.file("tone.wav"), 0.5));
  for (const std::string& path : {dir.file("text.wma"), dir.file("empty.wma"), dir.file("tone.wav"),
                                  dir.file("missing.wma"), dir.path()}) {
    EXPECT_EQ(WmaAudioInfo::Open(path, WmaAudioInfo::Mode::Read), nullptr) << path;
    EXPECT_EQ(WmaAudioInfo::Open(path, WmaAudioInfo::Mode::ReadWrite), nullptr) << path;
  }
}

TEST(WmaAudioInfo, SetThenCloseStoresAndTypesComeBack) {
  TempDir dir;
  const std::string path = MakeWma(dir, "a.wma");
  {
    auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::ReadWrite);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(SetText(*info, u"Title", u"Caf\u00E9 \U0001F3B5"), kWmaOk);
    EXPECT_EQ(SetText(*info, u"WM/Genre", u""), kWmaOk);
    const uint8_t track[4] = {5, 0, 1, 0};
    EXPECT_EQ(info->SetAttribute(u"WM/TrackNumber", kWmaTypeNumber, track, 4), kWmaOk);
    EXPECT_EQ(info->Close(), kWmaOk);
  }
  auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::Read);
  ASSERT_NE(info, nullptr);
  Value title = Get(*info, u"Title");
  EXPECT_EQ(title.result, kWmaOk);
  EXPECT_EQ(title.type, kWmaTypeText);
  EXPECT_EQ(Text(title), u"Caf\u00E9 \U0001F3B5");
  EXPECT_EQ(title.length, (7 + 1) * 2);

  Value genre = Get(*info, u"WM/Genre");
  EXPECT_EQ(genre.result, kWmaOk);
  EXPECT_EQ(genre.length, 2);

  Value track = Get(*info, u"WM/TrackNumber");
  EXPECT_EQ(track.result, kWmaOk);
  EXPECT_EQ(track.type, kWmaTypeNumber);
  EXPECT_EQ(track.length, 4);
  EXPECT_EQ(std::memcmp(track.bytes.data(), "\x05\x00\x01\x00", 4), 0);

  EXPECT_EQ(Get(*info, u"WM/AlbumTitle").result, kWmaNotFound);
  EXPECT_EQ(Get(*info, u"WM/Nothing").result, kWmaNotFound);

  Value duration = Get(*info, u"Duration");
  EXPECT_EQ(duration.type, kWmaTypeQword);
  uint64_t hundredNs = 0;
  for (int i = 7; i >= 0; --i) hundredNs = (hundredNs << 8) | duration.bytes[size_t(i)];
  EXPECT_NEAR(double(hundredNs) / 1e7, 2.0, 0.2);
  EXPECT_EQ(Get(*info, u"Bitrate").type, kWmaTypeNumber);
}

TEST(WmaAudioInfo, NothingIsStoredWithoutCloseOrOnAFileOpenedForReading) {
  TempDir dir;
  const std::string path = MakeWma(dir, "a.wma");
  const auto before = testsupport::ReadFileBytes(path);
  {
    auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::ReadWrite);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(SetText(*info, u"Title", u"lost"), kWmaOk);
  }
  {
    auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::Read);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(SetText(*info, u"Title", u"lost too"), kWmaOk);
    EXPECT_EQ(info->Close(), kWmaStoreFailed);
  }
  EXPECT_EQ(testsupport::ReadFileBytes(path), before);
}

TEST(WmaAudioInfo, ValueBufferLengthRule) {
  TempDir dir;
  const std::string path = MakeWma(dir, "a.wma");
  std::u16string longTitle(126, u'x');
  longTitle += u"\U0001F3B5tail";  // the pair would take units 126 and 127
  {
    auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::ReadWrite);
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(SetText(*info, u"Title", longTitle), kWmaOk);
    ASSERT_EQ(SetText(*info, u"Author", std::u16string(300, u'a')), kWmaOk);
    const std::vector<uint8_t> blob(300, 7);
    ASSERT_EQ(info->SetAttribute(u"WM/Blob", kWmaTypeBinary, blob.data(), 300), kWmaOk);
    ASSERT_EQ(info->Close(), kWmaOk);
  }
  auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::Read);
  ASSERT_NE(info, nullptr);
  // Text longer than the buffer: cut, never splitting a surrogate pair, zero-terminated.
  Value title = Get(*info, u"Title");
  EXPECT_EQ(title.result, kWmaOk);
  EXPECT_EQ(Text(title), std::u16string(126, u'x'));
  Value author = Get(*info, u"Author");
  EXPECT_EQ(author.length, 256);
  EXPECT_EQ(Text(author), std::u16string(127, u'a'));
  // Too small for even the terminator, or for a binary value: the size needed comes back.
  Value tiny = Get(*info, u"Author", 1);
  EXPECT_EQ(tiny.result, kWmaBufferTooSmall);
  EXPECT_EQ(tiny.length, 2);
  Value blob = Get(*info, u"WM/Blob");
  EXPECT_EQ(blob.result, kWmaBufferTooSmall);
  EXPECT_EQ(blob.length, 300);
  Value duration = Get(*info, u"Duration", 4);
  EXPECT_EQ(duration.result, kWmaBufferTooSmall);
  EXPECT_EQ(duration.length, 8);
}

TEST(WmaAudioInfo, RefusesStreamPropertiesAndMalformedValues) {
  TempDir dir;
  const std::string path = MakeWma(dir, "a.wma");
  auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::ReadWrite);
  ASSERT_NE(info, nullptr);
  const uint8_t four[4] = {1, 0, 0, 0};
  EXPECT_EQ(info->SetAttribute(u"Duration", kWmaTypeQword, four, 4), kWmaReadOnly);
  EXPECT_EQ(info->SetAttribute(u"Bitrate", kWmaTypeNumber, four, 4), kWmaReadOnly);
  EXPECT_EQ(info->SetAttribute(u"WM/TrackNumber", kWmaTypeNumber, four, 3), kWmaBadValue);
  EXPECT_EQ(info->SetAttribute(u"WM/Year", kWmaTypeText, four, 3), kWmaBadValue);
  EXPECT_EQ(info->SetAttribute(u"WM/Year", kWmaTypeText, four, 0), kWmaBadValue);
  EXPECT_EQ(info->SetAttribute(u"Title", kWmaTypeNumber, four, 4), kWmaBadValue);
  EXPECT_EQ(info->SetAttribute(u"WM/Year", 77, four, 4), kWmaBadValue);
  EXPECT_EQ(info->SetAttribute(u"WM/Year", kWmaTypeText, nullptr, 4), kWmaBadValue);
  uint32_t type;
  uint16_t length = 4;
  EXPECT_EQ(info->GetAttributeByName(u"Title", &type, nullptr, &length), kWmaBadValue);
}

}  // namespace
