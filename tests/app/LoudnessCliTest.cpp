// Loudness through velmora-convert: the listed values, ReplayGain tags written while
// converting, and the loudness normalize, all checked with ffmpeg's ebur128 filter and mutagen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/GainTags.h"
#include "app/TagTransfer.h"
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
    auto made = testsupport::Run("ffmpeg -nostdin -loglevel error -f lavfi -i \"aevalsrc='" + wave +
                                 "|" + wave + "':s=44100:d=" + std::to_string(seconds) + "\" " +
                                 extra + " " + ShellQuote(path));
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
  for (const char* args :
       {"--normalize=loud x.wav", "--normalize=loudness:-80 x.wav",
        "--normalize=loudness:abc x.wav", "--replaygain maybe x.wav", "--replaygain",
        "--loudness x.wav", "--normalize=peak --format mp3 x.wav"}) {
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
  double expectedLufs;    // NaN: below the target, held by the true peak
  double expectedPeakDb;  // NaN: only at or below −1 dBTP
};

const LoudnessNormalizeCase kLoudnessCases[] = {
    {"quiet noise WAV to -18", "noise.wav",
     "anoisesrc=color=pink:seed=5:a=0.02:d=12,lowpass=f=8000", "", "loudness", -18, NAN},
    {"loud tones WMA to -18", "tones.wma",
     "aevalsrc=0.5*sin(2*PI*220*t)+0.3*sin(2*PI*660*t)+0.1*sin(2*PI*1320*t):s=44100:d=12",
     "-c:a wmav2 -b:a 192k", "loudness", -18, NAN},
    {"quiet tones OGG to -23", "tones.ogg",
     "aevalsrc=0.02*sin(2*PI*220*t)+0.01*sin(2*PI*660*t)+0.01*sin(2*PI*1320*t):s=44100:d=12", "",
     "loudness:-23", -23, NAN},
    {"sine held by its peak", "sine.wav", "sine=f=1000:d=12", "", "loudness:0", NAN, -1.0},
};

class LoudnessNormalize : public LoudnessCli,
                          public ::testing::WithParamInterface<LoudnessNormalizeCase> {};

void PrintTo(const LoudnessNormalizeCase& c, std::ostream* os) { *os << c.label; }

}  // namespace

TEST_P(LoudnessNormalize, ReachesTheTargetBelowMinusOneDbtp) {
  const LoudnessNormalizeCase& c = GetParam();
  const std::string source = work.file(c.source);
  ASSERT_EQ(
      testsupport::Run("ffmpeg -nostdin -loglevel error -f lavfi -i '" + std::string(c.signal) +
                       "' -ac 2 " + c.codecArgs + " " + ShellQuote(source))
          .exitCode,
      0);
  auto r = Convert("--normalize=" + std::string(c.option) + " --output " + ShellQuote(out()) + " " +
                   ShellQuote(source));
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
  ASSERT_EQ(
      Convert("--normalize=peak --output " + ShellQuote(out()) + " " + ShellQuote(a)).exitCode, 0);
  EXPECT_EQ(testsupport::ReadFileBytes(out() + "/Normalize_a.wav"),
            testsupport::ReadFileBytes(out() + "/Normalize_a(1).wav"));
  EXPECT_NEAR(MeasureWithFfmpeg(out() + "/Normalize_a.wav").truePeakDb, -10.0, 0.2);  // +20 dB
}

