#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>

#include "engines/AudioFile2.h"
#include "engines/EncoderBackend.h"
#include "engines/LengthCorrection.h"
#include "engines/Mp3InfoFrame.h"
#include "engines/EngineError.h"
#include "test_encoder_support.h"

using namespace testsupport;
using namespace encodertest;

namespace {

Mp3Settings Cbr(int rate, int kbps, int channels) {
  Mp3Settings s;
  s.sampleRate = rate;
  s.bitRate = kbps;
  s.channels = channels;
  return s;
}

Mp3Settings Vbr(int maxKbps, int vbrQuality) {
  Mp3Settings s;
  s.vbrMethod = TAudioFile2LameEnc::kVbrOn;
  s.vbrBitRate = maxKbps;
  s.vbrQuality = vbrQuality;
  return s;
}

double AverageKbps(const std::string& path, double seconds) {
  return ReadFileBytes(path).size() * 8.0 / seconds / 1000.0;
}

struct CbrCase {
  int rate, kbps, channels, quality;
};

void PrintTo(const CbrCase& c, std::ostream* os) {
  *os << c.rate << " Hz " << c.kbps << " kbit/s " << c.channels << " ch quality " << c.quality;
}

class Mp3CbrTest : public ::testing::TestWithParam<CbrCase> {};

// One case per MPEG version, both channel counts, both ends of LAME's quality scale.
INSTANTIATE_TEST_SUITE_P(Versions, Mp3CbrTest,
                         ::testing::Values(CbrCase{44100, 128, 2, 2}, CbrCase{48000, 320, 2, 9},
                                           CbrCase{32000, 32, 1, 0}, CbrCase{22050, 64, 1, 5},
                                           CbrCase{24000, 24, 2, 9}, CbrCase{8000, 32, 1, 5},
                                           CbrCase{11025, 64, 2, 2}),
                         [](const auto& info) {
                           const CbrCase& c = info.param;
                           return std::to_string(c.rate) + "Hz_" + std::to_string(c.kbps) + "k_" +
                                  std::to_string(c.channels) + "ch_q" + std::to_string(c.quality);
                         });

TEST_P(Mp3CbrTest, WritesWhatWasSetWithExactLength) {
  const CbrCase c = GetParam();
  TempDir dir;
  const std::string path = dir.file("out.mp3");
  Mp3Settings settings = Cbr(c.rate, c.kbps, c.channels);
  settings.quality = c.quality;
  auto encoder = MakeMp3Encoder(settings);
  ASSERT_EQ(encoder->InputFormat().sampleRate, c.rate);
  ASSERT_EQ(encoder->InputFormat().channels, c.channels);
  auto pcm = LeftSine(c.rate, c.channels, 6.0);
  Encode(*encoder, path, pcm);

  ProbeInfo info = Probe(path);
  ASSERT_TRUE(info.ok);
  EXPECT_EQ(info.codec, "mp3");
  EXPECT_EQ(info.sampleRate, c.rate);
  EXPECT_EQ(info.channels, c.channels);
  EXPECT_EQ(info.bitRate, c.kbps * 1000L);
  EXPECT_NEAR(AverageKbps(path, 6.0), c.kbps, c.kbps * 0.05);
  // The info frame carries the encoder's delay and padding, which the decoder drops. (FFmpeg's
  // header estimate ignores the padding at MPEG-2.5 rates, hence the wider margin there.)
  EXPECT_NEAR(DecodedSeconds(path), 6.0, 0.1);
  EXPECT_NEAR(info.duration, 6.0, 0.2);
  ExpectCleanMp3(path);
  if (c.kbps >= 32) ExpectLeftTone(path, c.channels);
}

TEST(Mp3Encoder, CbrFileStartsWithInfoFrame) {
  TempDir dir;
  auto encoder = MakeMp3Encoder(Cbr(44100, 128, 2));
  Encode(*encoder, dir.file("a.mp3"), LeftSine(44100, 2, 1.0));
  auto bytes = ReadFileBytes(dir.file("a.mp3"));
  ASSERT_GT(bytes.size(), 400u);
  std::string head(bytes.begin(), bytes.begin() + 400);
  EXPECT_EQ(bytes[0], 0xFF);  // no tag in front: the tag writer adds its own later
  EXPECT_NE(head.find("Info"), std::string::npos);
  EXPECT_NE(head.find("LAME"), std::string::npos);
}

// Decoded sample frames, exact, from ffmpeg's count of what it decoded.
int64_t DecodedFrames(const std::string& path) {
  CommandResult r = Run("ffprobe -v error -count_packets -show_entries stream=nb_read_frames "
                        "-of csv=p=0 " + ShellQuote(path) + " >/dev/null; ffmpeg -nostdin -v error -i " +
                        ShellQuote(path) + " -f s16le -ac 1 - | wc -c");
  std::istringstream lines(r.output);
  std::string line, last;
  while (std::getline(lines, line))
    if (!line.empty()) last = line;
  return std::atoll(last.c_str()) / 2;
}

class Mp3LengthTest : public ::testing::TestWithParam<Mp3Settings> {};

// Low constant rates, whose frames are too small for LAME's info frame, and rates where
// LAME writes its own, constant and variable.
INSTANTIATE_TEST_SUITE_P(Rates, Mp3LengthTest,
                         ::testing::Values(Cbr(8000, 8, 1), Cbr(11025, 16, 1), Cbr(22050, 32, 1),
                                           Cbr(44100, 32, 2), Cbr(44100, 48, 2), Cbr(24000, 8, 2),
                                           Cbr(48000, 56, 1), Cbr(44100, 64, 2), Cbr(44100, 128, 2),
                                           Vbr(320, 4)),
                         [](const auto& info) {
                           const Mp3Settings& s = info.param;
                           return std::to_string(s.sampleRate) + "Hz_" + std::to_string(s.channels) + "ch_" +
                                  (s.vbrMethod == TAudioFile2LameEnc::kVbrOff ? std::to_string(s.bitRate) + "k" : std::string("vbr"));
                         });

TEST_P(Mp3LengthTest, DecodersGetExactlyTheSamplesFed) {
  const Mp3Settings settings = GetParam();
  TempDir dir;
  const std::string path = dir.file("out.mp3");
  const int64_t frames = settings.sampleRate * 3 + 77;  // not a whole number of MP3 frames
  auto pcm = LeftSine(settings.sampleRate, settings.channels, static_cast<double>(frames) / settings.sampleRate);
  auto encoder = MakeMp3Encoder(settings);
  Encode(*encoder, path, pcm);

  EXPECT_EQ(DecodedFrames(path), frames);
  // FFmpeg's container length is the whole frames the info frame counts, before it drops the
  // delay and padding that the same frame records.
  ProbeInfo info = Probe(path);
  const double padding = static_cast<double>(Mp3InfoTagPadding(path)) / settings.sampleRate;
  EXPECT_NEAR(info.duration - padding, static_cast<double>(frames) / settings.sampleRate, 0.001);
  if (settings.vbrMethod == TAudioFile2LameEnc::kVbrOff) {
    EXPECT_EQ(info.bitRate, settings.bitRate * 1000L);
  }
  ExpectCleanMp3(path);

  TAudioFile2 reader;
  reader.OpenForRead(path, ReadMode::kWholeSource, ReadFlags::kPcm16);
  EXPECT_EQ(reader.Length(), frames);
  EXPECT_NEAR(reader.DurationMs(), frames * 1000.0 / settings.sampleRate, 1);
}

TEST(Mp3Encoder, OwnInfoFrameCarriesCountsDelayAndChecksums) {
  TempDir dir;
  const std::string path = dir.file("a.mp3");
  auto encoder = MakeMp3Encoder(Cbr(8000, 8, 1));
  Encode(*encoder, path, LeftSine(8000, 1, 2.0));
  auto bytes = ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 300u);
  // MPEG-2.5 mono at 24 kbit/s, the lowest rate whose 216-byte frame holds the tag.
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xE3);
  EXPECT_EQ(bytes[2] >> 4, 3);
  EXPECT_EQ(bytes[3] >> 6, 3);
  const size_t frameBytes = 216, xing = 4 + 9, lame = xing + 120;
  EXPECT_EQ(std::string(bytes.begin() + xing, bytes.begin() + xing + 4), "Info");
  EXPECT_EQ(std::string(bytes.begin() + lame, bytes.begin() + lame + 4), "LAME");
  auto be32 = [&](size_t at) {
    return static_cast<uint32_t>(bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3]);
  };
  EXPECT_EQ(be32(xing + 12), bytes.size());
  EXPECT_EQ(be32(lame + 28), bytes.size());
  // The audio that follows is all 72-byte frames of 576 samples each.
  EXPECT_EQ((bytes.size() - frameBytes) % 72, 0u);
  EXPECT_EQ(be32(xing + 8), (bytes.size() - frameBytes) / 72);
  const uint32_t delayAndPadding = be32(lame + 20) & 0xFFFFFF;
  EXPECT_EQ(delayAndPadding >> 12, 576u);
  EXPECT_EQ(be32(xing + 8) * 576 - (delayAndPadding >> 12) - (delayAndPadding & 0xFFF), 16000u);
  EXPECT_EQ(Mp3InfoTagPadding(path), static_cast<int64_t>(be32(xing + 8) * 576 - 16000));
  // Both CRC-16s as LAME defines them: the audio frames, and the frame up to the tag's own CRC.
  EXPECT_EQ(bytes[lame + 32] << 8 | bytes[lame + 33], Mp3TagCrc16(bytes.data() + frameBytes, bytes.size() - frameBytes));
  EXPECT_EQ(bytes[lame + 34] << 8 | bytes[lame + 35], Mp3TagCrc16(bytes.data(), lame + 34));
}

