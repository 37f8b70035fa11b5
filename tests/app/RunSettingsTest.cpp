// Settings a run reads, the progress it shows, and the output folder it picks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "support/TestSupport.h"
#include "app/RunLoop.h"
#include "app/RunSettings.h"
#include "app/UserDirs.h"
#include "settings/IniFile.h"

namespace {

class RunSettingsTest : public ::testing::Test {
 protected:
  RunSettingsTest() {
    setenv("VELMORA_CONFIG_DIR", config.path().c_str(), 1);
    // No user-dirs.dirs of the machine's own user: the music folder is the test's to choose.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr) savedConfigHome_ = xdg;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    settings = std::make_unique<TIniFile>(SettingsFilePath());
  }
  ~RunSettingsTest() override {
    if (savedConfigHome_) setenv("XDG_CONFIG_HOME", savedConfigHome_->c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
  }
  std::optional<std::string> savedConfigHome_;
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

TEST_F(RunSettingsTest, MusicFolderComesFromTheEnvironmentThenUserDirsThenHome) {
  const std::string home = std::getenv("HOME");
  unsetenv("XDG_MUSIC_DIR");
  EXPECT_EQ(DefaultOutputFolder(), home + "/Music");
  testsupport::WriteFileText(config.file("user-dirs.dirs"), "XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
  EXPECT_EQ(DefaultOutputFolder(), home + "/Musik");
  EXPECT_EQ(ReadOutputFolder(*settings), home + "/Musik/");
  setenv("XDG_MUSIC_DIR", "/srv/tunes", 1);
  EXPECT_EQ(DefaultOutputFolder(), "/srv/tunes");
  unsetenv("XDG_MUSIC_DIR");
}

// user-dirs.dirs read as xdg-user-dir reads it; "" where it names no usable music folder.
TEST(UserDirs, MusicFolderFromTheFilesText) {
  const std::pair<const char*, const char*> cases[] = {
      {"XDG_MUSIC_DIR=\"$HOME/Musik\"\n", "/home/u/Musik"},
      {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
       "  XDG_MUSIC_DIR=\"/srv/Musik\"\r\n",
       "/srv/Musik"},
      {"XDG_MUSIC_DIR=\"$HOME/Old\"\nXDG_MUSIC_DIR=\"${HOME}/New\"\n", "/home/u/New"},
      {"XDG_MUSIC_DIR=\"$HOME/My \\\"Tunes\\\" \\\\ more\"\n", "/home/u/My \"Tunes\" \\ more"},
      {"XDG_MUSIC_DIR=$HOME/Música # bare word\n", "/home/u/Música"},
      {"XDG_MUSIC_DIR=\"$HOME/\"\n", ""},  // the folder is not in use
      {"XDG_MUSIC_DIR=\"Musik\"\n", ""},
      {"XDG_MUSIC_DIR=\"$HOMEWORK/x\"\n", ""},
      {"#XDG_MUSIC_DIR=\"$HOME/Musik\"\nXDG_MUSIC_DIRS=\"/x\"\n", ""},
      {"", ""}};
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(UserDirFromText(text, "XDG_MUSIC_DIR", "/home/u").value_or(""), expected) << text;
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
