// Writing WAV through the engine: the format chosen (or the source's own), resampling and
// channel mixing on the way, RIFF sizes, and the writer's refusals.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "EngineTestUtil.h"
#include "support/TestSupport.h"

using namespace testsupport;
using enginetest::Convert;
using enginetest::ReadAll;

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

// Zero crossings per second of the first channel: twice the tone's frequency.
double CrossingsPerSecond(const enginetest::ReadResult& r) {
  int crossings = 0;
  for (size_t i = r.channels; i < r.samples.size(); i += r.channels)
    if ((r.samples[i - r.channels] < 0) != (r.samples[i] < 0)) ++crossings;
  return crossings / (static_cast<double>(r.samples.size() / r.channels) / r.sampleRate);
}

struct WavCase {
  const char* name;
  int sourceRate, sourceChannels;
  int rate, channels, bits;  // bits 0: no SetWavFormat call
  int expectRate, expectChannels, expectPeak;
};

void PrintTo(const WavCase& c, std::ostream* os) { *os << c.name; }

class WriteWav : public ::testing::TestWithParam<WavCase> {};

TEST_P(WriteWav, OutputHasTheFormatLengthPitchAndLevelExpected) {
  const WavCase& c = GetParam();
  TempDir dir;
  const std::string source = dir.file("source.wav"), output = dir.file("out.wav");
  constexpr double kSeconds = 2.5;
  ASSERT_TRUE(MakeTone(source, kSeconds, c.sourceRate, c.sourceChannels, "-c:a pcm_s16le"));
  Convert(source, output, [&](TAudioFile2& writer) {
    if (c.bits) writer.SetWavFormat(c.rate, c.channels, c.bits);
  });

  ProbeInfo probe = Probe(output);
  ASSERT_TRUE(probe.ok);
  EXPECT_EQ(probe.codec, c.bits == 8 ? "pcm_u8" : "pcm_s16le");
  EXPECT_EQ(probe.sampleRate, c.expectRate);
  EXPECT_EQ(probe.channels, c.expectChannels);
  EXPECT_NEAR(probe.duration, kSeconds, 0.05);

  auto back = ReadAll(output, 0, true);
  EXPECT_EQ(back.sampleRate, c.expectRate);
  EXPECT_EQ(back.channels, c.expectChannels);
  EXPECT_NEAR(static_cast<double>(back.decodedFrames) / back.sampleRate, kSeconds, 0.05);
  EXPECT_EQ(back.length, back.decodedFrames);
  EXPECT_NEAR(CrossingsPerSecond(back), 880, 10) << "a 440 Hz tone stays 440 Hz";
  EXPECT_NEAR(back.peak, c.expectPeak, c.bits == 8 ? 300 : 60);

  // RIFF and data sizes patched on Close, data padded to even length.
  auto bytes = ReadFileBytes(output);
  ASSERT_GE(bytes.size(), 44u);
  EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
  const uint32_t dataBytes = Le32(bytes, 40);
  EXPECT_EQ(dataBytes + (dataBytes & 1), bytes.size() - 44);
}

// ffmpeg's tone peaks at 4096 in mono and 2896 per side in stereo.
INSTANTIATE_TEST_SUITE_P(
    Formats, WriteWav,
    ::testing::Values(
        WavCase{"source_format_when_none_set", 48000, 1, 0, 0, 0, 48000, 1, 4096},
        WavCase{"cd_from_48k_stereo", 48000, 2, 44100, 2, 16, 44100, 2, 2896},
        WavCase{"cd_from_22k_mono_upmixed_at_full_level", 22050, 1, 44100, 2, 16, 44100, 2, 4096},
        WavCase{"mono_8bit_from_cd", 44100, 2, 22050, 1, 8, 22050, 1, 2896},
        WavCase{"odd_byte_count_8bit_mono", 11025, 1, 11025, 1, 8, 11025, 1, 4096},
        WavCase{"low_rate_6000", 44100, 2, 6000, 2, 16, 6000, 2, 2896}),
    [](const ::testing::TestParamInfo<WavCase>& info) { return std::string(info.param.name); });

TEST(WriteWavFormat, LastSetWavFormatWinsAndPersistsAcrossOutputs) {
  TempDir dir;
  const std::string source = dir.file("s.wav");
  ASSERT_TRUE(MakeTone(source, 0.5, 44100, 2));
  TAudioFile2 reader, writer;
  writer.SetWavFormat(8000, 1, 8);
  writer.SetWavFormat(16000, 2, 16);
  for (const char* name : {"a.wav", "b.wav"}) {
    reader.OpenForRead(source, ReadMode::kWholeSource, ReadFlags::kPcm16);
    writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
    writer.OpenForWrite(dir.file(name), WriteMode::kCreateNew);
    for (ByteBlock b; !(b = reader.ReadBlock(88200)).empty();) writer.WriteBlock(b);
    writer.Close();
    ProbeInfo p = Probe(dir.file(name));
    EXPECT_EQ(p.sampleRate, 16000) << name;
    EXPECT_EQ(p.channels, 2) << name;
  }
}

