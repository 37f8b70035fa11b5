// Sources whose header does not tell the whole story: files that play longer than their
// reported length (VBR MP3 without an info frame, chained Ogg), files cut short, files with no
// audio at all, and files whose format the reader cannot hand on. The reader must deliver
// every sample there is and refuse at open what it could not deliver.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestUtil.h"
#include "engines/AudioTransform2.h"
#include "support/TestSupport.h"

using namespace testsupport;
using enginetest::HasFfmpegEncoder;
using enginetest::ReadAll;

namespace {

void MakeOrFail(const std::string& commandLine) {
  CommandResult r = Run(commandLine);
  ASSERT_EQ(r.exitCode, 0) << commandLine << "\n" << r.output;
}

std::string Ffmpeg(const std::string& args) {
  return "ffmpeg -nostdin -hide_banner -loglevel error -y " + args;
}

std::vector<uint8_t> WavBytes(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t declaredData,
                              size_t actualData) {
  std::vector<uint8_t> h;
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) h.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto tag = [&](const char* t) { h.insert(h.end(), t, t + 4); };
  const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
  tag("RIFF"); put(36 + declaredData, 4); tag("WAVE"); tag("fmt "); put(16, 4);
  put(1, 2); put(channels, 2); put(rate, 4); put(rate * blockAlign, 4); put(blockAlign, 2);
  put(bits, 2); tag("data"); put(declaredData, 4);
  for (size_t i = 0; i < actualData; ++i)  // a loud square-ish wave, never silence
    h.push_back(static_cast<uint8_t>((i / 64) % 2 ? 0x40 : 0xC0));
  return h;
}

// Root-mean-square level in dB of the 16-bit samples from `from` to `to` seconds.
double RmsDb(const enginetest::ReadResult& r, double from, double to) {
  const size_t begin = static_cast<size_t>(from * r.sampleRate) * r.channels;
  const size_t end = std::min(r.samples.size(), static_cast<size_t>(to * r.sampleRate) * r.channels);
  double sum = 0;
  for (size_t i = begin; i < end; ++i) sum += static_cast<double>(r.samples[i]) * r.samples[i];
  return 10.0 * std::log10(sum / std::max<size_t>(1, end - begin) / (32768.0 * 32768.0));
}

// ffmpeg's stereo tone peaks at -21 dBFS per side; normalising raises it by the +20 dB limit,
// short of 98 %, to a -1 dBFS sine: -4.1 dB RMS. Its mono tone (-18 dBFS) reaches 98 %: -3.2.
constexpr double kNormalisedToneRmsDb = -4.1;
constexpr double kNormalisedMonoToneRmsDb = -3.2;

// Reads the whole source in three-second blocks, as the normalize run asks for them, and
// normalises each block; the result keeps the samples.
enginetest::ReadResult NormaliseWhole(const std::string& path) {
  TAudioFile2 reader;
  reader.OpenForRead(path);
  enginetest::ReadResult r;
  r.sampleRate = reader.SampleRate();
  r.channels = reader.Channels();
  r.length = reader.Length();
  TAudioTransform2 transform;
  const int blockBytes = reader.SampleRate() * reader.Channels() * 3;
  for (ByteBlock block; !(block = reader.ReadBlock(blockBytes)).empty();) {
    transform.NormalizeBlock(block, 98.0f, TAudioTransform2::kAllChannels);
    for (size_t i = 0; i + 1 < block.size(); i += 2)
      r.samples.push_back(static_cast<int16_t>(block[i] | (block[i + 1] << 8)));
  }
  r.decodedFrames = static_cast<int64_t>(r.samples.size()) / r.channels;
  return r;
}

// A VBR MP3 without an info frame whose first seconds are loud noise: the length FFmpeg
// estimates from the first frame's bit rate falls well short of the real one.
TEST(PastTheLength, VbrMp3WithoutInfoFrameIsReadToItsEnd) {
  TempDir dir;
  const std::string mp3 = dir.file("vbr.mp3");
  MakeOrFail(Ffmpeg("-f lavfi -i anoisesrc=d=2:r=44100:a=0.9 -f lavfi -i sine=f=440:r=44100:d=10 "
                    "-filter_complex '[0][1]concat=n=2:v=0:a=1' -ac 2 -c:a libmp3lame -q:a 2 "
                    "-write_xing 0 " + ShellQuote(mp3)));
  const double real = DecodedSeconds(mp3);
  ASSERT_NEAR(real, 12.0, 0.1);
  auto r = NormaliseWhole(mp3);
  EXPECT_LT(r.length, 11 * 44100) << "the header's estimate is meant to be short here";
  EXPECT_NEAR(r.decodedFrames / 44100.0, real, 0.05);
  // The tone part normalises to one steady level.
  EXPECT_NEAR(RmsDb(r, 4.0, 6.0), kNormalisedToneRmsDb, 0.5);
  EXPECT_NEAR(RmsDb(r, real - 2.0, real - 0.1), RmsDb(r, 4.0, 6.0), 0.5) << "the last seconds";
}

