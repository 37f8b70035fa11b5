// MP3, OGG and WMA written through the engine's writer from real sources, checked with
// ffprobe and read back through the engine: rate, channels, bit rate and length as set.
#include <gtest/gtest.h>

#include <filesystem>

#include "EngineTestUtil.h"
#include "engines/WmaProfiles.h"
#include "support/TestSupport.h"

using namespace testsupport;
using enginetest::Convert;
using enginetest::ReadAll;

namespace {

constexpr double kSeconds = 6.0;

struct Expected {
  std::string codec;
  int rate, channels;
  long bitRate;  // bit/s; 0 = not checked
};

// The output's format as ffprobe and as the engine see it, and its length both ways.
void ExpectOutput(const std::string& path, const Expected& e) {
  ProbeInfo probe = Probe(path);
  ASSERT_TRUE(probe.ok) << path;
  EXPECT_EQ(probe.codec, e.codec);
  EXPECT_EQ(probe.sampleRate, e.rate);
  EXPECT_EQ(probe.channels, e.channels);
  if (e.bitRate) {
    EXPECT_NEAR(probe.bitRate, e.bitRate, e.bitRate * 0.06) << path;
  }
  EXPECT_NEAR(DecodedSeconds(path), kSeconds, 0.06) << path;

  auto back = ReadAll(path);
  EXPECT_EQ(back.sampleRate, e.rate);
  EXPECT_EQ(back.channels, e.channels);
  EXPECT_NEAR(static_cast<double>(back.length) / e.rate, kSeconds, 0.06) << "header length";
  EXPECT_NEAR(static_cast<double>(back.decodedFrames) / e.rate, kSeconds, 0.06);
  EXPECT_GT(back.peak, 1500) << "the tone survives";
}

class EncodedOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MakeTone(stereo44_, kSeconds, 44100, 2));
    ASSERT_TRUE(MakeTone(mono48_, kSeconds, 48000, 1));
  }
  TempDir dir_;
  std::string stereo44_ = dir_.file("stereo44.wav");
  std::string mono48_ = dir_.file("mono48.wav");
};

TEST_F(EncodedOutput, Mp3ConstantBitRate) {
  TAudioFile2LameEnc encoder;
  encoder.SetSampleRate(44100);
  encoder.SetBitRate(128);
  encoder.SetChannels(2);
  encoder.SetQuality(9);
  encoder.SetVbrMethod(TAudioFile2LameEnc::kVbrOff);
  const std::string out = dir_.file("cbr.mp3");
  Convert(mono48_, out, [&](TAudioFile2& w) {
    w.SetMp3Encoder(encoder);
    encoder.SetBitRate(320);  // the writer took a copy of the values
  });
  ExpectOutput(out, {"mp3", 44100, 2, 128000});
  // Same encoder object, new values: the writer takes them at the next SetMp3Encoder.
  encoder.SetBitRate(64);
  encoder.SetSampleRate(22050);
  encoder.SetChannels(1);
  const std::string mono = dir_.file("mono22.mp3");
  Convert(stereo44_, mono, [&](TAudioFile2& w) { w.SetMp3Encoder(encoder); });
  ExpectOutput(mono, {"mp3", 22050, 1, 64000});
}

TEST_F(EncodedOutput, Mp3VariableBitRateHasAnInfoFrame) {
  TAudioFile2LameEnc encoder;
  encoder.SetSampleRate(44100);
  encoder.SetChannels(2);
  encoder.SetVbrMethod(TAudioFile2LameEnc::kVbrOn);
  encoder.SetVbrQuality(2);
  encoder.SetVbrBitRate(256);
  const std::string out = dir_.file("vbr.mp3");
  Convert(stereo44_, out, [&](TAudioFile2& w) { w.SetMp3Encoder(encoder); });
  ExpectOutput(out, {"mp3", 44100, 2, 0});
  // Players take the length from the Xing/Info frame: ffprobe's header duration shows it.
  EXPECT_NEAR(Probe(out).duration, kSeconds, 0.1);
}