TEST(WriteWavFormat, SourceFormatMayChangeBetweenBlocks) {
  TempDir dir;
  const std::string a = dir.file("a.wav"), b = dir.file("b.wav"), out = dir.file("out.wav");
  ASSERT_TRUE(MakeTone(a, 1.0, 44100, 2));
  ASSERT_TRUE(MakeTone(b, 1.0, 22050, 1));
  TAudioFile2 writer;
  writer.SetWavFormat(44100, 2, 16);
  writer.SetSourceFormat(44100, 2);
  writer.OpenForWrite(out, WriteMode::kCreateNew);
  for (const std::string& source : {a, b}) {
    TAudioFile2 reader;
    reader.OpenForRead(source, ReadMode::kWholeSource, ReadFlags::kPcm16);
    for (ByteBlock block; !(block = reader.ReadBlock(4000)).empty();) {
      writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
      writer.WriteBlock(block);
    }
  }
  writer.Close();
  EXPECT_NEAR(ReadAll(out).decodedFrames / 44100.0, 2.0, 0.01);
}

TEST(WriteRefusals, UnknownExtensionsAreRefusedWithThePath) {
  TempDir dir;
  TAudioFile2 writer;
  writer.SetSourceFormat(44100, 2);
  // Only the output formats; their letter case does not matter (see the encoded tests).
  for (const char* name : {"out.aiff", "out", "out.wav.txt", "out.mp3.part"}) {
    const std::string path = dir.file(name);
    try {
      writer.OpenForWrite(path, WriteMode::kCreateNew);
      ADD_FAILURE() << name << " was accepted";
    } catch (const EngineError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(writer.IsOpen());
  }
}

TEST(WriteRefusals, UpperCaseExtensionsPickTheirEncoder) {
  TempDir dir;
  TAudioFile2 writer;
  writer.SetSourceFormat(44100, 2);
  for (const auto& [name, codec] :
       {std::pair{"OUT.MP3", "mp3"}, std::pair{"Out.Wav", "pcm_s16le"}}) {
    const std::string path = dir.file(name);
    writer.OpenForWrite(path, WriteMode::kCreateNew);
    writer.WriteBlock(ByteBlock(44100 * 4, 0));
    writer.Close();
    EXPECT_EQ(Probe(path).codec, codec) << name;
  }
}

TEST(WriteRefusals, MissingOrUnwritableFolder) {
  TempDir dir;
  TAudioFile2 writer;
  writer.SetSourceFormat(44100, 2);
  const std::string missing = dir.file("no/such/folder/out.wav");
  try {
    writer.OpenForWrite(missing, WriteMode::kCreateNew);
    ADD_FAILURE() << "wrote into a missing folder";
  } catch (const EngineError& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("does not exist"), std::string::npos) << e.what();
  }
  // Root writes anywhere permissions say; /proc refuses new files even to root.
  std::string locked = "/proc/velmora-out.wav";
  if (geteuid() != 0) {
    ASSERT_EQ(mkdir(dir.file("locked").c_str(), 0500), 0);
    locked = dir.file("locked/out.wav");
  }
  EXPECT_THROW(writer.OpenForWrite(locked, WriteMode::kCreateNew), EngineError);
  EXPECT_FALSE(writer.IsOpen());
}

TEST(WriteRefusals, BadFormatsAndMisuse) {
  TempDir dir;
  TAudioFile2 writer;
  EXPECT_THROW(writer.WriteBlock(ByteBlock(8)), EngineError) << "nothing open";
  writer.SetSourceFormat(44100, 2);
  writer.SetWavFormat(44100, 9, 16);  // more channels than a block carries
  EXPECT_THROW(writer.OpenForWrite(dir.file("a.wav"), WriteMode::kCreateNew), EngineError);
  EXPECT_FALSE(FileExists(dir.file("a.wav")));
  writer.SetWavFormat(44100, 2, 20);
  EXPECT_THROW(writer.OpenForWrite(dir.file("a.wav"), WriteMode::kCreateNew), EngineError);
  writer.SetWavFormat(44100, 2, 16);
  writer.SetSourceFormat(0, 2);
  EXPECT_THROW(writer.OpenForWrite(dir.file("a.wav"), WriteMode::kCreateNew), EngineError);

  writer.SetSourceFormat(44100, 2);
  writer.OpenForWrite(dir.file("a.wav"), WriteMode::kCreateNew);
  EXPECT_THROW(writer.WriteBlock(ByteBlock(6)), EngineError) << "not whole stereo frames";
  EXPECT_THROW(writer.SetSourceFormat(44100, 9), EngineError);
  writer.Close();
  EXPECT_TRUE(Probe(dir.file("a.wav")).ok);
}

}  // namespace

TEST(WriteRefusals, NewOutputNeverReplacesAFileAndReplaceModeDoes) {
  TempDir dir;
  const std::string taken = dir.file("taken.wav");
  WriteFileText(taken, "keep me");
  TAudioFile2 writer;
  writer.SetSourceFormat(44100, 2);
  try {
    writer.OpenForWrite(taken, WriteMode::kCreateNew);
    ADD_FAILURE() << "an existing file was opened for writing";
  } catch (const EngineError& e) {
    EXPECT_NE(std::string(e.what()).find("already exists"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(taken), std::vector<uint8_t>({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));

  // A refused format after the name was claimed leaves no empty file behind.
  writer.SetWavFormat(44100, 9, 16);
  EXPECT_THROW(writer.OpenForWrite(dir.file("fresh.wav"), WriteMode::kCreateNew), EngineError);
  EXPECT_FALSE(FileExists(dir.file("fresh.wav")));

  writer.SetWavFormat(44100, 2, 16);
  writer.OpenForWrite(taken, WriteMode::kReplace);
  writer.WriteBlock(ByteBlock(4 * 441));
  writer.Close();
  EXPECT_TRUE(Probe(taken).ok);
}
