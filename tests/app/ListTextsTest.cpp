// The size and time texts of the file list, and the output names of the runs.
#include <gtest/gtest.h>

#include <set>

#include "app/DisplayFormat.h"
#include "app/OutputNaming.h"
#include "app/ProgressText.h"
#include "base/AudioFormat.h"

TEST(SizeText, MegabytesWithTwoDecimals) {
  EXPECT_EQ(SizeText(3620000), "3.45MB");
  EXPECT_EQ(SizeText(0), "0.00MB");
  EXPECT_EQ(SizeText(1048576), "1.00MB");
  EXPECT_EQ(SizeText(5242), "0.00MB");   // 0.004999 rounds down
  EXPECT_EQ(SizeText(5243), "0.01MB");   // 0.005000 rounds up
}

TEST(SizeText, FiveSignificantDigitsLimitTheDecimals) {
  // 1234.5678 MB: five digits leave one decimal, shown as a trailing zero.
  EXPECT_EQ(SizeText(static_cast<uint64_t>(1234.5678 * 1048576)), "1234.60MB");
  EXPECT_EQ(SizeText(static_cast<uint64_t>(12345.678 * 1048576)), "12346.00MB");
  EXPECT_EQ(SizeText(static_cast<uint64_t>(99999.4 * 1048576)), "99999.00MB");
}

TEST(SizeText, HundredThousandMegabytesInExponentNotation) {
  EXPECT_EQ(SizeText(100000ull * 1048576), "1.0000E+005MB");
  EXPECT_EQ(SizeText(static_cast<uint64_t>(99999.7 * 1048576)), "1.0000E+005MB");
}

TEST(TimeText, HoursMinutesSeconds) {
  EXPECT_EQ(TimeText(3723456), "01:02:03");
  EXPECT_EQ(TimeText(0), "00:00:00");
  EXPECT_EQ(TimeText(59999), "00:00:59");
  EXPECT_EQ(TimeText(100LL * 3600 * 1000), "100:00:00");
}

// The counts beside a progress bar: the time left only once the pace says something.
TEST(ProgressCounts, FilesDoneTotalAndTimeLeft) {
  const std::pair<RunProgress, const char*> cases[] = {
      {{0, 10, true, 0.004, 3.0}, "0/10 done"},
      {{3, 10, true, 0.25, 14.0}, "0:42 left, 3/10 done"},
      {{12, 340, false, 0.5, 3725.0}, "1:02:05 left, 12/340+ done"},
      {{10, 10, true, 1.0, 60.0}, "10/10 done"},
  };
  for (const auto& [progress, text] : cases) EXPECT_EQ(CountsText(progress), text);
}

TEST(FileNameParts, NameAndLastExtension) {
  EXPECT_EQ(FileNameOf("/music/a/my.song.wav"), "my.song.wav");
  EXPECT_EQ(FileNameOf("plain"), "plain");
  EXPECT_EQ(ExtensionOf("/music/a/my.song.WAV"), ".WAV");
  EXPECT_EQ(ExtensionOf("/music/a.b/noext"), "");  // a dot in a folder is not an extension
}

namespace {

struct TakenNames {
  std::set<std::string> names;
  FileExistsFn Fn() const {
    return [this](const std::string& path) { return names.count(path) != 0; };
  }
};

}  // namespace

TEST(OutputNames, ConversionNumbersTakenNames) {
  TakenNames taken;
  EXPECT_EQ(ConvertedOutputName("/o/", "/s/a.wav", ".mp3", taken.Fn()), "/o/a.mp3");
  taken.names = {"/o/a.mp3"};
  EXPECT_EQ(ConvertedOutputName("/o/", "/s/a.wav", ".mp3", taken.Fn()), "/o/a(1).mp3");
  taken.names.insert("/o/a(1).mp3");
  EXPECT_EQ(ConvertedOutputName("/o/", "/s/a.wav", ".mp3", taken.Fn()), "/o/a(2).mp3");
}

TEST(OutputNames, NumberedNamesStopAtTheFirstDot) {
  TakenNames taken;
  EXPECT_EQ(ConvertedOutputName("/o/", "/s/my.song.wav", ".mp3", taken.Fn()), "/o/my.song.mp3");
  taken.names = {"/o/my.song.mp3"};
  EXPECT_EQ(ConvertedOutputName("/o/", "/s/my.song.wav", ".mp3", taken.Fn()), "/o/my(1).mp3");
}

TEST(OutputNames, NothingWhenAllHundredNumbersAreTaken) {
  TakenNames taken;
  taken.names.insert("/o/a.mp3");
  for (int k = 1; k <= 99; ++k) taken.names.insert("/o/a(" + std::to_string(k) + ").mp3");
  EXPECT_EQ(ConvertedOutputName("/o/", "/s/a.wav", ".mp3", taken.Fn()), "/o/a(100).mp3");
  taken.names.insert("/o/a(100).mp3");
  EXPECT_FALSE(ConvertedOutputName("/o/", "/s/a.wav", ".mp3", taken.Fn()).has_value());
  EXPECT_FALSE(NormalizedOutputName("/o/", "/s/a.mp3", FormatFromPath("/s/a.mp3"), [](const std::string&) { return true; }));
}

TEST(OutputNames, NormalizeKeepsTheSourceExtensionInItsCase) {
  TakenNames taken;
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/song.mp3", FormatFromPath("/s/song.mp3"), taken.Fn()), "/o/Normalize_song.mp3");
  taken.names = {"/o/Normalize_song.mp3"};
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/song.mp3", FormatFromPath("/s/song.mp3"), taken.Fn()), "/o/Normalize_song(1).mp3");
  taken.names = {"/o/Normalize_my.song.MP3"};
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/my.song.MP3", FormatFromPath("/s/my.song.MP3"), taken.Fn()), "/o/Normalize_my(1).MP3");
}

TEST(OutputNames, NormalizeWritesOtherKindsOfSourceAsWav) {
  TakenNames taken;
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/noext", FormatFromPath("/s/noext"), taken.Fn()), "/o/Normalize_noext.wav");
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/a.b/take", FormatFromPath("/s/a.b/take"), taken.Fn()), "/o/Normalize_take.wav");
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/live.set.AIFF", FormatFromPath("/s/live.set.AIFF"), taken.Fn()),
            "/o/Normalize_live.set.wav");
  taken.names = {"/o/Normalize_live.set.wav"};
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/live.set.AIFF", FormatFromPath("/s/live.set.AIFF"), taken.Fn()),
            "/o/Normalize_live(1).wav");
  // The formats the program writes keep their own extension whatever its case.
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/Song.Ogg", FormatFromPath("/s/Song.Ogg"), taken.Fn()), "/o/Normalize_Song.Ogg");
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/live.set.FLAC", FormatFromPath("/s/live.set.FLAC"), taken.Fn()), "/o/Normalize_live.set.FLAC");
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/a.opus", FormatFromPath("/s/a.opus"), taken.Fn()), "/o/Normalize_a.opus");
  EXPECT_EQ(NormalizedOutputName("/o/", "/s/a.m4a", FormatFromPath("/s/a.m4a"), taken.Fn()), "/o/Normalize_a.m4a");
}
