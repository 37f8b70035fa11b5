// Settings a run reads, the progress it shows, and the output folder it picks.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/TestSupport.h"
#include "app/RunLoop.h"
#include "app/RunSettings.h"
#include "settings/IniFile.h"

namespace {

class RunSettingsTest : public ::testing::Test {
 protected:
  RunSettingsTest() {
    setenv("VELMORA_CONFIG_DIR", config.path().c_str(), 1);
    settings = std::make_unique<TIniFile>(SettingsFilePath());
  }
  testsupport::TempDir config;
  std::unique_ptr<TIniFile> settings;
};

}  // namespace

TEST_F(RunSettingsTest, MissingKeysGiveTheRunDefaults) {
  Mp3RunSettings mp3 = ReadMp3RunSettings(*settings);
  EXPECT_EQ(mp3.sampleRate, 44100);
  EXPECT_EQ(mp3.bitRate, 128);
  EXPECT_EQ(mp3.channels, 2);
  EXPECT_EQ(mp3.quality, 9);
  EXPECT_EQ(mp3.enableVbr, 0);
  EXPECT_EQ(mp3.vbrQuality, 5);
  OggRunSettings ogg = ReadOggRunSettings(*settings);
  EXPECT_FALSE(ogg.qualityMode);
  EXPECT_EQ(ogg.quality, 300);
  EXPECT_EQ(ogg.maxBitRate, 128);
  EXPECT_EQ(ReadWmaProfileNumber(*settings), 10);
  EXPECT_EQ(ReadWavRunSettings(*settings).mode, kWavCdQuality);
}

TEST_F(RunSettingsTest, StoredIndexesBecomeEngineValues) {
  settings->WriteInteger("mp3", "frequency", 5);
  settings->WriteInteger("mp3", "bitrate", 7);
  settings->WriteInteger("mp3", "channel", 0);
  settings->WriteInteger("wav", "bit", 0);
  settings->WriteInteger("ogg", "min bitrate", 16);
  Mp3RunSettings mp3 = ReadMp3RunSettings(*settings);
  EXPECT_EQ(mp3.sampleRate, 22050);
  EXPECT_EQ(mp3.bitRate, 64);
  EXPECT_EQ(mp3.channels, 1);
  EXPECT_EQ(ReadWavRunSettings(*settings).bitsPerSample, 8);
  EXPECT_EQ(ReadOggRunSettings(*settings).minBitRate, 320);
}

TEST_F(RunSettingsTest, IndexOutsideItsTableFallsBackToTheKeysRunDefault) {
  settings->WriteInteger("mp3", "frequency", 10);
  settings->WriteInteger("mp3", "bitrate", -1);
  settings->WriteInteger("mp3", "channel", 2);
  settings->WriteInteger("mp3", "quality", 12);
  settings->WriteInteger("wma", "format", 47);
  settings->WriteInteger("wav", "bit", 2);
  settings->WriteInteger("ogg", "quality", 5000);
  Mp3RunSettings mp3 = ReadMp3RunSettings(*settings);
  EXPECT_EQ(mp3.sampleRate, 44100);
  EXPECT_EQ(mp3.bitRate, 128);
  EXPECT_EQ(mp3.channels, 2);
  EXPECT_EQ(mp3.quality, 9);
  EXPECT_EQ(ReadWmaProfileNumber(*settings), 10);
  EXPECT_EQ(ReadWavRunSettings(*settings).bitsPerSample, 16);
  EXPECT_EQ(ReadOggRunSettings(*settings).quality, 300);
}

TEST_F(RunSettingsTest, EmptyDirMeansTheMusicFolder) {
  setenv("XDG_MUSIC_DIR", "/srv/tunes", 1);
  EXPECT_EQ(ReadOutputFolder(*settings), "/srv/tunes/");
  settings->WriteString("Format", "Dir", "");
  EXPECT_EQ(ReadOutputFolder(*settings), "/srv/tunes/");
  unsetenv("XDG_MUSIC_DIR");
  EXPECT_EQ(ReadOutputFolder(*settings), std::string(std::getenv("HOME")) + "/Music/");
  settings->WriteString("Format", "Dir", "/data/out");
  EXPECT_EQ(ReadOutputFolder(*settings), "/data/out/");
}

TEST_F(RunSettingsTest, DirThatIsNoAbsolutePathMeansTheMusicFolder) {
  setenv("XDG_MUSIC_DIR", "/srv/tunes", 1);
  for (const char* stored : {"C:\\My Music", "My Music", "./out", "~/Music"}) {
    settings->WriteString("Format", "Dir", stored);
    EXPECT_EQ(ReadOutputFolder(*settings), "/srv/tunes/") << stored;
  }
  unsetenv("XDG_MUSIC_DIR");
}

TEST(OutputFormat, IndexOutsideTheFormatsCountsAsMp3) {
  EXPECT_STREQ(OutputExtension(kFormatOgg), ".ogg");
  EXPECT_STREQ(OutputExtension(7), ".mp3");
  EXPECT_STREQ(OutputExtension(-1), ".mp3");
}

TEST(ProgressPercent, RoundsHalvesUpAndStopsAtHundred) {
  EXPECT_EQ(ProgressPercent(0, 1000), 0);
  EXPECT_EQ(ProgressPercent(5, 1000), 1);   // 0.5 % rounds up
  EXPECT_EQ(ProgressPercent(4, 1000), 0);
  EXPECT_EQ(ProgressPercent(1500, 1000), 100);
  EXPECT_EQ(ProgressPercent(123, 0), 100);  // an empty source needs no division
}
