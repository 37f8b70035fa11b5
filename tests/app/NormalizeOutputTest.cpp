// What a normalized file is made of: the source's own encoding, sample rate, channel count and
// WAV depth at about its bit rate, whatever the letter case of its extension; a source of another
// kind comes out as WAV. Every source is a loud tone, ±1 LSB dither and the tone again, one
// normalize block each: the tone reaches the target, the dither stays near silence. Checked
// with ffprobe and ffmpeg's volumedetect.
#include <gtest/gtest.h>

#include <algorithm>

#include "CoreFixture.h"
#include "app/LoudnessOptions.h"
#include "settings/IniFile.h"

using testsupport::DecodedSeconds;
using testsupport::FileExists;
using testsupport::Probe;

namespace {

struct NormalizeCase {
  const char* label;
  const char* sourceName;
  const char* codecArgs;  // ffmpeg's, for the source
  int sampleRate;
  int channels;
  const char* outputName;
  const char* outputCodec;
  // How far the output's bit rate may lie from the source's: a factor, 0 = not looked at.
  // Constant rates are compared as ffprobe gives them; a Vorbis header only states an aim, so
  // there the averages from size and playing time are compared.
  double bitRateFactor;
  bool averageRates;
  int outputBits = 0;  // bits per sample of a PCM output; 0 = not looked at
};

// A run levels the last 9 × channels seconds or so of a file as one block, the rest in blocks
// of 1.5 s; the sources are long enough for the dither to have a block of its own before that.
double SourceSeconds(const NormalizeCase& c) { return 3.5 + 9.0 * c.channels; }

// The loudest sample between `from` and `to` seconds, in dB of full scale.
double PeakDb(const std::string& path, double from, double to) {
  auto r = testsupport::Run("ffmpeg -nostdin -hide_banner -i " + testsupport::ShellQuote(path) +
                            " -af atrim=start=" + std::to_string(from) + ":end=" +
                            std::to_string(to) + ",volumedetect -f null -");
  const size_t at = r.output.find("max_volume:");
  return at == std::string::npos ? 1.0 : std::stod(r.output.substr(at + 11));
}

double AverageBitRate(const std::string& path) {
  return static_cast<double>(testsupport::ReadFileBytes(path).size()) * 8 / DecodedSeconds(path);
}

void PrintTo(const NormalizeCase& c, std::ostream* os) { *os << c.label; }

class NormalizeOutput : public CoreFixture,
                        public ::testing::WithParamInterface<NormalizeCase> {
 protected:
  // A −6 dBFS tone, from 1.5 to 3 s ±1 LSB of 16-bit dither, then the tone to the end.
  std::string LoudQuietLoud(const NormalizeCase& c) {
    std::string path = work.file(c.sourceName);
    std::string signal = "aevalsrc=exprs='if(between(t\\,1.5\\,3)\\,(2*gt(random(0)\\,0.5)-1)/32768"
                         "\\,0.5*sin(2*PI*440*t))':d=" + std::to_string(SourceSeconds(c)) +
                         ":s=" + std::to_string(c.sampleRate);
    auto made = testsupport::Run("ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i " +
                                 testsupport::ShellQuote(signal) + " -ac " +
                                 std::to_string(c.channels) + " " + c.codecArgs + " " +
                                 testsupport::ShellQuote(path));
    EXPECT_EQ(made.exitCode, 0) << made.output;
    return path;
  }
};
class NormalizeAfterConversion : public CoreFixture {};

}  // namespace

TEST_P(NormalizeOutput, KeepsTheSourcesFormat) {
  const NormalizeCase& c = GetParam();
  std::string source = LoudQuietLoud(c);
  core->AddFiles({source});
  ASSERT_EQ(core->rows().size(), 1u) << ::testing::PrintToString(host.information);
  core->NormalizeFiles();
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
  EXPECT_EQ(States(), (std::vector<std::string>{"finish"}));
  EXPECT_EQ(core->output_file_name(), Out(c.outputName));

  auto probe = Probe(Out(c.outputName));
  ASSERT_TRUE(probe.ok);
  EXPECT_EQ(probe.codec, c.outputCodec);
  EXPECT_EQ(probe.sampleRate, c.sampleRate);
  EXPECT_EQ(probe.channels, c.channels);
  if (c.outputBits) {
    EXPECT_EQ(probe.bitsPerSample, c.outputBits);
  }
  if (c.bitRateFactor > 0) {
    double sourceRate = c.averageRates ? AverageBitRate(source) : Probe(source).bitRate;
    double outputRate = c.averageRates ? AverageBitRate(Out(c.outputName)) : probe.bitRate;
    ASSERT_GT(sourceRate, 0);
    EXPECT_GE(outputRate, sourceRate / c.bitRateFactor) << "source " << sourceRate;
    EXPECT_LE(outputRate, sourceRate * c.bitRateFactor) << "source " << sourceRate;
  }
  EXPECT_NEAR(DecodedSeconds(Out(c.outputName)), SourceSeconds(c), 0.1);
  // 98 % is -0.2 dBFS; the lossy rows lose a little on the way. Lossy coders delay the audio
  // by up to a quarter second, hence the margins.
  EXPECT_NEAR(PeakDb(Out(c.outputName), 0.3, 1.3), -0.2, 1.5) << "first tone";
  EXPECT_LT(PeakDb(Out(c.outputName), 2.0, 2.9), -50) << "dither";
  EXPECT_NEAR(PeakDb(Out(c.outputName), 3.4, 4.3), -0.2, 1.5) << "second tone";
}

