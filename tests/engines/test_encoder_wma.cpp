#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

#include "engines/EncoderBackend.h"
#include "engines/EngineError.h"
#include "engines/WmaProfiles.h"
#include "test_encoder_support.h"

using namespace testsupport;
using namespace encodertest;

namespace {

TEST(WmaProfiles, ListTheDialogEntriesWithEncodableRates) {
  ASSERT_EQ(kWmaProfileCount, 47u);
  EXPECT_STREQ(FindWmaProfile(1)->name, "WMA9 48KHz, 192Kbps, Stereo, CBR");
  EXPECT_STREQ(FindWmaProfile(10)->name, "WMA9 44KHz, 128Kbps, Stereo, CBR");
  EXPECT_STREQ(FindWmaProfile(35)->name, "WMA9 8KHz,  12Kbps, Stereo, CBR");
  EXPECT_STREQ(FindWmaProfile(38)->name, "WMA9 8KHz,  5Kbps, Mono, CBR");
  EXPECT_STREQ(FindWmaProfile(47)->name, "WMA9 44KHz, Stereo, Lossless");
  // Two entries read the same and stay separate profiles.
  EXPECT_STREQ(FindWmaProfile(21)->name, FindWmaProfile(23)->name);
  EXPECT_NE(FindWmaProfile(21), FindWmaProfile(23));
  EXPECT_EQ(FindWmaProfile(0), nullptr);
  EXPECT_EQ(FindWmaProfile(48), nullptr);

  const std::set<int> rates = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
  for (int n = 1; n <= 47; ++n) {
    const WmaProfile& p = *FindWmaProfile(n);
    std::string name = p.name;
    EXPECT_TRUE(rates.count(p.sampleRate)) << name;
    EXPECT_EQ(p.channels, name.find("Mono") != std::string::npos ? 1 : 2) << name;
    EXPECT_GE(p.bitRateKbps, 24) << name;  // the encoder's floor
    // The named rate is kept wherever the encoder allows it.
    auto kbps = name.find("Kbps");
    if (kbps != std::string::npos) {
      int named = std::atoi(name.c_str() + name.rfind(' ', kbps) + 1);
      EXPECT_EQ(p.bitRateKbps, std::max(named, 24)) << name;
    }
  }
  // Higher VBR quality never gets fewer bits; Lossless gets the most.
  for (int n = 41; n < 46; ++n) EXPECT_GT(FindWmaProfile(n)->bitRateKbps, FindWmaProfile(n + 1)->bitRateKbps);
  EXPECT_GT(FindWmaProfile(47)->bitRateKbps, FindWmaProfile(41)->bitRateKbps);
}

TEST(WmaEncoder, EveryProfileWritesAFileOfItsFormat) {
  TempDir dir;
  for (int n = 1; n <= 47; ++n) {
    SCOPED_TRACE(FindWmaProfile(n)->name);
    auto encoder = MakeWmaEncoder(n);
    const WmaProfile& p = *FindWmaProfile(n);
    ASSERT_EQ(encoder->InputFormat().sampleRate, p.sampleRate);
    ASSERT_EQ(encoder->InputFormat().channels, p.channels);
    const std::string path = dir.file("p" + std::to_string(n) + ".wma");
    ASSERT_NO_THROW(Encode(*encoder, path, LeftSine(p.sampleRate, p.channels, 0.5)));
    ProbeInfo info = Probe(path);
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.codec, "wmav2");
    EXPECT_EQ(info.format, "asf");
    EXPECT_EQ(info.sampleRate, p.sampleRate);
    EXPECT_EQ(info.channels, p.channels);
    EXPECT_EQ(info.bitRate, p.bitRateKbps * 1000L);
  }
}

struct LengthCase {
  int profile;
  double seconds;
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << "profile " << c.profile << ", " << c.seconds << " s"; }

class WmaLengthTest : public ::testing::TestWithParam<LengthCase> {};

INSTANTIATE_TEST_SUITE_P(Profiles, WmaLengthTest,
                         ::testing::Values(LengthCase{10, 7.0}, LengthCase{1, 5.0}, LengthCase{16, 6.3},
                                           LengthCase{35, 5.0}, LengthCase{38, 8.0}),
                         [](const auto& info) { return "Profile" + std::to_string(info.param.profile); });

TEST_P(WmaLengthTest, LengthAndChannelsSurviveTheEncoder) {
  const LengthCase c = GetParam();
  TempDir dir;
  const std::string path = dir.file("out.wma");
  auto encoder = MakeWmaEncoder(c.profile);
  PcmFormat format = encoder->InputFormat();
  Encode(*encoder, path, LeftSine(format.sampleRate, format.channels, c.seconds));
  // The header also counts the leading frame that decoders drop (WMA frames are 512 samples
  // up to 16 kHz, 1024 up to 22.05 kHz, else 2048).
  const int frame = format.sampleRate <= 16000 ? 512 : format.sampleRate <= 22050 ? 1024 : 2048;
  EXPECT_NEAR(Probe(path).duration, c.seconds + static_cast<double>(frame) / format.sampleRate, 0.1);
  EXPECT_NEAR(DecodedSeconds(path), c.seconds, 0.1);
  ExpectLeftTone(path, format.channels);
}

TEST(WmaEncoder, HoldsItsBitRateOnHardMaterial) {
  TempDir dir;
  auto encoder = MakeWmaEncoder(10);  // 128 kbit/s
  Encode(*encoder, dir.file("a.wma"), Noise(44100, 2, 10.0));
  double kbps = ReadFileBytes(dir.file("a.wma")).size() * 8.0 / 10.0 / 1000.0;
  EXPECT_GT(kbps, 120);
  EXPECT_LT(kbps, 145);  // ASF packet padding adds a little
}

TEST(WmaEncoder, ProfileOutOfRangeThrows) {
  for (int n : {0, -1, 48, 1000}) EXPECT_THROW(MakeWmaEncoder(n), EngineError) << n;
}

}  // namespace

namespace {

// Decoders drop what they decode from the first packet; the audio of the first frame must
// still come out, in its place at the start.
TEST(WmaEncoder, TheFirstFrameReachesDecodersInPlace) {
  TempDir dir;
  const std::string path = dir.file("start.wma");
  auto encoder = MakeWmaEncoder(10);  // 44.1 kHz stereo, frames of 2048 samples
  std::vector<int16_t> pcm = LeftSine(44100, 2, 1.0);
  for (size_t i = 2 * 882; i < pcm.size(); ++i) pcm[i] = 0;  // a 20 ms tone, then silence
  Encode(*encoder, path, pcm);
  const std::string raw = dir.file("start.raw");
  ASSERT_EQ(testsupport::Run("ffmpeg -nostdin -v error -i " + ShellQuote(path) +
                             " -f s16le -ac 1 " + ShellQuote(raw)).exitCode, 0);
  const std::vector<uint8_t> bytes = ReadFileBytes(raw);
  ASSERT_GE(bytes.size(), 2u * 882);
  int peak = 0;  // of the first 20 ms; the tone peaks at 16000, halved by the mix to mono
  for (size_t i = 0; i < 882; ++i)
    peak = std::max(peak, std::abs(int{static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8))}));
  EXPECT_GT(peak, 5000) << "the first 20 ms hold the tone";
  EXPECT_NEAR(DecodedSeconds(path), 1.0, 0.05);
}

}  // namespace