struct Chain {
  const char* name;
  int secondRate, secondChannels;
};

void PrintTo(const Chain& c, std::ostream* os) { *os << c.name; }

class ChainedOgg : public ::testing::TestWithParam<Chain> {};

// `cat a.ogg b.ogg`: the length counts both chains, in the announced format, without a
// decode; reading goes on through the second chain at the first chain's rate and channels.
TEST_P(ChainedOgg, LengthAndAudioCoverEveryChain) {
  const Chain& c = GetParam();
  TempDir dir;
  const std::string a = dir.file("a.ogg"), b = dir.file("b.ogg"), both = dir.file("both.ogg");
  ASSERT_TRUE(MakeTone(a, 5.0, 44100, 2, "-c:a libvorbis"));
  ASSERT_TRUE(MakeTone(b, 5.0, c.secondRate, c.secondChannels, "-c:a libvorbis"));
  MakeOrFail("cat " + ShellQuote(a) + " " + ShellQuote(b) + " > " + ShellQuote(both));

  TAudioFile2 reader;
  reader.OpenForRead(both);
  EXPECT_EQ(reader.SampleRate(), 44100);
  EXPECT_EQ(reader.Channels(), 2);
  EXPECT_NEAR(reader.Length() / 44100.0, 10.0, 0.05);
  EXPECT_NEAR(reader.DurationMs() / 1000.0, 10.0, 0.05);
  EXPECT_FALSE(reader.EndsEarly());
  reader.Close();

  auto r = NormaliseWhole(both);
  EXPECT_NEAR(r.decodedFrames / 44100.0, 10.0, 0.05);
  EXPECT_NEAR(RmsDb(r, 1.0, 3.0), kNormalisedToneRmsDb, 0.5);
  const double secondLevel = c.secondChannels == 1 ? kNormalisedMonoToneRmsDb : kNormalisedToneRmsDb;
  EXPECT_NEAR(RmsDb(r, 7.0, 9.9), secondLevel, 0.5) << "the second chain";
}

INSTANTIATE_TEST_SUITE_P(Chains, ChainedOgg,
                         ::testing::Values(Chain{"same_format", 44100, 2},
                                           Chain{"second_22k_mono", 22050, 1}),
                         [](const ::testing::TestParamInfo<Chain>& info) {
                           return std::string(info.param.name);
                         });

// Theora video and Vorbis audio in one Ogg: the audio stream is the one read and measured.
TEST(OtherStreams, OggWithVideoGivesItsAudio) {
  if (!HasFfmpegEncoder("libtheora")) GTEST_SKIP() << "the installed ffmpeg cannot encode Theora";
  TempDir dir;
  const std::string path = dir.file("video.ogg");
  MakeOrFail(Ffmpeg("-f lavfi -i testsrc=duration=3:size=64x48:rate=10 -f lavfi -i "
                    "sine=f=440:r=32000:d=3 -c:v libtheora -c:a libvorbis -ac 1 " +
                    ShellQuote(path)));
  auto r = ReadAll(path);
  EXPECT_EQ(r.sampleRate, 32000);
  EXPECT_EQ(r.channels, 1);
  EXPECT_NEAR(r.decodedFrames / 32000.0, 3.0, 0.05);
  EXPECT_NEAR(r.length / 32000.0, 3.0, 0.05);
  EXPECT_GT(r.peak, 3000);
}

struct Cut {
  const char* name;
  const char* extension;
  const char* codecArgs;
};

void PrintTo(const Cut& c, std::ostream* os) { *os << c.name; }

class CutSource : public ::testing::TestWithParam<Cut> {};

