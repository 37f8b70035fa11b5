// Loudness through velmora-convert: the listed values, ReplayGain tags written while
// converting, and the loudness normalize, all checked with ffmpeg's ebur128 filter and mutagen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "support/TestSupport.h"

using testsupport::MeasureWithFfmpeg;
using testsupport::ShellQuote;

namespace {

class LoudnessCli : public ::testing::Test {
 protected:
  LoudnessCli() { setenv("VELMORA_CONFIG_DIR", config.path().c_str(), 1); }

  testsupport::CommandResult Convert(const std::string& args) {
    return testsupport::Run(std::string(VELMORA_CONVERT_PATH) + " " + args + " </dev/null");
  }
  // A stereo 1 kHz sine whose peak is `dbfs`, with optional ffmpeg metadata arguments.
  std::string Sine(const std::string& name, double dbfs, double seconds = 8,
                   const std::string& extra = "") {
    const std::string path = work.file(name);
    const std::string amplitude = std::to_string(std::pow(10.0, dbfs / 20.0));
    const std::string wave = amplitude + "*sin(2*PI*1000*t)";
    auto made = testsupport::Run(
        "ffmpeg -nostdin -loglevel error -f lavfi -i \"aevalsrc='" + wave + "|" + wave +
        "':s=44100:d=" + std::to_string(seconds) + "\" " + extra + " " + ShellQuote(path));
    EXPECT_EQ(made.exitCode, 0) << made.output;
    return path;
  }
  std::string out() const { return work.file("out"); }

  testsupport::TempDir config;
  testsupport::TempDir work;
};

}  // namespace

TEST_F(LoudnessCli, ListAddsLoudnessRangeAndTruePeak) {
  const std::string a = Sine("a.wav", -23.0);
  auto r = Convert("--list --loudness " + ShellQuote(a));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "00:00:08\t1.35MB\tunconverted\t-23.0 LUFS\t0.0 LU\t-23.0 dBTP\t" + a + "\n");
}

TEST_F(LoudnessCli, BadLoudnessArgumentsAreUsageErrors) {
  for (const char* args : {"--normalize=loud x.wav", "--normalize=loudness:-80 x.wav",
                           "--normalize=loudness:abc x.wav", "--replaygain maybe x.wav",
                           "--replaygain", "--loudness x.wav",
                           "--normalize=peak --format mp3 x.wav"}) {
    auto r = Convert(args);
    EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.output;
  }
}

namespace {

struct LoudnessNormalizeCase {
  const char* label;
  const char* source;
  const char* signal;  // lavfi, made stereo; lossy outputs get tones, which they keep at level
  const char* codecArgs;
  const char* option;
  double expectedLufs;   // NaN: below the target, held by the true peak
  double expectedPeakDb; // NaN: only at or below −1 dBTP
};

const LoudnessNormalizeCase kLoudnessCases[] = {
    {"quiet noise WAV to -18", "noise.wav", "anoisesrc=color=pink:seed=5:a=0.02:d=12,lowpass=f=8000", "", "loudness", -18, NAN},
    {"loud tones WMA to -18", "tones.wma", "aevalsrc=0.5*sin(2*PI*220*t)+0.3*sin(2*PI*660*t)+0.1*sin(2*PI*1320*t):s=44100:d=12", "-c:a wmav2 -b:a 192k", "loudness", -18, NAN},
    {"quiet tones OGG to -23", "tones.ogg", "aevalsrc=0.02*sin(2*PI*220*t)+0.01*sin(2*PI*660*t)+0.01*sin(2*PI*1320*t):s=44100:d=12", "", "loudness:-23", -23, NAN},
    {"sine held by its peak", "sine.wav", "sine=f=1000:d=12", "", "loudness:0", NAN, -1.0},
};

class LoudnessNormalize : public LoudnessCli,
                          public ::testing::WithParamInterface<LoudnessNormalizeCase> {};

void PrintTo(const LoudnessNormalizeCase& c, std::ostream* os) { *os << c.label; }

}  // namespace

TEST_P(LoudnessNormalize, ReachesTheTargetBelowMinusOneDbtp) {
  const LoudnessNormalizeCase& c = GetParam();
  const std::string source = work.file(c.source);
  ASSERT_EQ(testsupport::Run("ffmpeg -nostdin -loglevel error -f lavfi -i '" + std::string(c.signal) +
                             "' -ac 2 " + c.codecArgs + " " + ShellQuote(source)).exitCode, 0);
  auto r = Convert("--normalize=" + std::string(c.option) + " --output " + ShellQuote(out()) +
                   " " + ShellQuote(source));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const auto measured = MeasureWithFfmpeg(out() + "/Normalize_" + c.source);
  ASSERT_TRUE(measured.ok);
  if (!std::isnan(c.expectedLufs)) {
    EXPECT_NEAR(measured.integratedLufs, c.expectedLufs, 0.3);
  }
  if (!std::isnan(c.expectedPeakDb)) {
    EXPECT_NEAR(measured.truePeakDb, c.expectedPeakDb, 0.1);
  }
  EXPECT_LE(measured.truePeakDb, -1.0 + 0.05);
}

INSTANTIATE_TEST_SUITE_P(Outputs, LoudnessNormalize, ::testing::ValuesIn(kLoudnessCases));

// The block peak normalize is what --normalize has always done, named or not.
TEST_F(LoudnessCli, PeakNormalizeIsTheDefaultAndUnchanged) {
  const std::string a = Sine("a.wav", -30.0, 4);
  ASSERT_EQ(Convert("--normalize --output " + ShellQuote(out()) + " " + ShellQuote(a)).exitCode, 0);
  ASSERT_EQ(Convert("--normalize=peak --output " + ShellQuote(out()) + " " + ShellQuote(a)).exitCode, 0);
  EXPECT_EQ(testsupport::ReadFileBytes(out() + "/Normalize_a.wav"),
            testsupport::ReadFileBytes(out() + "/Normalize_a(1).wav"));
  EXPECT_NEAR(MeasureWithFfmpeg(out() + "/Normalize_a.wav").truePeakDb, -10.0, 0.2);  // +20 dB
}
