// velmora-convert run as a separate program, the way a user runs it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "support/TestSupport.h"
#include "settings/IniFile.h"

extern char** environ;

using testsupport::FileExists;
using testsupport::Probe;
using testsupport::ShellQuote;

namespace {

class Cli : public ::testing::Test {
 protected:
  Cli() { setenv("VELMORA_CONFIG_DIR", config.path().c_str(), 1); }

  testsupport::CommandResult Convert(const std::string& args) {
    return testsupport::Run(std::string(VELMORA_CONVERT_PATH) + " " + args + " </dev/null");
  }
  std::string Tone(const std::string& name, double seconds = 1.0, int rate = 44100,
                   int channels = 2) {
    std::string path = work.file(name);
    testsupport::MakeTone(path, seconds, rate, channels);
    return path;
  }
  std::string out() const { return work.file("out"); }

  testsupport::TempDir config;
  testsupport::TempDir work;
};

}  // namespace

TEST_F(Cli, ConvertsIntoTheGivenFolderAndFormat) {
  std::string a = Tone("a.wav"), b = Tone("b.wav");
  auto r = Convert("--format ogg --output " + ShellQuote(out()) + " " + ShellQuote(a) + " " +
                   ShellQuote(b));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("finish\t" + a + " -> " + out() + "/a.ogg"), std::string::npos) << r.output;
  EXPECT_EQ(Probe(out() + "/a.ogg").codec, "vorbis");
  EXPECT_EQ(Probe(out() + "/b.ogg").codec, "vorbis");
}

TEST_F(Cli, StoredFormatFolderAndEncoderSettingsApply) {
  {
    TIniFile settings(SettingsFilePath());
    settings.WriteInteger("Format", "Forint", 1);  // WAV
    settings.WriteString("Format", "Dir", out());
    settings.WriteInteger("wav", "mode", 2);
    settings.WriteInteger("wav", "frequency", 4);  // 16000
    settings.WriteInteger("wav", "channel", 0);
  }
  std::string a = Tone("stored.mp3");
  auto r = Convert(ShellQuote(a));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  auto info = Probe(out() + "/stored.wav");
  EXPECT_EQ(info.sampleRate, 16000);
  EXPECT_EQ(info.channels, 1);
}

TEST_F(Cli, NormalizeWritesPrefixedFiles) {
  std::string a = Tone("n.wav");
  auto r = Convert("--normalize --output " + ShellQuote(out()) + " " + ShellQuote(a));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(Probe(out() + "/Normalize_n.wav").ok);
}

TEST_F(Cli, RefusedFormatFailsWithItsMessage) {
  {
    TIniFile settings(SettingsFilePath());
    settings.WriteInteger("mp3", "frequency", 0);  // 6000 Hz
  }
  std::string a = Tone("r.wav");
  auto r = Convert("--format mp3 --output " + ShellQuote(out()) + " " + ShellQuote(a));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("This MP3 format is not supported."), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("not converted: " + a), std::string::npos) << r.output;
  EXPECT_FALSE(FileExists(out()));
}

TEST_F(Cli, MissingFileIsNamedAndTheOthersStillConvert) {
  std::string good = Tone("good.wav");
  std::string missing = work.file("missing.wav");
  auto r = Convert("--format mp3 --output " + ShellQuote(out()) + " " + ShellQuote(missing) + " " +
                   ShellQuote(good));
  EXPECT_EQ(r.exitCode, 1);
  // One line: the file, the refusal and the reason the reader gave.
  EXPECT_NE(r.output.find(missing + ": not supported: no such file\n"), std::string::npos)
      << r.output;
  EXPECT_TRUE(Probe(out() + "/good.mp3").ok);
}

// An output whose audio could not be written whole (here: past the file-size limit, as on a
// full disk) is removed; the file converted before it stays.
class CliOutputLimit : public Cli, public ::testing::WithParamInterface<const char*> {};

