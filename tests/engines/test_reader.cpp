// Reading every source type through the engine: format, reported length against what is
// decoded, block sizes and content.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>

#include "EngineTestUtil.h"
#include "engines/AudioDecoder.h"
#include "engines/PcmWavSource.h"
#include "support/TestSupport.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

using namespace testsupport;
using enginetest::HasFfmpegEncoder;
using enginetest::ReadAll;

namespace {

struct SourceKind {
  const char* name;
  const char* extension;
  std::string codecArgs;
  int sampleRate;
  int channels;
  const char* encoder = nullptr;  // the ffmpeg encoder the source needs; skipped without it
  int peakTolerance = 500;        // lossy speech codecs move the peak further
};

void PrintTo(const SourceKind& kind, std::ostream* os) { *os << kind.name; }

class ReadEachSource : public ::testing::TestWithParam<SourceKind> {};

constexpr double kSeconds = 3.7;
constexpr double kLengthTolerance = 0.050;  // seconds

TEST_P(ReadEachSource, ReportsFormatAndLengthThatDecodingConfirms) {
  const SourceKind& kind = GetParam();
  if (kind.encoder && !HasFfmpegEncoder(kind.encoder))
    GTEST_SKIP() << "the installed ffmpeg cannot encode " << kind.encoder;
  TempDir dir;
  const std::string path = dir.file(std::string("source") + kind.extension);
  ASSERT_TRUE(MakeTone(path, kSeconds, kind.sampleRate, kind.channels, kind.codecArgs));

  auto r = ReadAll(path);
  EXPECT_EQ(r.sampleRate, kind.sampleRate);
  EXPECT_EQ(r.channels, std::min(kind.channels, 2));
  EXPECT_EQ(r.frameSize, 2 * r.channels);

  const double reported = static_cast<double>(r.length) / r.sampleRate;
  const double decoded = static_cast<double>(r.decodedFrames) / r.sampleRate;
  EXPECT_NEAR(reported, decoded, kLengthTolerance) << "Length against what ReadBlock delivered";
  EXPECT_NEAR(r.durationMs / 1000.0, decoded, kLengthTolerance);
  EXPECT_NEAR(decoded, DecodedSeconds(path), kLengthTolerance) << "ffmpeg's own decoding";
  // ffmpeg's sine source peaks at 1/8 of full scale, 3 dB lower on each side of stereo; a
  // lossy codec or 8-bit samples move that a little. The 5.1 downmix is merely audible.
  if (kind.channels <= 2)
    EXPECT_NEAR(r.peak, kind.channels == 1 ? 4096 : 2896, kind.peakTolerance);
  else
    EXPECT_GT(r.peak, 500);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ReadEachSource,
    ::testing::Values(
        SourceKind{"wav_u8", ".wav", "-c:a pcm_u8", 44100, 2},
        SourceKind{"wav_s16_mono", ".wav", "-c:a pcm_s16le", 22050, 1},
        SourceKind{"wav_s24", ".wav", "-c:a pcm_s24le", 48000, 2},
        SourceKind{"wav_s32", ".wav", "-c:a pcm_s32le", 44100, 2},
        SourceKind{"wav_float", ".wav", "-c:a pcm_f32le", 44100, 2},
        SourceKind{"wav_5_1_downmixed", ".wav", "-c:a pcm_s16le", 48000, 6},
        SourceKind{"mp3_cbr", ".mp3", "-c:a libmp3lame -b:a 128k", 44100, 2},
        SourceKind{"mp3_vbr", ".mp3", "-c:a libmp3lame -q:a 4", 44100, 2},
        // A large ID3v2 tag ahead of the LAME info frame, which must still be found.
        SourceKind{"mp3_behind_id3v2", ".mp3",
                   "-c:a libmp3lame -b:a 96k -id3v2_version 3 -metadata title=Tone -metadata "
                   "comment=" + std::string(20000, 'c'), 44100, 2},
        SourceKind{"mp3_mono_22k", ".mp3", "-c:a libmp3lame -b:a 64k", 22050, 1},
        SourceKind{"mp3_mpeg25_8k", ".mp3", "-c:a libmp3lame -b:a 16k", 8000, 1},
        SourceKind{"ogg_vorbis", ".ogg", "-c:a libvorbis -q:a 4", 44100, 2},
        SourceKind{"ogg_vorbis_mono_48k", ".ogg", "-c:a libvorbis -b:a 96k", 48000, 1},
        SourceKind{"wma_v1", ".wma", "-c:a wmav1 -b:a 128k", 44100, 2},
        SourceKind{"wma_v2", ".wma", "-c:a wmav2 -b:a 64k", 32000, 2},
        // Other codecs inside the four containers.
        SourceKind{"ogg_opus", ".ogg", "-c:a libopus -b:a 64k", 48000, 2, "libopus"},
        SourceKind{"ogg_flac", ".ogg", "-c:a flac", 44100, 1, "flac"},
        SourceKind{"ogg_speex", ".ogg", "-c:a libspeex", 16000, 1, "libspeex", 1500},
        SourceKind{"wma_pro", ".wma", "-c:a wmapro", 44100, 2, "wmapro"},
        SourceKind{"wma_lossless", ".wma", "-c:a wmalossless", 44100, 2, "wmalossless"},
        SourceKind{"wav_ms_adpcm", ".wav", "-c:a adpcm_ms", 22050, 2, "adpcm_ms"},
        SourceKind{"wav_gsm", ".wav", "-c:a libgsm_ms", 8000, 1, "libgsm_ms", 1500},
        // Other containers FFmpeg reads, with upper-case extensions among them.
        SourceKind{"flac", ".flac", "-c:a flac", 48000, 2, "flac"},
        SourceKind{"opus", ".opus", "-c:a libopus -b:a 96k", 48000, 1, "libopus"},
        SourceKind{"m4a_aac", ".M4A", "-c:a aac -b:a 128k", 44100, 2, "aac"},
        SourceKind{"aiff", ".aiff", "-c:a pcm_s16be", 22050, 2},
        SourceKind{"ape", ".ape", "-c:a ape", 44100, 2, "ape"},
        SourceKind{"upper_case_mp3", ".MP3", "-c:a libmp3lame -b:a 128k", 44100, 2}),
    [](const ::testing::TestParamInfo<SourceKind>& info) { return std::string(info.param.name); });

// Formats the installed ffmpeg reads but cannot write: public files kept in tests/data (their
// origin is in tests/data/README.md) and DSD files written by hand. Among them a WavPack and
// tracker modules whose container states no length: it is counted.
struct SampleFile {
  const char* name;
  int sampleRate;
  int channels;
  // libopenmpt's demuxer renders its last chunk of 0.1 s past a module's stated end.
  double lengthTolerance = kLengthTolerance;
};

void PrintTo(const SampleFile& sample, std::ostream* os) { *os << sample.name; }

class ReadSampleFile : public ::testing::TestWithParam<SampleFile> {};

TEST_P(ReadSampleFile, LengthMatchesWhatDecodes) {
  const SampleFile& sample = GetParam();
  TempDir dir;
  std::string path = std::string(VELMORA_TEST_DATA_DIR) + "/" + sample.name;
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension == ".dsf" || extension == ".dff") {
    path = dir.file(sample.name);
    WriteDsdSecond(path, extension == ".dff");
  }
  auto r = ReadAll(path);
  EXPECT_EQ(r.sampleRate, sample.sampleRate);
  EXPECT_EQ(r.channels, sample.channels);
  const double decoded = static_cast<double>(r.decodedFrames) / r.sampleRate;
  EXPECT_GT(decoded, 0.09);
  EXPECT_NEAR(static_cast<double>(r.length) / r.sampleRate, decoded, sample.lengthTolerance);
  EXPECT_NEAR(decoded, DecodedSeconds(path), kLengthTolerance) << "ffmpeg's own decoding";
}