// A source cut at 60 % converts up to the cut and says it ends early; the whole one does not.
TEST_P(CutSource, ConvertsWhatIsThereAndSaysItEndsEarly) {
  const Cut& c = GetParam();
  TempDir dir;
  const std::string whole = dir.file(std::string("whole") + c.extension);
  const std::string cut = dir.file(std::string("cut") + c.extension);
  ASSERT_TRUE(MakeTone(whole, 5.0, 44100, 2, c.codecArgs));
  auto bytes = ReadFileBytes(whole);
  bytes.resize(bytes.size() * 6 / 10);
  WriteFileBytes(cut, bytes);

  TAudioFile2 reader;
  reader.OpenForRead(whole);
  EXPECT_FALSE(reader.EndsEarly());
  reader.OpenForRead(cut);
  EXPECT_TRUE(reader.EndsEarly());
  reader.Close();
  auto r = ReadAll(cut);
  EXPECT_NEAR(r.decodedFrames / 44100.0, DecodedSeconds(cut), 0.05);
  EXPECT_GT(r.decodedFrames / 44100.0, 1.5);  // the headers take a part of the bytes
  EXPECT_LT(r.decodedFrames / 44100.0, 3.3);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CutSource,
    ::testing::Values(Cut{"wav", ".wav", "-c:a pcm_s16le"},
                      Cut{"wav_float", ".wav", "-c:a pcm_f32le"},
                      Cut{"ogg", ".ogg", "-c:a libvorbis"},
                      Cut{"mp3_with_info_frame", ".mp3", "-c:a libmp3lame -b:a 128k"},
                      Cut{"wma", ".wma", "-c:a wmav2 -b:a 128k"}),
    [](const ::testing::TestParamInfo<Cut>& info) { return std::string(info.param.name); });

TEST(CutSource, WavHeaderPromisingTenTimesTheDataConvertsTheSecondThereIs) {
  TempDir dir;
  const std::string path = dir.file("short.wav");
  WriteFileBytes(path, WavBytes(2, 44100, 16, 10 * 44100 * 4, 44100 * 4));
  TAudioFile2 reader;
  reader.OpenForRead(path);
  EXPECT_TRUE(reader.EndsEarly());
  reader.Close();
  EXPECT_EQ(ReadAll(path).decodedFrames, 44100);
}

void ExpectRefusedAtOpen(const std::string& path, const std::string& reason) {
  TAudioFile2 reader;
  try {
    reader.OpenForRead(path);
    ADD_FAILURE() << path << " was opened; " << reason << " expected";
  } catch (const EngineError& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("Cannot open " + path + ": ", 0), 0u) << text;
    EXPECT_NE(text.find(reason), std::string::npos) << text;
  }
  EXPECT_FALSE(reader.IsOpen());
}

TEST(NoAudio, SourcesWithoutASampleAreRefusedAtOpen) {
  TempDir dir;
  const std::string wav = dir.file("empty.wav");
  WriteFileBytes(wav, WavBytes(2, 44100, 16, 0, 0));
  ExpectRefusedAtOpen(wav, "has no audio");
  const std::pair<const char*, const char*> kinds[] = {
      {"empty.mp3", "-c:a libmp3lame"}, {"empty.ogg", "-c:a libvorbis"},
      {"empty.wma", "-c:a wmav2"}, {"ffmpeg.wav", "-c:a pcm_s16le"}};
  for (const auto& [name, args] : kinds) {
    const std::string path = dir.file(name);
    MakeOrFail(Ffmpeg("-f lavfi -i anullsrc=r=44100:cl=stereo -t 0 " + std::string(args) + " " +
                      ShellQuote(path)));
    ExpectRefusedAtOpen(path, "has no audio");
  }
}

// Formats the reader cannot turn into blocks are refused when the file is opened (and so when
// it is added), not half-way through a run.
TEST(RefusedAtOpen, FormatsTheReaderCannotHandOn) {
  TempDir dir;
  const std::string many = dir.file("32ch.wav"), slow = dir.file("1hz.wav"), tiny = dir.file("2b.wav");
  WriteFileBytes(many, WavBytes(32, 44100, 16, 44100 * 64, 44100 * 64));
  WriteFileBytes(slow, WavBytes(2, 1, 16, 400, 400));
  WriteFileBytes(tiny, WavBytes(2, 44100, 16, 2, 2));
  ExpectRefusedAtOpen(many, "32 channels");
  ExpectRefusedAtOpen(slow, "1 Hz");
  ExpectRefusedAtOpen(tiny, "has no audio");
}

}  // namespace