TEST_P(CliOutputLimit, FailedAudioLeavesNoStub) {
  const std::string run = GetParam();
  std::string small = Tone("small.wav", 0.1);
  std::string large = Tone("large.wav", 20.0);
  ASSERT_EQ(mkdir(out().c_str(), 0755), 0);
  // The shell passes the ignored signal on, so a write past the limit fails with EFBIG.
  auto r = testsupport::Run("trap '' XFSZ; ulimit -f 128; " + std::string(VELMORA_CONVERT_PATH) +
                            " " + run + " --output " + ShellQuote(out()) + " " +
                            ShellQuote(small) + " " + ShellQuote(large) + " </dev/null");
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("error: "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("not converted: " + large), std::string::npos) << r.output;
  const std::string extension = run == "--normalize" ? ".wav" : "." + run.substr(run.size() - 3);
  const std::string prefix = run == "--normalize" ? "Normalize_" : "";
  EXPECT_TRUE(Probe(out() + "/" + prefix + "small" + extension).ok) << r.output;
  EXPECT_FALSE(FileExists(out() + "/" + prefix + "large" + extension)) << r.output;
}

INSTANTIATE_TEST_SUITE_P(Runs, CliOutputLimit,
                         ::testing::Values("--format mp3", "--format wav", "--format wma",
                                           "--format ogg", "--normalize"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string run = info.param;
                           return run.substr(run.find_last_of(" -") + 1);
                         });

// Sources beyond the four formats and Ogg streams other than Vorbis convert with their tags.
struct TaggedSource {
  const char* fileName;
  const char* encoder;
  const char* ffmpegArgs;  // inputs and encoding
};

class CliOtherSources : public Cli, public ::testing::WithParamInterface<TaggedSource> {};

TEST_P(CliOtherSources, Mp3CarriesTheSourcesTitleAndArtist) {
  const TaggedSource source = GetParam();
  if (!testsupport::FfmpegCanEncode(source.encoder)) GTEST_SKIP() << "ffmpeg has no " << source.encoder << " encoder";
  const std::string path = work.file(source.fileName);
  auto made = testsupport::Run("ffmpeg -nostdin -v error -y " + std::string(source.ffmpegArgs) +
                               " -metadata 'title=Song of " + source.fileName + "' -metadata 'artist=Ана Тест' " +
                               ShellQuote(path));
  ASSERT_EQ(made.exitCode, 0) << made.output;

  auto r = Convert("--format mp3 --output " + ShellQuote(out()) + " " + ShellQuote(path));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  const std::string output = out() + "/" + std::filesystem::path(path).stem().string() + ".mp3";
  EXPECT_EQ(Probe(output).codec, "mp3") << r.output;
  const testsupport::MutagenTags tags = testsupport::ReadWithMutagen(output);
  ASSERT_TRUE(tags.ok) << tags.error;
  EXPECT_EQ(tags.values.count("TIT2") ? tags.values.at("TIT2") : "", "Song of " + std::string(source.fileName));
  EXPECT_EQ(tags.values.count("TPE1") ? tags.values.at("TPE1") : "", "Ана Тест");
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CliOtherSources,
    ::testing::Values(TaggedSource{"flac.flac", "flac", "-f lavfi -i sine=d=1 -c:a flac"},
                      TaggedSource{"opus.opus", "libopus", "-f lavfi -i sine=d=1 -c:a libopus"},
                      TaggedSource{"aac.m4a", "aac", "-f lavfi -i sine=d=1 -c:a aac"},
                      TaggedSource{"oggopus.ogg", "libopus", "-f lavfi -i sine=d=1 -c:a libopus"},
                      TaggedSource{"video.ogg", "libtheora",
                                   "-f lavfi -i testsrc=d=1:size=160x120 -f lavfi -i sine=d=1 "
                                   "-c:v libtheora -c:a libvorbis"}),
    [](const ::testing::TestParamInfo<TaggedSource>& info) {
      std::string name = info.param.fileName;
      return name.substr(0, name.find('.'));
    });

