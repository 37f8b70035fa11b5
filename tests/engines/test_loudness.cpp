// Loudness measurement on signals in the manner of EBU Tech 3341, made here with ffmpeg: the
// meter's values against the expected loudness and against ffmpeg's own ebur128 filter; and
// on signals made in the test, against libebur128 measuring the same samples.
#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engines/AudioTransform2.h"
#include "engines/LoudnessMeter.h"
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

namespace {

enum class Shape { kRisingSine, kPinkNoise, kSilence, kTapSigns };

// Interleaved samples: each channel at its own level (the fourth, low-frequency effects, much
// louder, so that counting it would show).
struct Signal {
  int rate, channels;
  double seconds;
  Shape shape;
  double level = 1;
  std::vector<float> samples;
};

// Pink noise from seeded white noise through Paul Kellet's three-pole filter; the sine's level
// rises in steps of 4 dB every 2 s, so the loudness range has something to measure. The tap
// signs: one sample of 0.88, then 24 samples of ±0.4 with the signs of the half-sample phase's
// taps, whose value between them (0.8996) passes the sample only by what the outer taps add.
Signal MakeSignal(int rate, int channels, double seconds, Shape shape, double level = 1) {
  Signal signal{rate, channels, seconds, shape, level, {}};
  const auto frames = static_cast<size_t>(seconds * rate);
  uint32_t seed = 12345;
  double b0 = 0, b1 = 0, b2 = 0;
  for (size_t i = 0; i < frames; ++i) {
    double value = 0;
    if (shape == Shape::kRisingSine) {
      const double db = -36 + 4 * std::floor(static_cast<double>(i) / rate / 2);
      value = std::pow(10, db / 20) * std::sin(2 * M_PI * 997 * static_cast<double>(i) / rate);
    } else if (shape == Shape::kPinkNoise) {
      seed = seed * 1664525u + 1013904223u;
      const double white = static_cast<int32_t>(seed) / 2147483648.0;
      b0 = 0.99765 * b0 + white * 0.0990460;
      b1 = 0.96300 * b1 + white * 0.2965164;
      b2 = 0.57000 * b2 + white * 1.0526913;
      value = 0.05 * (b0 + b1 + b2 + white * 0.1848);
    } else if (shape == Shape::kTapSigns) {
      const size_t tap = i - 200;
      value = i == 100 ? 0.88 : tap < 24 ? std::copysign(0.4, TruePeakMeter::PhaseTaps(2)[tap]) : 0;
    }
    for (int c = 0; c < channels; ++c)
      signal.samples.push_back(static_cast<float>(value * level * (c == 3 ? 4.0 : 1.0 - 0.1 * c)));
  }
  return signal;
}

std::vector<int16_t> SixteenBit(const std::vector<float>& samples) {
  std::vector<int16_t> shorts;
  for (float v : samples)
    shorts.push_back(static_cast<int16_t>(std::clamp(std::lround(v * 32768.0), -32768L, 32767L)));
  return shorts;
}

struct Ebur128Deleter {
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using Ebur128 = std::unique_ptr<ebur128_state, Ebur128Deleter>;

// Both meters measure the same samples, ours in pieces that straddle its 100 ms steps.
struct BothMeters {
  std::unique_ptr<LoudnessMeter> ours;
  Ebur128 theirs;
};

BothMeters Measure(const Signal& signal, bool sixteenBit) {
  BothMeters meters{std::make_unique<LoudnessMeter>(signal.rate, signal.channels),
                    Ebur128(ebur128_init(static_cast<unsigned>(signal.channels),
                                         static_cast<unsigned long>(signal.rate),
                                         EBUR128_MODE_I | EBUR128_MODE_LRA))};
  const size_t channels = static_cast<size_t>(signal.channels);
  const size_t frames = signal.samples.size() / channels;
  const std::vector<int16_t> shorts = SixteenBit(signal.samples);
  constexpr size_t kPiece = 1001;
  for (size_t at = 0; at < frames; at += kPiece) {
    const size_t count = std::min(kPiece, frames - at);
    if (sixteenBit) {
      meters.ours->Add(shorts.data() + at * channels, count, SampleType::kS16);
      ebur128_add_frames_short(meters.theirs.get(), shorts.data() + at * channels, count);
    } else {
      meters.ours->Add(signal.samples.data() + at * channels, count, SampleType::kFloat);
      ebur128_add_frames_float(meters.theirs.get(), signal.samples.data() + at * channels, count);
    }
  }
  return meters;
}

// The true peak as the meter has always computed it: every value of the three phases between
// the samples, each a float sum in tap order, over each channel behind 23 samples of silence.
double TruePeakOfEveryValue(const Signal& signal, bool sixteenBit) {
  const size_t channels = static_cast<size_t>(signal.channels);
  const size_t frames = signal.samples.size() / channels;
  const std::vector<int16_t> shorts = SixteenBit(signal.samples);
  float peak = 0;
  for (size_t c = 0; c < channels; ++c) {
    std::vector<float> line(TruePeakMeter::kTaps - 1, 0.0f);
    for (size_t i = 0; i < frames; ++i) {
      const size_t at = i * channels + c;
      line.push_back(sixteenBit ? static_cast<float>(shorts[at]) * (1.0f / 32768.0f)
                                : signal.samples[at]);
      peak = std::max(peak, std::fabs(line.back()));
    }
    for (int p = 1; p < TruePeakMeter::kPhases; ++p)
      for (size_t i = 0; i < frames; ++i) {
        float value = 0;
        for (int k = 0; k < TruePeakMeter::kTaps; ++k)
          value += TruePeakMeter::PhaseTaps(p)[k] * line[i + static_cast<size_t>(k)];
        peak = std::max(peak, std::fabs(value));
      }
  }
  return peak;
}

void ExpectSameLoudness(double ours, double theirs, const char* what) {
  if (std::isinf(theirs)) {
    EXPECT_TRUE(std::isinf(ours) && ours < 0) << what << ": " << ours;
  } else {
    EXPECT_NEAR(ours, theirs, 0.01) << what;
  }
}

struct OracleCase {
  const char* label;
  int rate, channels;
  double seconds;
  Shape shape;
  bool sixteenBit;
};

const OracleCase kOracleCases[] = {
    {"rising sine 8 kHz mono", 8000, 1, 12, Shape::kRisingSine, true},
    {"rising sine 11.025 kHz stereo (steps of 1103 frames)", 11025, 2, 12, Shape::kRisingSine,
     false},
    {"rising sine 44.1 kHz stereo 16-bit", 44100, 2, 12, Shape::kRisingSine, true},
    {"rising sine 192 kHz stereo", 192000, 2, 8, Shape::kRisingSine, false},
    {"pink noise 48 kHz stereo 16-bit", 48000, 2, 10, Shape::kPinkNoise, true},
    {"pink noise 96 kHz mono", 96000, 1, 5, Shape::kPinkNoise, false},
    {"pink noise 48 kHz 5.1 (loud LFE left out)", 48000, 6, 6, Shape::kPinkNoise, false},
    {"pink noise 44.1 kHz 4 channels", 44100, 4, 5, Shape::kPinkNoise, true},
    {"pink noise 44.1 kHz 5 channels", 44100, 5, 5, Shape::kPinkNoise, false},
    {"pink noise 44.1 kHz 7.1", 44100, 8, 5, Shape::kPinkNoise, false},
    {"silence", 44100, 2, 5, Shape::kSilence, true},
    {"a peak between samples beyond the central taps' reach", 44100, 1, 0.5, Shape::kTapSigns,
     false},
    {"0.35 s of noise: no gating block", 44100, 2, 0.35, Shape::kPinkNoise, false},
};

class LoudnessOracle : public ::testing::TestWithParam<OracleCase> {};

void PrintTo(const OracleCase& c, std::ostream* os) { *os << c.label; }

}  // namespace

TEST_P(LoudnessOracle, MatchesLibebur128AndTheTruePeakOfEveryValue) {
  const OracleCase& c = GetParam();
  const Signal signal = MakeSignal(c.rate, c.channels, c.seconds, c.shape);
  const BothMeters meters = Measure(signal, c.sixteenBit);
  const LoudnessResult ours = meters.ours->Result();
  double integrated = 0, range = 0;
  ASSERT_EQ(ebur128_loudness_global(meters.theirs.get(), &integrated), EBUR128_SUCCESS);
  ASSERT_EQ(ebur128_loudness_range(meters.theirs.get(), &range), EBUR128_SUCCESS);
  ExpectSameLoudness(ours.integratedLufs, integrated, "integrated");
  EXPECT_NEAR(ours.rangeLu, range, 0.01);
  EXPECT_EQ(ours.truePeak, TruePeakOfEveryValue(signal, c.sixteenBit));
}

INSTANTIATE_TEST_SUITE_P(Signals, LoudnessOracle, ::testing::ValuesIn(kOracleCases));

// An album of a quiet, a loud and a short track at different rates: every gating block of all
// three counts together, as libebur128 counts them.
TEST(LoudnessOracleAlbum, JointLoudnessPoolsEveryGatingBlock) {
  const Signal tracks[] = {MakeSignal(44100, 2, 8, Shape::kPinkNoise, 0.2),
                           MakeSignal(48000, 2, 6, Shape::kRisingSine),
                           MakeSignal(44100, 1, 3, Shape::kPinkNoise, 2)};
  std::vector<BothMeters> meters;
  std::vector<const LoudnessMeter*> ours;
  std::vector<ebur128_state*> theirs;
  for (const Signal& track : tracks) {
    meters.push_back(Measure(track, false));
    ours.push_back(meters.back().ours.get());
    theirs.push_back(meters.back().theirs.get());
  }
  double joint = 0;
  ASSERT_EQ(ebur128_loudness_global_multiple(theirs.data(), theirs.size(), &joint),
            EBUR128_SUCCESS);
  ExpectSameLoudness(LoudnessMeter::JointLoudness(ours), joint, "album");
  EXPECT_TRUE(std::isinf(LoudnessMeter::JointLoudness({})));
}