namespace {

struct ReplayGainCase {
  const char* format;
  const char* extension;
  // How far ffmpeg, decoding the output, may find other values than the meter that saw the
  // encoder's input: LAME lowers these tones by about 0.5 dB, and every lossy encoder moves
  // the peaks of a tone: up to a quarter of a decibel, Vorbis half of one, FFmpeg's AAC more
  // than one on the loudest tone.
  double tolerance;
  double peakTolerance;
  bool r128 = false;  // Opus: R128 gains relative to -23 LUFS, no peaks
};

const ReplayGainCase kReplayGainCases[] = {
    {"ogg", ".ogg", 0.1, 0.5},  {"wma", ".wma", 0.1, 0.3},  {"mp3", ".mp3", 0.6, 0.6},
    {"flac", ".flac", 0.1, 0.1}, {"m4a", ".m4a", 0.1, 1.2}, {"opus", ".opus", 0.1, 0, true}};

class ReplayGainTags : public LoudnessCli, public ::testing::WithParamInterface<ReplayGainCase> {
 protected:
  using Tags = std::map<std::string, std::string>;
  Tags TagsOf(const std::string& name) {
    return testsupport::ReadGainTags(out() + "/" + name + GetParam().extension);
  }
  double Number(const Tags& tags, const std::string& key) {
    auto found = tags.find(key);
    EXPECT_NE(found, tags.end()) << key;
    return found == tags.end() ? NAN : std::stod(found->second);
  }
  // The gain to -18 LUFS in dB, from either kind of tag ("TRACK" or "ALBUM").
  double GainDb(const Tags& tags, const std::string& scope) {
    if (!GetParam().r128) return Number(tags, "REPLAYGAIN_" + scope + "_GAIN");
    return Number(tags, "R128_" + scope + "_GAIN") / 256.0 + 5.0;
  }
  std::string AlbumGainText(const Tags& tags) {
    return tags.at(GetParam().r128 ? "R128_ALBUM_GAIN" : "REPLAYGAIN_ALBUM_GAIN");
  }
};

void PrintTo(const ReplayGainCase& c, std::ostream* os) { *os << c.format; }

// Prints the keys that hold a value twice, and a second ID3v2 tag behind an MP3's first.
const char* const kRepeatedTags = R"PY(
import sys, mutagen
f = mutagen.File(sys.argv[1])
for key, value in f.tags.items():
    values = value.text if hasattr(value, "text") else value if isinstance(value, list) else [value]
    texts = [str(v.value if hasattr(v, "value") else v) for v in values]
    if len(set(texts)) != len(texts): print(key)
data = open(sys.argv[1], "rb").read()
if data[:3] == b"ID3":
    end = 10 + ((data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9])
    if data[end:end + 3] == b"ID3": print("second ID3v2 tag")
)PY";

}  // namespace

// Three tracks of one album at different levels, one of another album and one of an album of
// the same name by another album artist: track values per file, album values over the three,
// each against ffmpeg on the outputs.
TEST_P(ReplayGainTags, TrackAndAlbumValuesMatchFfmpeg) {
  const ReplayGainCase& c = GetParam();
  std::vector<std::string> names;
  for (double dbfs : {-6.0, -16.0, -26.0})
    names.push_back(Sine("t" + std::to_string(names.size()) + ".mp3", dbfs, 6,
                         "-metadata album=One -b:a 192k"));
  names.push_back(Sine("other.mp3", -20.0, 6, "-metadata album=Two -b:a 192k"));
  names.push_back(
      Sine("else.mp3", -10.0, 6, "-metadata album=One -metadata album_artist=Else -b:a 192k"));
  std::string args =
      "--replaygain album --format " + std::string(c.format) + " --output " + ShellQuote(out());
  for (const std::string& name : names) args += " " + ShellQuote(name);
  auto r = Convert(args);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  double albumPeak = 0;
  std::string joined;
  for (int i = 0; i < 3; ++i) {
    const std::string output = out() + "/t" + std::to_string(i) + c.extension;
    const Tags tags = TagsOf("t" + std::to_string(i));
    const auto theirs = MeasureWithFfmpeg(output);
    EXPECT_NEAR(GainDb(tags, "TRACK"), -18.0 - theirs.integratedLufs, c.tolerance) << output;
    EXPECT_EQ(AlbumGainText(tags), AlbumGainText(TagsOf("t0"))) << output;
    joined += " -i " + ShellQuote(output);
    if (c.r128) continue;
    const double peak = Number(tags, "REPLAYGAIN_TRACK_PEAK");
    EXPECT_NEAR(20 * std::log10(peak), theirs.truePeakDb, c.peakTolerance) << output;
    albumPeak = std::max(albumPeak, peak);
  }
  // The album's loudness is that of its three outputs played one after another (joined by
  // ffmpeg with each encoder's lead-in and padding, which moves it by a tenth of a decibel).
  const std::string album = work.file("album.wav");
  testsupport::Run("ffmpeg -nostdin -loglevel error" + joined +
                   " -filter_complex concat=n=3:v=0:a=1 -c:a pcm_f32le " + ShellQuote(album));
  const Tags last = TagsOf("t2");
  EXPECT_NEAR(GainDb(last, "ALBUM"), -18.0 - MeasureWithFfmpeg(album).integratedLufs,
              c.tolerance + 0.1);
  if (!c.r128) {
    EXPECT_NEAR(Number(last, "REPLAYGAIN_ALBUM_PEAK"), albumPeak, 1e-6);
  }
  for (const char* alone : {"other", "else"})
    EXPECT_NEAR(GainDb(TagsOf(alone), "ALBUM"), GainDb(TagsOf(alone), "TRACK"), 1e-9) << alone;
  // The album values were added to tagged outputs: each still holds one tag with each value once.
  EXPECT_EQ(testsupport::RunPython(kRepeatedTags, {out() + "/t0" + c.extension}).output, "") << "t0";
}

