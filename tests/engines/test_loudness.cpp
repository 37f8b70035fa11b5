// Loudness measurement on signals in the manner of EBU Tech 3341, made here with ffmpeg: the
// meter's values against the expected loudness and against ffmpeg's own ebur128 filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engines/AudioTransform2.h"
#include "engines/SourceLoudness.h"
#include "engines/TruePeakMeter.h"
#include "support/TestSupport.h"

using testsupport::MeasureWithFfmpeg;
using testsupport::ShellQuote;

namespace {

struct SignalCase {
  const char* label;
  const char* lavfi;  // the signal, for ffmpeg -f lavfi
  const char* codecArgs;
  double expectedLufs;  // NaN: whatever ffmpeg measures
};

// −23 dBFS peak is an amplitude of 10^(−23/20).
const SignalCase kSignals[] = {
    {"sine 1 kHz -23 dBFS stereo 16-bit",
     "aevalsrc='0.0707946*sin(2*PI*1000*t)|0.0707946*sin(2*PI*1000*t)':s=48000:d=20",
     "-c:a pcm_s16le", -23.0},
    {"sine 1 kHz -23 dBFS stereo float",
     "aevalsrc='0.0707946*sin(2*PI*1000*t)|0.0707946*sin(2*PI*1000*t)':s=48000:d=20",
     "-c:a pcm_f32le", -23.0},
    {"pink noise -18 LUFS",
     "anoisesrc=color=pink:seed=7:a=0.25:d=20,aformat=channel_layouts=stereo", "-c:a pcm_s16le",
     -18.0},
    {"two tones peaking between samples",
     "aevalsrc='0.7*sin(2*PI*3000*t+PI/5)+0.3*sin(2*PI*5000*t)|0.5*sin(2*PI*7000*t+1)':s=48000:d=10",
     "-c:a pcm_f32le", NAN},
    {"rising tone mono 44.1 kHz", "aevalsrc='(0.02+0.3*t/30)*sin(2*PI*440*t)':s=44100:d=30",
     "-c:a pcm_s16le", NAN},
};

class Loudness : public ::testing::TestWithParam<SignalCase> {
 protected:
  testsupport::TempDir work;
};

std::string MakeSignal(const std::string& path, const SignalCase& c) {
  auto made = testsupport::Run("ffmpeg -nostdin -loglevel error -f lavfi -i " +
                               std::string(c.lavfi) + " " + c.codecArgs + " " + ShellQuote(path));
  EXPECT_EQ(made.exitCode, 0) << made.output;
  return path;
}

// The pink noise is brought to its target by ffmpeg's own measure, so the target is ffmpeg's.
std::string AtTarget(const std::string& path, const SignalCase& c) {
  if (std::isnan(c.expectedLufs) || std::string(c.lavfi).rfind("anoisesrc", 0) != 0) return path;
  const double gain = c.expectedLufs - MeasureWithFfmpeg(path).integratedLufs;
  const std::string scaled = path + ".scaled.wav";
  testsupport::Run("ffmpeg -nostdin -loglevel error -i " + ShellQuote(path) + " -af volume=" +
                   std::to_string(gain) + "dB " + c.codecArgs + " " + ShellQuote(scaled));
  return scaled;
}

void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.label; }

}  // namespace

TEST_P(Loudness, MatchesTheExpectedLevelAndFfmpeg) {
  const SignalCase& c = GetParam();
  const std::string path = AtTarget(MakeSignal(work.file("signal.wav"), c), c);
  const LoudnessResult ours = MeasureFileLoudness(path);
  const testsupport::FfmpegLoudness theirs = MeasureWithFfmpeg(path);
  ASSERT_TRUE(theirs.ok);
  if (!std::isnan(c.expectedLufs)) {
    EXPECT_NEAR(ours.integratedLufs, c.expectedLufs, 0.1);
  }
  EXPECT_NEAR(ours.integratedLufs, theirs.integratedLufs, 0.1);
  // ffmpeg estimates the range's percentiles from its own coarser histogram.
  EXPECT_NEAR(ours.rangeLu, theirs.rangeLu, 0.5);
  EXPECT_NEAR(ours.TruePeakDb(), theirs.truePeakDb, 0.1);
  EXPECT_LE(ours.samplePeak, ours.truePeak);
}

INSTANTIATE_TEST_SUITE_P(Signals, Loudness, ::testing::ValuesIn(kSignals));

// Silence and a file shorter than one gating block have no integrated loudness.
TEST(LoudnessEdges, SilenceAndTinyFilesHaveNone) {
  testsupport::TempDir work;
  for (const char* lavfi : {"anullsrc=d=5", "sine=d=0.2"}) {
    const std::string path = work.file("edge.wav");
    std::remove(path.c_str());
    ASSERT_EQ(testsupport::Run("ffmpeg -nostdin -loglevel error -f lavfi -i " + std::string(lavfi) +
                               " " + ShellQuote(path))
                  .exitCode,
              0);
    EXPECT_TRUE(std::isinf(MeasureFileLoudness(path).integratedLufs)) << lavfi;
  }
}

TEST(LoudnessEdges, ConstantGainScalesAndHoldsSixteenBitRange) {
  ByteBlock block{0x00, 0x40, 0x00, 0xC0};  // 16384, -16384
  TAudioTransform2().ApplyGain(block, 4.0);
  EXPECT_EQ(block, (ByteBlock{0xFF, 0x7F, 0x00, 0x80}));  // held at 32767, -32768
}

// Sines whose peaks fall between the samples, where the true peak is known exactly: fed as
// floats and as 16-bit samples, whole and in small pieces across the meter's stretches. They
// fade in, as a jump out of silence would overshoot.
TEST(TruePeak, FindsThePeaksBetweenTheSamples) {
  struct Case {
    double frequency, phase;
    int rate;
  } const kCases[] = {{12000, M_PI / 4, 48000}, {997, 0.3, 44100}, {16000, 0.7, 44100}};
  for (const Case& c : kCases) {
    std::vector<float> floats;
    std::vector<int16_t> shorts;
    for (int i = 0; i < c.rate; ++i) {
      const double fade = std::min(1.0, i / 2000.0);
      const double value = fade * 0.5 * std::sin(2 * M_PI * c.frequency * i / c.rate + c.phase);
      floats.push_back(static_cast<float>(value));
      shorts.push_back(static_cast<int16_t>(std::lround(value * 32768)));
    }
    TruePeakMeter whole(1), pieces(1), sixteenBit(1);
    whole.Add(floats.data(), floats.size());
    for (size_t at = 0; at < floats.size(); at += 7)
      pieces.Add(floats.data() + at, std::min<size_t>(7, floats.size() - at));
    sixteenBit.Add(shorts.data(), shorts.size());
    EXPECT_NEAR(20 * std::log10(whole.TruePeak()), -6.02, 0.02) << c.frequency;
    EXPECT_FLOAT_EQ(pieces.TruePeak(), whole.TruePeak()) << c.frequency;
    EXPECT_NEAR(sixteenBit.TruePeak(), whole.TruePeak(), 1e-4) << c.frequency;
    EXPECT_LE(whole.SamplePeak(), whole.TruePeak());
  }
}
