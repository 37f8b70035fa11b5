#include <gtest/gtest.h>

#include <sys/stat.h>

#include "engines/EncoderBackend.h"
#include "engines/EngineError.h"
#include "test_encoder_support.h"

using namespace testsupport;
using namespace encodertest;

namespace {

OggSettings ByBitRate(int rate, int channels, int nominal, int maxKbps, int minKbps) {
  OggSettings s;
  s.sampleRate = rate;
  s.channels = channels;
  s.bitRate = nominal;
  s.maxBitRate = maxKbps;
  s.minBitRate = minKbps;
  s.quality = kOggBitRateMode;
  return s;
}

OggSettings ByQuality(int rate, int channels, int quality) {
  OggSettings s = ByBitRate(rate, channels, 128, 128, 128);
  s.quality = quality;
  return s;
}

double AverageKbps(const std::string& path, double seconds) {
  return ReadFileBytes(path).size() * 8.0 / seconds / 1000.0;
}

struct OggCase {
  OggSettings settings;
  const char* name;
};

void PrintTo(const OggCase& c, std::ostream* os) { *os << c.name; }

class OggOutputTest : public ::testing::TestWithParam<OggCase> {};

INSTANTIATE_TEST_SUITE_P(
    Modes, OggOutputTest,
    ::testing::Values(OggCase{ByBitRate(44100, 2, 128, 128, 128), "Cbr44Stereo"},
                      OggCase{ByBitRate(48000, 2, 192, 256, 96), "Managed48Stereo"},
                      OggCase{ByBitRate(22050, 1, 48, 48, 48), "Cbr22Mono"},
                      OggCase{ByQuality(44100, 2, 300), "Quality300"},
                      OggCase{ByQuality(16000, 1, 1000), "Quality1000Mono"},
                      OggCase{ByQuality(32000, 2, 0), "Quality0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(OggOutputTest, WritesWhatWasSetWithExactLength) {
  const OggSettings s = GetParam().settings;
  TempDir dir;
  const std::string path = dir.file("out.ogg");
  auto encoder = MakeOggEncoder(s);
  ASSERT_EQ(encoder->InputFormat().sampleRate, s.sampleRate);
  ASSERT_EQ(encoder->InputFormat().channels, s.channels);
  Encode(*encoder, path, LeftSine(s.sampleRate, s.channels, 7.0));

  ProbeInfo info = Probe(path);
  ASSERT_TRUE(info.ok);
  EXPECT_EQ(info.codec, "vorbis");
  EXPECT_EQ(info.sampleRate, s.sampleRate);
  EXPECT_EQ(info.channels, s.channels);
  if (s.quality == kOggBitRateMode) {
    EXPECT_EQ(info.bitRate, s.bitRate * 1000L);  // the header's nominal rate
  }
  EXPECT_NEAR(info.duration, 7.0, 0.1);
  EXPECT_NEAR(DecodedSeconds(path), 7.0, 0.1);
  ExpectCleanOgg(path);
  ExpectLeftTone(path, s.channels);
}

TEST(OggEncoder, BitRateModeHoldsTheRateOnHardMaterial) {
  TempDir dir;
  auto encoder = MakeOggEncoder(ByBitRate(44100, 2, 96, 96, 96));
  Encode(*encoder, dir.file("a.ogg"), Noise(44100, 2, 5.0));
  EXPECT_NEAR(AverageKbps(dir.file("a.ogg"), 5.0), 96, 96 * 0.1);
  ExpectCleanOgg(dir.file("a.ogg"));
}

TEST(OggEncoder, BoundsAreTakenInEitherOrder) {
  TempDir dir;
  auto noise = Noise(44100, 2, 4.0);
  auto maxFirst = MakeOggEncoder(ByBitRate(44100, 2, 128, 160, 96));
  Encode(*maxFirst, dir.file("max_first.ogg"), noise);
  auto minFirst = MakeOggEncoder(ByBitRate(44100, 2, 128, 96, 160));
  Encode(*minFirst, dir.file("min_first.ogg"), noise);
  EXPECT_EQ(ReadFileBytes(dir.file("max_first.ogg")).size(), ReadFileBytes(dir.file("min_first.ogg")).size());
  EXPECT_LE(AverageKbps(dir.file("min_first.ogg"), 4.0), 160 * 1.05);
}

TEST(OggEncoder, QualityZeroIsBestAndThousandSmallest) {
  TempDir dir;
  auto noise = Noise(44100, 2, 3.0);
  std::vector<double> kbps;
  for (int quality : {0, 300, 700, 1000}) {
    std::string path = dir.file("q" + std::to_string(quality) + ".ogg");
    auto encoder = MakeOggEncoder(ByQuality(44100, 2, quality));
    Encode(*encoder, path, noise);
    kbps.push_back(AverageKbps(path, 3.0));
  }
  for (size_t i = 1; i < kbps.size(); ++i) EXPECT_GT(kbps[i - 1], kbps[i]) << "step " << i;
  EXPECT_GT(kbps.front(), 350);  // Vorbis quality 1.0 on noise
  EXPECT_LT(kbps.back(), 80);    // Vorbis quality -0.1
}

TEST(OggEncoder, OnlyTheVendorCommentIsWritten) {
  TempDir dir;
  auto encoder = MakeOggEncoder(OggSettings{});
  Encode(*encoder, dir.file("a.ogg"), LeftSine(44100, 2, 1.0));
  MutagenTags tags = ReadWithMutagen(dir.file("a.ogg"));
  ASSERT_TRUE(tags.ok) << tags.error;
  EXPECT_TRUE(tags.values.empty());
}

TEST(OggFormatSupported, AsksTheVorbisEncoder) {
  EXPECT_TRUE(OggFormatSupported(44100, 2, 128, 128, 128));
  EXPECT_TRUE(OggFormatSupported(44100, 1, 64, 64, 64));
  EXPECT_TRUE(OggFormatSupported(48000, 2, 192, 256, 128));
  EXPECT_TRUE(OggFormatSupported(22050, 2, 64, 64, 64));
  EXPECT_TRUE(OggFormatSupported(8000, 1, 16, 16, 16));
  // Both orders of the bounds.
  EXPECT_TRUE(OggFormatSupported(44100, 2, 128, 96, 160));
  EXPECT_EQ(OggFormatSupported(44100, 2, 128, 96, 160), OggFormatSupported(44100, 2, 128, 160, 96));
  // Far outside what Vorbis can do at that rate.
  EXPECT_FALSE(OggFormatSupported(8000, 2, 320, 320, 320));
  EXPECT_FALSE(OggFormatSupported(48000, 2, 8, 8, 8));
  EXPECT_FALSE(OggFormatSupported(6000, 2, 320, 320, 320));
  // Nonsense.
  EXPECT_FALSE(OggFormatSupported(44100, 0, 128, 128, 128));
  EXPECT_FALSE(OggFormatSupported(44100, 3, 128, 128, 128));
  EXPECT_FALSE(OggFormatSupported(0, 2, 128, 128, 128));
  EXPECT_FALSE(OggFormatSupported(44100, 2, 0, 128, 128));
}

TEST(OggFormatSupported, WhatItAllowsEncodes) {
  // A sample of the settings lists' combinations: the query and the encoder agree.
  TempDir dir;
  const int rates[] = {6000, 8000, 11025, 22050, 32000, 44100, 48000};
  const int kbps[] = {8, 16, 32, 64, 128, 192, 320};
  int allowed = 0;
  for (int rate : rates) {
    for (int k : kbps) {
      for (int channels : {1, 2}) {
        OggSettings s = ByBitRate(rate, channels, k, k, k);
        auto encoder = MakeOggEncoder(s);
        const std::string path = dir.file("t.ogg");
        if (OggFormatSupported(rate, channels, k, k, k)) {
          ++allowed;
          EXPECT_NO_THROW(Encode(*encoder, path, LeftSine(rate, channels, 0.2))) << rate << "/" << k << "/" << channels;
        } else {
          EXPECT_THROW(encoder->Open(path), EngineError) << rate << "/" << k << "/" << channels;
        }
      }
    }
  }
  EXPECT_GT(allowed, 20);
}

}  // namespace