TEST_F(EncodedOutput, OggBitRateAndQualityModes) {
  const std::string managed = dir_.file("managed.ogg");
  Convert(stereo44_, managed,
          [](TAudioFile2& w) { w.SetOggFormat(44100, 2, 128, 160, 96, kOggBitRateMode); });
  ExpectOutput(managed, {"vorbis", 44100, 2, 0});
  // Vorbis states its nominal rate in the header; ffprobe reports it as the stream's.
  EXPECT_NEAR(Probe(managed).bitRate, 128000, 2000);

  const std::string best = dir_.file("best.ogg"), small = dir_.file("small.ogg");
  Convert(mono48_, best, [](TAudioFile2& w) { w.SetOggFormat(22050, 1, 0, 0, 0, 0); });
  Convert(mono48_, small, [](TAudioFile2& w) { w.SetOggFormat(22050, 1, 0, 0, 0, 1000); });
  ExpectOutput(best, {"vorbis", 22050, 1, 0});
  ExpectOutput(small, {"vorbis", 22050, 1, 0});
  EXPECT_GT(ReadFileBytes(best).size(), ReadFileBytes(small).size())
      << "quality 0 is the best, so the larger file";
}

TEST_F(EncodedOutput, WmaProfilesGiveTheirRateChannelsAndBitRate) {
  for (int profile : {10, 16, 22, 45}) {
    const WmaProfile* p = FindWmaProfile(profile);
    ASSERT_NE(p, nullptr);
    const std::string out = dir_.file("p" + std::to_string(profile) + ".wma");
    Convert(stereo44_, out, [&](TAudioFile2& w) { w.SetWmaProfile(profile); });
    SCOPED_TRACE(p->name);
    ExpectOutput(out, {"wmav2", p->sampleRate, p->channels, 0});
    // ASF states the bit rate for the whole file; allow the container's overhead.
    EXPECT_NEAR(Probe(out).bitRate, p->bitRateKbps * 1000, p->bitRateKbps * 1000 * 0.1);
  }
}

TEST_F(EncodedOutput, ConvertedFilesReadBackAsSourcesAgain) {
  // The whole road: WAV → MP3 → OGG → WMA → WAV keeps the length.
  TAudioFile2LameEnc encoder;
  const std::string mp3 = dir_.file("a.mp3"), ogg = dir_.file("b.ogg"), wma = dir_.file("c.wma"),
                    wav = dir_.file("d.wav");
  Convert(stereo44_, mp3, [&](TAudioFile2& w) { w.SetMp3Encoder(encoder); });
  Convert(mp3, ogg, [](TAudioFile2& w) { w.SetOggFormat(44100, 2, 128, 128, 128, kOggBitRateMode); });
  Convert(ogg, wma, [](TAudioFile2& w) { w.SetWmaProfile(10); });
  Convert(wma, wav);
  ExpectOutput(wav, {"pcm_s16le", 44100, 2, 1411200});
}

TEST_F(EncodedOutput, UnsupportedEncoderSettingsAreEngineErrors) {
  TAudioFile2 writer;
  writer.SetSourceFormat(44100, 2);
  writer.SetWmaProfile(0);
  EXPECT_THROW(writer.OpenForWrite(dir_.file("x.wma"), WriteMode::kCreateNew), EngineError);
  writer.SetWmaProfile(48);
  EXPECT_THROW(writer.OpenForWrite(dir_.file("x.wma"), WriteMode::kCreateNew), EngineError);
  EXPECT_FALSE(writer.IsOpen());
  // Mp3 and OGG queries forward to the encoders' own answers.
  EXPECT_FALSE(writer.IsMp3FormatSupported(6000, 32, 2));
  EXPECT_TRUE(writer.IsMp3FormatSupported(44100, 320, 2));
  EXPECT_FALSE(writer.IsMp3FormatSupported(22050, 320, 2));
  EXPECT_TRUE(writer.IsOggFormatSupported(44100, 2, 128, 128, 128));
}

struct ShortSource {
  const char* name;
  const char* extension;
  int frames;  // of 44.1 kHz stereo
};

void PrintTo(const ShortSource& s, std::ostream* os) { *os << s.name; }

class ShortSourceOutput : public ::testing::TestWithParam<ShortSource> {};

