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