TEST_F(Cli, NothingToConvertFails) {
  auto r = Convert("--format mp3 --output " + ShellQuote(out()) + " " +
                   ShellQuote(work.file("none.mp3")));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("nothing to convert: "), std::string::npos) << r.output;
}

// What the command line says about refused files, output folders and formats: its own lines,
// never the window's notices.
struct Wording {
  const char* name;
  const char* settings;  // kelvane.ini content
  const char* args;      // {good}, {bad}, {file} and {out} stand for paths of the test
  const char* expected;  // a whole line, with the same stand-ins and {ini}
};

class CliWording : public Cli, public ::testing::WithParamInterface<Wording> {
 protected:
  std::string Fill(std::string text) {
    const std::pair<const char*, std::string> paths[] = {
        {"{good}", work.file("good.wav")}, {"{bad}", work.file("bad.mp3")},
        {"{file}", work.file("plain.txt")}, {"{out}", out()}, {"{ini}", SettingsFilePath()}};
    for (const auto& [mark, path] : paths)
      for (size_t at; (at = text.find(mark)) != std::string::npos;)
        text.replace(at, strlen(mark), path);
    return text;
  }
};

TEST_P(CliWording, SaysItsOwnLineAndFails) {
  const Wording w = GetParam();
  Tone("good.wav", 0.2);
  testsupport::WriteFileText(work.file("bad.mp3"), "no audio here");
  testsupport::WriteFileText(work.file("plain.txt"), "a file");
  testsupport::WriteFileText(SettingsFilePath(), w.settings);
  auto r = Convert(Fill(w.args));
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(("\n" + r.output).find("\n" + Fill(w.expected) + "\n"), std::string::npos) << r.output;
  for (const char* windowText : {"Please add file!", "is not supported.\n", "File exists"})
    EXPECT_EQ(r.output.find(windowText), std::string::npos) << r.output;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CliWording,
    ::testing::Values(
        Wording{"RefusedFile", "", "--format mp3 --output {out} {bad} {good}",
                "{bad}: not supported: not an audio file the converter can read"},
        Wording{"NothingLeft", "", "--format mp3 --output {out} {bad}",
                "nothing to convert: none of the files given could be read"},
        Wording{"OutputIsAFile", "", "--output {file} {good}", "error: {file} is a file, not a folder"},
        Wording{"OutputBelowAFile", "", "--output {file}/sub {good}",
                "error: Cannot create the output folder {file}/sub/: {file} is a file, not a folder"},
        Wording{"Mp3Refused", "[mp3]\nfrequency=0\n", "--format mp3 --output {out} {good}",
                "This MP3 format is not supported. The MP3 encoder refuses 6000 Hz at 128 kbit/s, "
                "2 channels: change \"frequency\", \"bitrate\" or \"channel\" under [mp3] in {ini}."},
        Wording{"OggRefused", "[ogg]\nfrequency=9\nbitrate=0\nmax bitrate=0\nmin bitrate=0\n",
                "--format ogg --output {out} {good}",
                "This OGG format is not supported. The Vorbis encoder refuses 48000 Hz, 2 channels "
                "at 8 kbit/s (max 8 kbit/s, min 8 kbit/s): change \"frequency\", \"channel\", "
                "\"bitrate\", \"max bitrate\" or \"min bitrate\", or set \"enable quality\" to 1, "
                "under [ogg] in {ini}."}),
    [](const ::testing::TestParamInfo<Wording>& info) { return std::string(info.param.name); });