// Every sample of a source shorter than one encoder frame reaches the output: decoders get
// at least as many samples as went in, and the tone is there.
TEST_P(ShortSourceOutput, HoldsEverySample) {
  const ShortSource& s = GetParam();
  TempDir dir;
  const std::string source = dir.file("short.wav"), output = dir.file(std::string("out") + s.extension);
  std::vector<uint8_t> wav;
  {
    auto put = [&](uint32_t v, int bytes) {
      for (int i = 0; i < bytes; ++i) wav.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const uint32_t data = static_cast<uint32_t>(s.frames) * 4;
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'}); put(36 + data, 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}); put(16, 4);
    put(1, 2); put(2, 2); put(44100, 4); put(44100 * 4, 4); put(4, 2); put(16, 2);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'}); put(data, 4);
    for (int i = 0; i < s.frames; ++i) {  // a 441 Hz square wave at half scale, both sides
      const int16_t v = (i / 50) % 2 ? -16000 : 16000;
      put(static_cast<uint16_t>(v), 2);
      put(static_cast<uint16_t>(v), 2);
    }
  }
  WriteFileBytes(source, wav);
  TAudioFile2LameEnc mp3;
  Convert(source, output, [&](TAudioFile2& w) {
    w.SetMp3Encoder(mp3);
    w.SetOggFormat(44100, 2, 128, 128, 128, kOggBitRateMode);
    w.SetWmaProfile(10);  // 44.1 kHz stereo
  });
  ProbeInfo probe = Probe(output);
  ASSERT_TRUE(probe.ok) << output;
  const double decoded = DecodedSeconds(output);
  EXPECT_GE(decoded * 44100, s.frames - 0.5) << "samples lost";
  EXPECT_LE(decoded, s.frames / 44100.0 + 0.1) << "no more than one padded encoder frame";
  if (s.frames >= 441) {
    auto back = ReadAll(output);
    EXPECT_GT(back.peak, 8000) << "the wave is in the output";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ShortSourceOutput,
    ::testing::Values(ShortSource{"mp3_1_frame", ".mp3", 1}, ShortSource{"mp3_10ms", ".mp3", 441},
                      ShortSource{"ogg_1_frame", ".ogg", 1}, ShortSource{"ogg_10ms", ".ogg", 441},
                      ShortSource{"wma_1_frame", ".wma", 1}, ShortSource{"wma_10ms", ".wma", 441},
                      ShortSource{"wma_40ms", ".wma", 1764}, ShortSource{"wav_1_frame", ".wav", 1},
                      ShortSource{"wav_10ms", ".wav", 441}),
    [](const ::testing::TestParamInfo<ShortSource>& info) { return std::string(info.param.name); });

// A file written over (WriteMode::kReplace) holds only the new output, however large it was:
// outputs are opened without truncation and emptied by hand when they hold bytes.
TEST_F(EncodedOutput, ReplacedFilesHoldOnlyTheNewOutput) {
  for (const std::string extension : {".wav", ".mp3", ".ogg", ".wma", ".flac", ".m4a"}) {
    const std::string fresh = dir_.file("fresh" + extension), replaced = dir_.file("replaced" + extension);
    Convert(stereo44_, fresh);
    WriteFileBytes(replaced, std::vector<uint8_t>(size_t{4} << 20, 0xAA));
    Convert(stereo44_, replaced, {}, WriteMode::kReplace);
    EXPECT_EQ(std::filesystem::file_size(replaced), std::filesystem::file_size(fresh)) << extension;
    EXPECT_TRUE(Probe(replaced).ok) << extension;
  }
}

// The output's extension picks the encoding whatever its letter case; the name is kept as given.
TEST_F(EncodedOutput, ExtensionsPickTheirEncoderInAnyLetterCase) {
  const std::pair<const char*, const char*> outputs[] = {
      {"A.MP3", "mp3"}, {"b.Ogg", "vorbis"}, {"c.WMA", "wmav2"}, {"d.WaV", "pcm_s16le"}};
  for (const auto& [name, codec] : outputs) {
    const std::string path = dir_.file(name);
    Convert(stereo44_, path);
    EXPECT_EQ(Probe(path).codec, codec) << name;
  }
}

}  // namespace