TEST(Mp3TagCrc16, MatchesTheReferenceCheckValue) {
  const std::string text = "123456789";
  EXPECT_EQ(Mp3TagCrc16(reinterpret_cast<const uint8_t*>(text.data()), text.size()), 0xBB3D);
}

TEST(Mp3Encoder, VbrBitRateIsTheUpperBound) {
  TempDir dir;
  auto noise = Noise(44100, 2, 5.0);
  auto capped = MakeMp3Encoder(Vbr(96, 0));
  Encode(*capped, dir.file("capped.mp3"), noise);
  auto open = MakeMp3Encoder(Vbr(320, 0));
  Encode(*open, dir.file("open.mp3"), noise);

  EXPECT_LE(AverageKbps(dir.file("capped.mp3"), 5.0), 96 * 1.03);
  EXPECT_GT(AverageKbps(dir.file("open.mp3"), 5.0), 200);
  for (const char* name : {"capped.mp3", "open.mp3"}) {
    std::string path = dir.file(name);
    auto bytes = ReadFileBytes(path);
    EXPECT_NE(std::string(bytes.begin(), bytes.begin() + 400).find("Xing"), std::string::npos) << name;
    EXPECT_NEAR(Probe(path).duration, 5.0, 0.1) << name;
    EXPECT_NEAR(DecodedSeconds(path), 5.0, 0.1) << name;
    ExpectCleanMp3(path);
  }
}