TEST_F(Cli, HelpVersionAndUsageErrors) {
  auto help = Convert("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("Usage: velmora-convert"), std::string::npos);
  auto version = Convert("--version");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_NE(version.output.find("velmora-convert 1."), std::string::npos) << version.output;
  EXPECT_EQ(Convert("").exitCode, 2);
  EXPECT_EQ(Convert("--format aiff x.wav").exitCode, 2);
  EXPECT_EQ(Convert("--bogus x.wav").exitCode, 2);
  EXPECT_EQ(Convert("--output").exitCode, 2);
}

// FFmpeg and the libraries it brings are opened only when a file needs them: not for listing
// or converting plain WAVs to FLAC, MP3 or Ogg, but for reading an MP3.
TEST_F(Cli, FfmpegIsOpenedOnlyForFilesThatNeedIt) {
  const std::string wav = Tone("plain.wav");
  const std::string mp3 = work.file("coded.mp3");
  ASSERT_EQ(testsupport::Run("ffmpeg -v error -i " + ShellQuote(wav) + " " + ShellQuote(mp3)).exitCode, 0);
  const struct {
    std::string args;
    bool opensFfmpeg;
  } runs[] = {{"--list " + ShellQuote(wav), false},
              {"--format flac --output " + ShellQuote(out()) + " " + ShellQuote(wav), false},
              {"--format mp3 --output " + ShellQuote(out()) + " " + ShellQuote(wav), false},
              {"--format ogg --output " + ShellQuote(out()) + " " + ShellQuote(mp3), true}};
  for (const auto& run : runs) {
    auto r = testsupport::Run("LD_DEBUG=files " + std::string(VELMORA_CONVERT_PATH) + " " +
                              run.args + " </dev/null");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("file=libavformat.so") != std::string::npos, run.opensFfmpeg)
        << run.args;
  }
  EXPECT_EQ(Probe(out() + "/plain.flac").codec, "flac");
  EXPECT_EQ(Probe(out() + "/coded.ogg").codec, "vorbis");
}

TEST_F(Cli, ListShowsTimeAndSize) {
  std::string a = Tone("list.wav", 2.0);
  auto r = Convert("--list " + ShellQuote(a));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output, "00:00:02\t0.34MB\tunconverted\t" + a + "\n");
}

// WAVs of every header kind list their playing time, whether our own header reading or FFmpeg
// reads them: integer, float and 24-bit 5.1 (extensible), RF64, ADPCM, one cut off mid-data.
TEST_F(Cli, ListTimesOfWavHeaders) {
  struct Kind {
    const char* name;
    std::string codecArgs;
    int channels;
    double seconds;
    const char* time;
  } const kinds[] = {{"s16.wav", "-c:a pcm_s16le", 2, 2.0, "00:00:02"},
                     {"float.wav", "-c:a pcm_f32le", 1, 3.0, "00:00:03"},
                     {"s24_5_1.wav", "-c:a pcm_s24le", 6, 4.0, "00:00:04"},
                     {"rf64.wav", "-c:a pcm_s16le -rf64 always", 2, 5.0, "00:00:05"},
                     {"adpcm.wav", "-c:a adpcm_ms", 2, 6.0, "00:00:06"},
                     {"cut.wav", "-c:a pcm_s16le", 2, 4.0, "00:00:02"}};
  std::string args = "--list", expected;
  for (const Kind& kind : kinds) {
    const std::string path = work.file(kind.name);
    ASSERT_TRUE(testsupport::MakeTone(path, kind.seconds, 44100, kind.channels, kind.codecArgs));
    args += " " + ShellQuote(path);
    expected += std::string(kind.time) + "\t" + path + "\n";
  }
  // The header still promises 4 s; 2.4 s of them are there.
  std::vector<uint8_t> cut = testsupport::ReadFileBytes(work.file("cut.wav"));
  cut.resize(cut.size() * 6 / 10);
  testsupport::WriteFileBytes(work.file("cut.wav"), cut);
  auto r = Convert(args);
  EXPECT_EQ(r.exitCode, 0);
  std::string times;  // time and path of each line, without the size and state between
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);)
    times += line.substr(0, line.find('\t')) + line.substr(line.rfind('\t')) + "\n";
  EXPECT_EQ(times, expected) << r.output;
}