INSTANTIATE_TEST_SUITE_P(Formats, ReplayGainTags, ::testing::ValuesIn(kReplayGainCases));

TEST_F(LoudnessCli, TrackModeWritesNoAlbumValuesAndOffWritesNone) {
  const std::string a = Sine("a.wav", -23.0, 6);
  ASSERT_EQ(
      Convert("--replaygain track --format ogg --output " + ShellQuote(out()) + " " + ShellQuote(a))
          .exitCode,
      0);
  ASSERT_EQ(Convert("--format ogg --output " + ShellQuote(out()) + " " + ShellQuote(a)).exitCode,
            0);
  const auto track = testsupport::ReadGainTags(out() + "/a.ogg");
  EXPECT_NEAR(std::stod(track.at("REPLAYGAIN_TRACK_GAIN")), 5.0, 0.02);
  EXPECT_EQ(track.count("REPLAYGAIN_ALBUM_GAIN"), 0u);
  EXPECT_TRUE(testsupport::ReadGainTags(out() + "/a(1).ogg").empty());
}

// A source's carried gain fields go: replaced by the measured ones under ReplayGain (its album
// values dropped in track mode), dropped from a loudness-normalized output, kept otherwise.
TEST_F(LoudnessCli, CarriedGainFieldsAreReplacedOrDropped) {
  const std::string a =
      Sine("a.mp3", -23.0, 6,
           "-b:a 192k -metadata REPLAYGAIN_TRACK_GAIN='+9.99 dB' -metadata "
           "REPLAYGAIN_ALBUM_GAIN='+7.00 dB' -metadata REPLAYGAIN_ALBUM_PEAK=0.5");
  struct {
    const char* args;
    const char* output;
    const char* trackGain;  // "" for none
  } const kRuns[] = {{"--format ogg", "a.ogg", "+9.99 dB"},
                     {"--replaygain track --format ogg", "a(1).ogg", "measured"},
                     {"--normalize=loudness", "Normalize_a.mp3", ""},
                     {"--normalize=peak", "Normalize_a(1).mp3", "+9.99 dB"}};
  for (const auto& run : kRuns) {
    ASSERT_EQ(Convert(std::string(run.args) + " --output " + ShellQuote(out()) + " " +
                      ShellQuote(a)).exitCode, 0) << run.args;
    const auto tags = testsupport::ReadGainTags(out() + "/" + run.output);
    const std::string trackGain = tags.count("REPLAYGAIN_TRACK_GAIN") ? tags.at("REPLAYGAIN_TRACK_GAIN") : "";
    if (std::string(run.trackGain) == "measured")
      EXPECT_NEAR(std::stod(trackGain), 5.0, 0.6) << run.args;
    else
      EXPECT_EQ(trackGain, run.trackGain) << run.args;
    const bool carried = std::string(run.trackGain) == "+9.99 dB";
    EXPECT_EQ(tags.count("REPLAYGAIN_ALBUM_GAIN"), carried ? 1u : 0u) << run.args;
  }
}

// Opus files carry R128 gains in Q7.8 relative to −23 LUFS instead (RFC 7845), written by the
// Opus tag module from the record's extras in place of the source's gain fields.
TEST(LoudnessTags, OpusTakesR128Gains) {
  if (!testsupport::FfmpegCanEncode("libopus")) GTEST_SKIP() << "ffmpeg has no libopus";
  testsupport::TempDir work;
  const std::string path = work.file("a.opus");
  ASSERT_EQ(testsupport::Run("ffmpeg -nostdin -loglevel error -f lavfi -i sine=d=2 -c:a libopus "
                             "-metadata R128_TRACK_GAIN=77 -metadata REPLAYGAIN_TRACK_GAIN=1 " +
                             ShellQuote(path))
                .exitCode,
            0);
  Timerec record = ReadSourceTags(path, AudioFormat::kOpus).value();
  SetTrackGain(record.extras, AudioFormat::kOpus, {-18.0, 0.5});
  SetAlbumGain(record.extras, AudioFormat::kOpus, {-30.5, 0.9});
  WriteTagsToOutput(path, AudioFormat::kOpus, record);
  const auto tags = testsupport::ReadGainTags(path);
  EXPECT_EQ(tags.at("R128_TRACK_GAIN"), "-1280");  // −5 dB × 256
  EXPECT_EQ(tags.at("R128_ALBUM_GAIN"), "1920");   // +7.5 dB × 256
  EXPECT_EQ(tags.count("REPLAYGAIN_TRACK_GAIN"), 0u);
  EXPECT_NEAR(testsupport::DecodedSeconds(path), 2.0, 0.05);
}