INSTANTIATE_TEST_SUITE_P(
    Samples, ReadSampleFile,
    ::testing::Values(SampleFile{"taglib-lossless.wma", 44100, 2},
                      SampleFile{"taglib-mac-396.ape", 44100, 2},
                      SampleFile{"taglib-no-length.wv", 44100, 2},
                      SampleFile{"taglib-test.mod", 48000, 2, 0.15},
                      SampleFile{"taglib-test.xm", 48000, 2, 0.15},
                      SampleFile{"taglib-test.s3m", 48000, 2},
                      SampleFile{"taglib-test.it", 48000, 2},
                      SampleFile{"tone.dsf", 352800, 2}, SampleFile{"tone.dff", 352800, 2}),
    [](const ::testing::TestParamInfo<SampleFile>& info) {
      std::string name = info.param.name;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

// lame's own encoder writes the LAME tag with delay and padding; the length must account for it.
TEST(ReadMp3, LengthOfLameCommandLineEncodingMatchesDecoding) {
  TempDir dir;
  const std::string wav = dir.file("tone.wav");
  ASSERT_TRUE(MakeTone(wav, 10.3, 44100, 2));
  for (const std::string args : {"-b 128 -q 2", "-V 2", "--abr 96"}) {
    const std::string mp3 = dir.file("tone.mp3");
    ASSERT_EQ(testsupport::Run("lame --quiet " + args + " " + ShellQuote(wav) + " " + ShellQuote(mp3)).exitCode, 0);
    auto r = ReadAll(mp3);
    // lame resamples low bit rates on its own, so each file's own rate counts.
    EXPECT_NEAR(static_cast<double>(r.length) / r.sampleRate, 10.3, kLengthTolerance) << args;
    EXPECT_NEAR(static_cast<double>(r.decodedFrames) / r.sampleRate, 10.3, kLengthTolerance) << args;
  }
}

TEST(ReadBlocks, HandsOutWholeFramesUpToTheByteCountAskedFor) {
  TempDir dir;
  const std::string path = dir.file("tone.wav");
  ASSERT_TRUE(MakeTone(path, 1.0, 44100, 2, "-c:a pcm_s16le"));
  // 1001 bytes hold 250 stereo frames; 3 bytes hold none and are refused.
  auto odd = ReadAll(path, 1001);
  EXPECT_EQ(odd.decodedFrames, 44100);
  auto large = ReadAll(path, 1 << 22);
  EXPECT_EQ(large.decodedFrames, 44100);

  TAudioFile2 reader;
  reader.OpenForRead(path, ReadMode::kWholeSource, ReadFlags::kPcm16);
  EXPECT_EQ(reader.ReadBlock(1001).size(), 1000u);
  EXPECT_THROW(reader.ReadBlock(3), EngineError);
}

TEST(ReadBlocks, PcmComesThroughUnchanged) {
  TempDir dir;
  const std::string path = dir.file("tone.wav");
  ASSERT_TRUE(MakeTone(path, 0.5, 44100, 2, "-c:a pcm_s16le"));
  auto bytes = ReadFileBytes(path);
  auto r = ReadAll(path, 4096, true);
  ASSERT_EQ(r.samples.size(), 44100u);
  // The data chunk of ffmpeg's WAV ends the file.
  const size_t dataStart = bytes.size() - r.samples.size() * 2;
  for (size_t i = 0; i < r.samples.size(); i += 997)
    EXPECT_EQ(r.samples[i], static_cast<int16_t>(bytes[dataStart + 2 * i] |
                                                 (bytes[dataStart + 2 * i + 1] << 8)));
}

TEST(ReadObject, StateCallsWithoutSourceThrow) {
  TAudioFile2 reader;
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_THROW(reader.SampleRate(), EngineError);
  EXPECT_THROW(reader.ReadBlock(4096), EngineError);
  EXPECT_NO_THROW(reader.Close());
}

TEST(ReadObject, SetOptionTakesMinusOneOnce) {
  TAudioFile2 engine;
  EXPECT_THROW(engine.SetOption(static_cast<EngineOption>(3)), EngineError);
  EXPECT_NO_THROW(engine.SetOption(EngineOption::kDefaults));
  EXPECT_THROW(engine.SetOption(EngineOption::kDefaults), EngineError);
}

TEST(ReadObject, ReopeningReleasesThePreviousSource) {
  TempDir dir;
  const std::string a = dir.file("a.wav"), b = dir.file("b.ogg");
  ASSERT_TRUE(MakeTone(a, 0.3, 8000, 1));
  ASSERT_TRUE(MakeTone(b, 0.3, 32000, 2, "-c:a libvorbis"));
  TAudioFile2 reader;
  reader.OpenForRead(a, ReadMode::kWholeSource, ReadFlags::kPcm16);
  reader.ReadBlock(100);
  reader.OpenForRead(b, ReadMode::kWholeSource, ReadFlags::kPcm16);
  EXPECT_EQ(reader.SampleRate(), 32000);
  EXPECT_EQ(reader.Channels(), 2);
}

// Plain PCM WAVs are read without FFmpeg: for each header below, our reading must say
// whether it is one, and for those that are, hand out exactly the frames FFmpeg's demuxer and
// decoder give (format, layout, length, precision, every byte).
using Bytes = std::vector<uint8_t>;

size_t ChunkAt(const Bytes& b, const char* id) {
  for (size_t pos = 12; pos + 8 <= b.size();) {
    if (std::equal(id, id + 4, b.begin() + static_cast<std::ptrdiff_t>(pos))) return pos;
    pos += 8 + (b[pos + 4] | b[pos + 5] << 8 | b[pos + 6] << 16 | static_cast<size_t>(b[pos + 7]) << 24);
  }
  ADD_FAILURE() << "no " << id << " chunk";
  return 0;
}

void PutLe32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void AppendChunk(Bytes& b, const char* id, const Bytes& body) {
  b.insert(b.end(), id, id + 4);
  b.resize(b.size() + 4);
  PutLe32(b, b.size() - 4, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  PutLe32(b, 4, static_cast<uint32_t>(b.size() - 8));
}

struct WavHeaderCase {
  const char* name;
  std::string codecArgs;
  int channels;
  int sampleRate;
  bool plain;
  std::function<void(Bytes&)> edit = {};
};

void PrintTo(const WavHeaderCase& c, std::ostream* os) { *os << c.name; }

struct SourceFrames {
  int sampleRate = 0, channels = 0;
  int64_t length = 0;
  SourcePrecision precision = SourcePrecision::k16BitsOrLess;
  int format = -1;
  std::string layout;
  Bytes bytes;
};

SourceFrames Drain(AudioFrameSource& source) {
  SourceFrames all;
  all.sampleRate = source.SampleRate();
  all.channels = source.Channels();
  all.length = source.LengthFrames();
  all.precision = source.Precision();
  while (const AVFrame* frame = source.NextFrame()) {
    char layout[64] = {};
    av_channel_layout_describe(&frame->ch_layout, layout, sizeof layout);
    all.format = frame->format;
    all.layout = layout;
    const size_t size = static_cast<size_t>(frame->nb_samples) * frame->ch_layout.nb_channels *
                        av_get_bytes_per_sample(static_cast<AVSampleFormat>(frame->format));
    all.bytes.insert(all.bytes.end(), frame->data[0], frame->data[0] + size);
  }
  return all;
}

class PlainWavHeader : public ::testing::TestWithParam<WavHeaderCase> {};

TEST_P(PlainWavHeader, IsReadAsFfmpegReadsIt) {
  const WavHeaderCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.file("source.wav");
  ASSERT_TRUE(MakeTone(path, 0.7, c.sampleRate, c.channels, c.codecArgs));
  if (c.edit) {
    Bytes bytes = ReadFileBytes(path);
    c.edit(bytes);
    WriteFileBytes(path, bytes);
  }
  std::unique_ptr<PcmWavSource> ours = PcmWavSource::Open(path);
  ASSERT_EQ(ours != nullptr, c.plain);
  if (!ours) return;
  AudioDecoder ffmpeg(path);
  const SourceFrames a = Drain(*ours), b = Drain(ffmpeg);
  EXPECT_EQ(a.sampleRate, b.sampleRate);
  EXPECT_EQ(a.channels, b.channels);
  EXPECT_EQ(a.length, b.length);
  EXPECT_EQ(a.precision, b.precision);
  EXPECT_EQ(a.format, b.format);
  EXPECT_EQ(a.layout, b.layout);
  EXPECT_EQ(a.bytes.size(), b.bytes.size());
  EXPECT_TRUE(a.bytes == b.bytes);
  EXPECT_FALSE(ours->EndsEarly());
}

const Bytes kDtsSync = {0x7F, 0xFE, 0x80, 0x01}, kSpdifPreamble = {0x72, 0xF8, 0x1F, 0x4E};

INSTANTIATE_TEST_SUITE_P(
    Headers, PlainWavHeader,
    ::testing::Values(
        WavHeaderCase{"s16", "-c:a pcm_s16le", 2, 44100, true},
        WavHeaderCase{"u8_mono", "-c:a pcm_u8", 1, 22050, true},
        WavHeaderCase{"s24_extensible", "-c:a pcm_s24le", 2, 48000, true},
        WavHeaderCase{"s32", "-c:a pcm_s32le", 2, 44100, true},
        WavHeaderCase{"float", "-c:a pcm_f32le", 2, 44100, true},
        WavHeaderCase{"double", "-c:a pcm_f64le", 1, 44100, true},
        WavHeaderCase{"s16_96k_extensible", "-c:a pcm_s16le", 2, 96000, true},
        WavHeaderCase{"s24_5_1_extensible", "-c:a pcm_s24le", 6, 48000, true},
        WavHeaderCase{"rf64", "-c:a pcm_s16le -rf64 always", 2, 44100, true},
        WavHeaderCase{"list_before_data", "-c:a pcm_s16le -metadata title=T", 2, 44100, true},
        WavHeaderCase{"list_after_data", "-c:a pcm_s16le", 2, 44100, true,
                      [](Bytes& b) { AppendChunk(b, "LIST", {'I', 'N', 'F', 'O'}); }},
        // A partial last frame and its pad byte: the partial frame does not play.
        WavHeaderCase{"odd_data_size", "-c:a pcm_s16le", 2, 44100, true,
                      [](Bytes& b) {
                        const size_t data = ChunkAt(b, "data");
                        PutLe32(b, data + 4, static_cast<uint32_t>(b.size() - data - 8 + 1));
                        b.insert(b.end(), {0x11, 0x00});
                      }},
        // Left to FFmpeg, which knows their quirks.
        WavHeaderCase{"data_size_past_end", "-c:a pcm_s16le", 2, 44100, false,
                      [](Bytes& b) { b.resize(b.size() - 1000); }},
        WavHeaderCase{"data_size_zero", "-c:a pcm_s16le", 2, 44100, false,
                      [](Bytes& b) { PutLe32(b, ChunkAt(b, "data") + 4, 0); }},
        WavHeaderCase{"second_data_chunk", "-c:a pcm_s16le", 2, 44100, false,
                      [](Bytes& b) { AppendChunk(b, "data", Bytes(400, 0x10)); }},
        WavHeaderCase{"truncated_header", "-c:a pcm_s16le", 2, 44100, false,
                      [](Bytes& b) { b.resize(30); }},
        WavHeaderCase{"dts_in_pcm", "-c:a pcm_s16le", 2, 44100, false,
                      [](Bytes& b) {
                        std::copy(kDtsSync.begin(), kDtsSync.end(), b.begin() + ChunkAt(b, "data") + 40);
                      }},
        WavHeaderCase{"spdif_in_pcm", "-c:a pcm_s16le", 2, 44100, false,
                      [](Bytes& b) {
                        std::copy(kSpdifPreamble.begin(), kSpdifPreamble.end(),
                                  b.begin() + ChunkAt(b, "data") + 8);
                      }},
        WavHeaderCase{"speaker_mask_short_of_channels", "-c:a pcm_s24le", 2, 48000, false,
                      [](Bytes& b) { PutLe32(b, ChunkAt(b, "fmt ") + 8 + 20, 0x4); }},
        WavHeaderCase{"ms_adpcm", "-c:a adpcm_ms", 2, 22050, false}),
    [](const ::testing::TestParamInfo<WavHeaderCase>& info) { return std::string(info.param.name); });

}  // namespace