TEST_F(Cli, CtrlCStopsTheCurrentFileAndEndsTheRun) {
  std::string longer = Tone("long.wav", 600.0, 22050, 1);
  std::string never = Tone("never.wav");
  std::string output = out() + "/long.mp3";
  std::string log = work.file("log.txt");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  std::string outArg = out();
  // One file at a time: the second file must never start.
  std::vector<std::string> args = {VELMORA_CONVERT_PATH, "--jobs", "1", "--format", "mp3",
                                   "--output", outArg, longer, never};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, VELMORA_CONVERT_PATH, &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);

  // Wait until the output has grown, then press Ctrl-C.
  struct stat st{};
  for (int i = 0; i < 3000 && !(stat(output.c_str(), &st) == 0 && st.st_size > 50000); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  std::string text;
  for (uint8_t c : testsupport::ReadFileBytes(log)) text += static_cast<char>(c);

  ASSERT_TRUE(WIFEXITED(status)) << text;
  EXPECT_EQ(WEXITSTATUS(status), 130) << text;
  EXPECT_NE(text.find("stopped\t" + longer), std::string::npos) << text;
  EXPECT_EQ(text.find("finish\t"), std::string::npos) << text;
  EXPECT_NE(text.find("not converted: " + never), std::string::npos) << text;
  double written = testsupport::DecodedSeconds(output);
  EXPECT_GT(written, 0.5);
  EXPECT_LT(written, 590.0);
  EXPECT_FALSE(FileExists(out() + "/never.mp3"));
}

TEST_F(Cli, CutShortWavConvertsWhatIsThereAndSaysSo) {
  const std::string source = Tone("cut.wav", 2.0);
  // Keep the header's promise of two seconds but only about half of the audio.
  ASSERT_EQ(truncate(source.c_str(), 44 + 44100 * 4), 0);
  auto r = Convert("--format mp3 --output " + ShellQuote(out()) + " " + ShellQuote(source));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find(source + ": the file ends early"), std::string::npos) << r.output;
  const auto info = Probe(out() + "/cut.mp3");
  ASSERT_TRUE(info.ok) << r.output;
  EXPECT_NEAR(info.duration, 1.0, 0.1);
}

// Each encoder option against the stored defaults: what ffprobe sees of the output changes.
struct OptionCase {
  std::string label;
  std::string options;
  std::string extension;
  std::function<bool(const testsupport::ProbeInfo&)> seen;
};

void PrintTo(const OptionCase& c, std::ostream* out) { *out << c.options; }

class CliEncoderOptions : public Cli, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(CliEncoderOptions, EachOptionShowsInTheOutput) {
  const OptionCase& c = GetParam();
  std::string a = Tone("opt.wav", 2.0);
  auto r = Convert(c.options + " --output " + ShellQuote(out()) + " " + ShellQuote(a));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  auto info = Probe(out() + "/opt" + c.extension);
  EXPECT_TRUE(c.seen(info)) << c.options << ": " << info.codec << " " << info.sampleRate << " Hz "
                            << info.channels << " ch " << info.bitsPerSample << " bits "
                            << info.bitRate << " bit/s";
  // Nothing the command line set is stored.
  EXPECT_FALSE(FileExists(config.file("kelvane.ini")));
}

bool Near(long value, long wanted) { return value > wanted * 0.9 && value < wanted * 1.1; }

