// The attribute layer on real WMA files made by ffmpeg: opening, texts and numbers, stream
// properties, and storing on close.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"
#include "tagformats/wma/WmaAudioInfo.h"

namespace {

using testsupport::TempDir;

std::string MakeWma(const TempDir& dir, const std::string& name) {
  const std::string path = dir.file(name);
  EXPECT_TRUE(testsupport::MakeTone(path, 2.0, 44100, 2, "-c:a wmav2 -b:a 128k"));
  return path;
}

TEST(WmaAudioInfo, NameTableHasTheTwentyTwoNamesInOrder) {
  const auto& names = WmaAttributeNames();
  EXPECT_EQ(names.front(), "Duration");
  EXPECT_EQ(WmaAttributeName(WmaAttribute::Title), "Title");
  EXPECT_EQ(WmaAttributeName(WmaAttribute::DrmLevel), "DRM_Level");
  EXPECT_EQ(WmaAttributeName(WmaAttribute::AlbumCoverUrl), "WM/AlbumCoverURL");
  EXPECT_EQ(names.back(), "WM/TrackNumber");
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
  const std::string longTitle = std::string(300, 'x') + "\xF0\x9F\x8E\xB5";
  {
    auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::ReadWrite);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->SetText(WmaAttribute::Title, longTitle));
    EXPECT_TRUE(info->SetText(WmaAttribute::Genre, ""));
    EXPECT_TRUE(info->SetNumber(WmaAttribute::TrackNumber, 0x10005));
    EXPECT_TRUE(info->Close());
  }
  auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::Read);
  ASSERT_NE(info, nullptr);
  // Texts come back whole, whatever their length.
  EXPECT_EQ(info->Text(WmaAttribute::Title), longTitle);
  EXPECT_EQ(info->Text(WmaAttribute::Genre), "");
  EXPECT_EQ(info->Number(WmaAttribute::TrackNumber), 0x10005u);
  EXPECT_EQ(info->Text(WmaAttribute::TrackNumber), std::nullopt);  // a number, not a text
  EXPECT_EQ(info->Text(WmaAttribute::AlbumTitle), std::nullopt);
  EXPECT_EQ(info->Number(WmaAttribute::Track), std::nullopt);

  const std::optional<uint64_t> hundredNs = info->Number(WmaAttribute::Duration);
  ASSERT_TRUE(hundredNs.has_value());
  EXPECT_NEAR(double(*hundredNs) / 1e7, 2.0, 0.2);
  EXPECT_GT(info->Number(WmaAttribute::Bitrate).value_or(0), 0u);

  const auto m = testsupport::ReadWithMutagen(path);
  EXPECT_EQ(m.values.at("Title"), longTitle);
  EXPECT_EQ(m.values.at("WM/TrackNumber"), std::to_string(0x10005));
}

TEST(WmaAudioInfo, NothingIsStoredWithoutCloseOrOnAFileOpenedForReading) {
  TempDir dir;
  const std::string path = MakeWma(dir, "a.wma");
  const auto before = testsupport::ReadFileBytes(path);
  {
    auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::ReadWrite);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->SetText(WmaAttribute::Title, "lost"));
  }
  {
    auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::Read);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->SetText(WmaAttribute::Title, "lost too"));
    EXPECT_FALSE(info->Close());
  }
  EXPECT_EQ(testsupport::ReadFileBytes(path), before);
}

TEST(WmaAudioInfo, StreamPropertiesCannotBeSetAndRemovingClearsBothPlaces) {
  TempDir dir;
  const std::string path = MakeWma(dir, "a.wma");
  {
    auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::ReadWrite);
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(info->SetNumber(WmaAttribute::Duration, 1));
    EXPECT_FALSE(info->SetText(WmaAttribute::Bitrate, "1"));
    EXPECT_FALSE(info->SetNumber(WmaAttribute::Title, 1));  // a text of the content description
    EXPECT_TRUE(info->SetText(WmaAttribute::Description, "gone"));
    EXPECT_TRUE(info->SetNumber(WmaAttribute::TrackNumber, 4));
    EXPECT_TRUE(info->Close());
  }
  {
    auto info = WmaAudioInfo::Open(path, WmaAudioInfo::Mode::ReadWrite);
    ASSERT_NE(info, nullptr);
    info->Remove(WmaAttribute::Description);
    info->Remove(WmaAttribute::TrackNumber);
    EXPECT_TRUE(info->Close());
  }
  const auto m = testsupport::ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(m.values.count("Description") ? m.values.at("Description") : "", "");
  EXPECT_EQ(m.values.count("WM/TrackNumber"), 0u);
}

}  // namespace