INSTANTIATE_TEST_SUITE_P(
    Formats, NormalizeOutput,
    ::testing::Values(
        // 8 kHz mono 8 kbit/s stays that small instead of growing to 44.1 kHz stereo 128.
        NormalizeCase{"low_rate_mp3", "low.mp3", "-c:a libmp3lame -b:a 8k", 8000, 1,
                      "Normalize_low.mp3", "mp3", 1.05, false},
        NormalizeCase{"upper_case_mp3", "LOUD.MP3", "-f mp3 -c:a libmp3lame -b:a 96k", 22050, 2,
                      "Normalize_LOUD.MP3", "mp3", 1.05, false},
        NormalizeCase{"mono_ogg", "thin.ogg", "-c:a libvorbis -b:a 48k", 22050, 1,
                      "Normalize_thin.ogg", "vorbis", 1.5, true},
        NormalizeCase{"upper_case_ogg", "Wide.OGG", "-f ogg -c:a libvorbis -q:a 6", 48000, 2,
                      "Normalize_Wide.OGG", "vorbis", 1.5, true},
        NormalizeCase{"wma_32k_stereo", "talk.wma", "-c:a wmav2 -b:a 48k", 32000, 2,
                      "Normalize_talk.wma", "wmav2", 1.05, false},
        NormalizeCase{"upper_case_wav", "Quiet.WAV", "-f wav", 16000, 1, "Normalize_Quiet.WAV",
                      "pcm_s16le", 0, false},
        NormalizeCase{"mono_opus", "talk.opus", "-c:a libopus -b:a 48k", 48000, 1, "Normalize_talk.opus",
                      "opus", 1.3, true},
        NormalizeCase{"m4a_32k", "song.m4a", "-c:a aac -b:a 96k", 32000, 2, "Normalize_song.m4a", "aac",
                      1.3, true},
        NormalizeCase{"no_extension", "noext", "-f wav", 11025, 1, "Normalize_noext.wav",
                      "pcm_s16le", 0, false},
        NormalizeCase{"unknown_extension", "take.v2", "-f wav", 22050, 2, "Normalize_take.wav",
                      "pcm_s16le", 0, false},
        NormalizeCase{"four_channels", "quad.wav", "", 16000, 4, "Normalize_quad.wav",
                      "pcm_s16le", 0, false, 16},
        NormalizeCase{"six_channels_24_bit", "room.wav", "-c:a pcm_s24le", 8000, 6,
                      "Normalize_room.wav", "pcm_s24le", 0, false, 24},
        NormalizeCase{"float", "mix.wav", "-c:a pcm_f32le", 44100, 2, "Normalize_mix.wav",
                      "pcm_f32le", 0, false, 32},
        NormalizeCase{"flac_24_bit", "studio.flac", "-sample_fmt s32", 48000, 2,
                      "Normalize_studio.flac", "flac", 0, false, 24},
        // libvorbis has no bit rates below 8 kHz, only quality levels.
        NormalizeCase{"ogg_6000_hz", "phone.ogg", "-c:a libvorbis -q:a 0", 6000, 1,
                      "Normalize_phone.ogg", "vorbis", 0, false}),
    [](const ::testing::TestParamInfo<NormalizeCase>& info) { return info.param.label; });

TEST_F(NormalizeAfterConversion, WavIsWrittenInTheSourcesFormatAfterAWavConversion) {
  settings->WriteInteger("wav", "mode", 0);  // CD quality for the conversion
  std::string source = Tone("narrow.wav", 1.0, "", 11025, 1);
  core->AddFiles({source});
  core->ConvertFiles(kFormatWav);
  EXPECT_EQ(Probe(Out("narrow.wav")).sampleRate, 44100);
  core->NormalizeFiles();
  auto probe = Probe(Out("Normalize_narrow.wav"));
  EXPECT_EQ(probe.sampleRate, 11025);
  EXPECT_EQ(probe.channels, 1);
  EXPECT_FALSE(FileExists(Out("Normalize_narrow(1).wav")));
}

// A loudness normalize, chosen in kelvane.ini's own section: the bar climbs to 50 while the
// source is measured and on to 100 while it is written.
TEST_F(NormalizeAfterConversion, LoudnessNormalizeProgressCoversBothPasses) {
  settings->WriteInteger("loudness", "normalize", 1);
  settings->WriteString("loudness", "target", "-23");
  const LoudnessOptions options = ReadLoudnessOptions(*settings);
  EXPECT_EQ(options.normalize, NormalizeKind::kLoudness);
  EXPECT_EQ(options.targetLufs, -23.0);
  core->AddFiles({Tone("long.wav", 6.0)});
  core->SetLoudnessOptions(options);
  core->NormalizeFiles();
  EXPECT_EQ(States(), (std::vector<std::string>{"finish"}));
  std::vector<int> climb(host.progress.begin() + 2, host.progress.end() - 2);  // 0s around
  EXPECT_TRUE(std::is_sorted(climb.begin(), climb.end())) << ::testing::PrintToString(climb);
  for (int mark : {50, 100}) EXPECT_NE(std::count(climb.begin(), climb.end(), mark), 0) << mark;
  EXPECT_GT(std::count_if(climb.begin(), climb.end(), [](int p) { return p > 0 && p < 50; }), 2);
  EXPECT_NEAR(testsupport::MeasureWithFfmpeg(Out("Normalize_long.wav")).integratedLufs, -23, 0.3);
}