INSTANTIATE_TEST_SUITE_P(
    Flags, CliEncoderOptions,
    ::testing::Values(
        OptionCase{"Mp3Bitrate", "--format mp3 --bitrate 64", ".mp3", [](auto& i) { return Near(i.bitRate, 64000); }},
        OptionCase{"Mp3Vbr", "--format=mp3 --vbr --quality 9 --bitrate 96", ".mp3", [](auto& i) { return i.bitRate < 90000; }},
        OptionCase{"Mp3CbrRateChannels", "--format mp3 --cbr --rate 22050 --channels 1", ".mp3",
                   [](auto& i) { return i.sampleRate == 22050 && i.channels == 1; }},
        OptionCase{"WavBits", "--format wav --bits 8 --rate 16000", ".wav",
                   [](auto& i) { return i.bitsPerSample == 8 && i.sampleRate == 16000; }},
        OptionCase{"WmaProfile", "--format wma --wma-profile 13", ".wma", [](auto& i) { return Near(i.bitRate, 64000); }},
        OptionCase{"OggQuality", "--format ogg --quality 0", ".ogg", [](auto& i) { return i.bitRate > 200000; }},
        OptionCase{"OggCbr", "--format ogg --cbr --bitrate 64", ".ogg", [](auto& i) { return Near(i.bitRate, 64000); }},
        OptionCase{"OggAbr", "--format ogg --abr --bitrate 160", ".ogg", [](auto& i) { return Near(i.bitRate, 160000); }},
        OptionCase{"FlacBitsRateChannels", "--format flac --bits 24 --rate 32000 --channels 1", ".flac",
                   [](auto& i) { return i.bitsPerSample == 24 && i.sampleRate == 32000 && i.channels == 1; }},
        OptionCase{"FlacCompression", "--format flac --compression 0", ".flac", [](auto& i) { return i.bitRate > 150000; }},
        OptionCase{"FlacDefaultIsTheSources", "--format flac", ".flac",
                   [](auto& i) { return i.bitsPerSample == 16 && i.sampleRate == 44100 && i.bitRate < 150000; }},
        OptionCase{"OpusCbr", "--format opus --cbr --bitrate 64", ".opus", [](auto& i) { return Near(i.bitRate, 64000); }},
        OptionCase{"OpusChannels", "--format opus --channels 1 --quality 0 --abr", ".opus",
                   [](auto& i) { return i.channels == 1 && i.sampleRate == 48000; }},
        OptionCase{"M4aBitrate", "--format m4a --bitrate 96 --abr", ".m4a", [](auto& i) { return Near(i.bitRate, 96000); }},
        OptionCase{"M4aVbr", "--format m4a --vbr --quality 0.3", ".m4a", [](auto& i) { return i.bitRate < 120000; }},
        OptionCase{"M4aRate", "--format m4a --rate 32000 --channels 1 --cbr", ".m4a",
                   [](auto& i) { return i.sampleRate == 32000 && i.channels == 1; }},
        OptionCase{"PresetPhone", "--preset phone --cbr", ".opus", [](auto& i) { return Near(i.bitRate, 96000); }},
        OptionCase{"PresetArchive", "--preset=archive --format flac", ".flac", [](auto& i) { return i.codec == "flac"; }},
        OptionCase{"PresetMp3V0", "-j1 --preset mp3-v0", ".mp3", [](auto& i) { return i.codec == "mp3"; }}),
    [](const ::testing::TestParamInfo<OptionCase>& info) { return info.param.label; });

// Options the chosen format has no use for, values out of range and combinations the encoder
// refuses: usage errors that name the option, and nothing is converted.
TEST_F(Cli, RefusedEncoderOptionsAreUsageErrorsNamingTheOption) {
  std::string a = Tone("r.wav", 0.5);
  const std::pair<std::string, std::string> cases[] = {
      {"--format mp3 --bitrate 320 --rate 8000", "--bitrate 320"},
      {"--format mp3 --abr", "--abr"},
      {"--format flac --bitrate 128", "--bitrate"},
      {"--format flac --compression 9", "--compression"},
      {"--format flac --bits 12", "--bits"},
      {"--format wav --bits 24", "--bits"},
      {"--format opus --rate 44100", "--rate"},
      {"--format opus --bitrate 600", "--bitrate"},
      {"--format m4a --bitrate 320 --rate 8000 --channels 1", "--bitrate 320"},
      {"--format m4a --cbr --quality 1", "--quality"},
      {"--format ogg --vbr --bitrate 128", "--bitrate"},
      {"--format wma --channels 1", "--channels"},
      {"--vbr --cbr", "--vbr"},
      {"--preset phone --format mp3", "--preset phone"},
      {"--preset nothing", "nothing"},
      {"--normalize --bitrate 128", "--bitrate"},
      {"--quality high --format ogg", "--quality"},
      {"--name '%artist/%title%'", "--name: The field that starts at character 1"},
  };
  for (const auto& [options, named] : cases) {
    auto r = Convert(options + " --output " + ShellQuote(out()) + " " + ShellQuote(a));
    EXPECT_EQ(r.exitCode, 2) << options << ": " << r.output;
    EXPECT_NE(r.output.find(named), std::string::npos) << options << ": " << r.output;
    EXPECT_FALSE(std::filesystem::exists(out())) << options;
  }
  EXPECT_NE(Convert("--help").output.find("--compression 0..8"), std::string::npos);
}