TEST(Mp3Encoder, VbrBoundOutsideTheVersionRangeIsPulledIn) {
  TempDir dir;
  Mp3Settings settings = Vbr(320, 2);  // 320 is above MPEG-2's 160
  settings.sampleRate = 22050;
  auto encoder = MakeMp3Encoder(settings);
  Encode(*encoder, dir.file("a.mp3"), Noise(22050, 2, 3.0));
  EXPECT_LE(AverageKbps(dir.file("a.mp3"), 3.0), 160 * 1.03);
  EXPECT_EQ(Probe(dir.file("a.mp3")).sampleRate, 22050);
}

TEST(Mp3Encoder, OneEncoderWritesSeveralFilesInTurn) {
  TempDir dir;
  auto encoder = MakeMp3Encoder(Cbr(22050, 64, 1));
  Encode(*encoder, dir.file("1.mp3"), LeftSine(22050, 1, 1.0));
  Encode(*encoder, dir.file("2.mp3"), LeftSine(22050, 1, 3.0));
  EXPECT_NEAR(DecodedSeconds(dir.file("1.mp3")), 1.0, 0.1);
  EXPECT_NEAR(DecodedSeconds(dir.file("2.mp3")), 3.0, 0.1);
}

TEST(Mp3FormatSupported, FollowsTheLayerThreeTables) {
  // Sample rates no MPEG version has.
  for (int rate : {6000, 0, -44100, 44000, 96000}) EXPECT_FALSE(Mp3FormatSupported(rate, 64, 2)) << rate;
  // 8 kbit/s only from 24 kHz down.
  EXPECT_TRUE(Mp3FormatSupported(24000, 8, 2));
  EXPECT_TRUE(Mp3FormatSupported(8000, 8, 1));
  EXPECT_FALSE(Mp3FormatSupported(32000, 8, 2));
  // 320 kbit/s only at 32..48 kHz.
  EXPECT_TRUE(Mp3FormatSupported(48000, 320, 2));
  EXPECT_TRUE(Mp3FormatSupported(32000, 320, 1));
  EXPECT_FALSE(Mp3FormatSupported(24000, 320, 2));
  // MPEG-2 tops out at 160, MPEG-2.5 at 64, MPEG-1 starts at 32.
  EXPECT_TRUE(Mp3FormatSupported(16000, 160, 2));
  EXPECT_FALSE(Mp3FormatSupported(16000, 192, 2));
  EXPECT_TRUE(Mp3FormatSupported(12000, 64, 2));
  EXPECT_FALSE(Mp3FormatSupported(12000, 80, 2));
  EXPECT_TRUE(Mp3FormatSupported(44100, 32, 2));
  EXPECT_FALSE(Mp3FormatSupported(44100, 24, 2));
  // Only the listed rates, not anything in between.
  EXPECT_FALSE(Mp3FormatSupported(44100, 130, 2));
  EXPECT_FALSE(Mp3FormatSupported(22050, 144 + 1, 2));
  // One or two channels.
  EXPECT_FALSE(Mp3FormatSupported(44100, 128, 0));
  EXPECT_FALSE(Mp3FormatSupported(44100, 128, 3));
}

TEST(Mp3FormatSupported, EverySupportedPairOfTheSettingsListsEncodes) {
  // Whatever the query allows, LAME must accept and write at that very rate.
  const int rates[] = {6000, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
  const int kbps[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  TempDir dir;
  int supported = 0;
  for (int rate : rates) {
    for (int k : kbps) {
      if (!Mp3FormatSupported(rate, k, 2)) continue;
      ++supported;
      auto encoder = MakeMp3Encoder(Cbr(rate, k, 2));
      const std::string path = dir.file(std::to_string(rate) + "_" + std::to_string(k) + ".mp3");
      ASSERT_NO_THROW(Encode(*encoder, path, LeftSine(rate, 2, 0.3))) << path;
      // Every file, however low its rate, tells decoders the delay and padding to drop.
      EXPECT_GE(Mp3InfoTagPadding(path), 576) << path;
    }
  }
  EXPECT_EQ(supported, 3 * 14 + 3 * 13 + 3 * 8);  // 144 kbit/s is not in the settings list
}

}  // namespace