// A damaged or unusual source first in a batch of three: it converts as far as its audio goes,
// with the notice that says why it is short, and the two files after it convert too.
struct DamagedSource {
  const char* name;
  const char* notice;  // on stderr after the source's path; empty: none
  double seconds;      // of its output
};

class CliDamagedSource : public Cli, public ::testing::WithParamInterface<DamagedSource> {
 protected:
  std::string Make(const std::string& kind) {
    const std::string ff = "ffmpeg -nostdin -v error -y -f lavfi -i sine=d=3:r=48000 ";
    std::string path = work.file(kind);
    if (kind == "cut.wv") {  // WavPack cut at 90 %: FFmpeg's reader fails at the cut
      EXPECT_EQ(testsupport::Run(ff + "-c:a wavpack " + ShellQuote(path)).exitCode, 0);
      auto bytes = testsupport::ReadFileBytes(path);
      bytes.resize(bytes.size() * 9 / 10);
      testsupport::WriteFileBytes(path, bytes);
    } else if (kind == "chained.ogg") {  // `cat vorbis.ogg opus.ogg`
      const std::string a = work.file("a.ogg"), b = work.file("b.ogg");
      EXPECT_EQ(testsupport::Run(ff + "-c:a libvorbis " + ShellQuote(a) + " && " + ff +
                                 "-c:a libopus " + ShellQuote(b) + " && cat " + ShellQuote(a) +
                                 " " + ShellQuote(b) + " > " + ShellQuote(path)).exitCode, 0);
    } else if (kind == "tone.dsf") {
      testsupport::WriteDsdSecond(path, false);
    }
    return path;
  }
};

TEST_P(CliDamagedSource, ConvertsItsAudioAndTheRestOfTheBatch) {
  const DamagedSource& source = GetParam();
  const std::string damaged = Make(source.name);
  auto r = Convert("--format mp3 --output " + ShellQuote(out()) + " " + ShellQuote(damaged) + " " +
                   ShellQuote(Tone("b.wav")) + " " + ShellQuote(Tone("c.wav")));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  if (*source.notice) {
    EXPECT_NE(r.output.find(damaged + ": " + source.notice), std::string::npos) << r.output;
  }
  const std::string stem = std::filesystem::path(damaged).stem().string();
  EXPECT_NEAR(testsupport::DecodedSeconds(out() + "/" + stem + ".mp3"), source.seconds, 0.35) << r.output;
  EXPECT_NEAR(testsupport::DecodedSeconds(out() + "/b.mp3"), 1.0, 0.1) << r.output;
  EXPECT_NEAR(testsupport::DecodedSeconds(out() + "/c.mp3"), 1.0, 0.1) << r.output;
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CliDamagedSource,
    ::testing::Values(DamagedSource{"cut.wv", "the file ends early", 2.0},
                      DamagedSource{"chained.ogg", "the audio changes from Vorbis to Opus", 3.0},
                      DamagedSource{"tone.dsf", "", 1.0}),
    [](const ::testing::TestParamInfo<DamagedSource>& info) {
      std::string name = info.param.name;
      return name.substr(name.find('.') + 1);
    });
