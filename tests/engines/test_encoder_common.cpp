// What every output encoder (MP3, OGG, WMA, WAV, FLAC, Opus, M4A) must do the same way, whatever its format: refuse what it cannot
// write without leaving a file, name the file in every error, survive misuse, and leave a
// readable file when finished twice, finished empty or dropped without Finish.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include "engines/EncoderBackend.h"
#include "engines/EngineError.h"
#include "engines/FlacSeekTable.h"
#include "engines/LibraryHandles.h"
#include "test_encoder_support.h"

using namespace testsupport;
using namespace encodertest;

namespace {

using MakeEncoder = std::function<std::unique_ptr<EncoderBackend>()>;

struct Format {
  const char* name;
  const char* extension;
  const char* codec;  // as ffprobe names it
  MakeEncoder make;   // a usable default encoder (44.1 kHz stereo)
  std::vector<MakeEncoder> refused;  // settings the encoder must refuse when opening
  void (*validate)(const std::string& path);  // an independent checker's verdict, if any
  // An MP3 without a single audio frame is only its info frame, which readers do not take
  // for a stream (nor an MP4 track without samples); the other formats make a valid empty file.
  bool emptyIsReadable = true;
  int sampleRate = 44100;  // the rate the encoder takes its input at
};

void PrintTo(const Format& f, std::ostream* os) { *os << f.name; }

Mp3Settings Mp3(int rate, int kbps, int channels) {
  Mp3Settings s;
  s.sampleRate = rate;
  s.bitRate = kbps;
  s.channels = channels;
  return s;
}

OggSettings Ogg(int rate, int channels, int kbps, int quality = kOggBitRateMode) {
  OggSettings s;
  s.sampleRate = rate;
  s.channels = channels;
  s.bitRate = s.maxBitRate = s.minBitRate = kbps;
  s.quality = quality;
  return s;
}

void NoCheck(const std::string&) {}

void ExpectCleanFlac(const std::string& path) {
  CommandResult r = Run("flac -t -s " + ShellQuote(path));
  EXPECT_EQ(r.exitCode, 0) << path << ": " << r.output;
}

void ExpectCleanOpus(const std::string& path) {
  CommandResult r = Run("opusinfo " + ShellQuote(path));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.find("WARNING"), std::string::npos) << r.output;
}

std::vector<Format> Formats() {
  auto mp3 = [](Mp3Settings s) -> MakeEncoder { return [s] { return MakeMp3Encoder(s); }; };
  auto ogg = [](OggSettings s) -> MakeEncoder { return [s] { return MakeOggEncoder(s); }; };
  auto flac = [](FlacSettings s) -> MakeEncoder { return [s] { return MakeFlacEncoder(s); }; };
  auto opus = [](int channels, int kbps, int complexity) -> MakeEncoder {
    return [=] { return MakeOpusEncoder({channels, kbps, OpusRateControl::kVbr, complexity}); };
  };
  auto m4a = [](M4aSettings s) -> MakeEncoder { return [s] { return MakeM4aEncoder(s); }; };
  return {
      {"mp3", ".mp3", "mp3", mp3(Mp3Settings{}),
       {mp3(Mp3(6000, 32, 2)), mp3(Mp3(44100, 8, 2)), mp3(Mp3(22050, 320, 1)), mp3(Mp3(44100, 128, 3))},
       ExpectCleanMp3, false},
      {"ogg", ".ogg", "vorbis", ogg(OggSettings{}),
       {ogg(Ogg(8000, 2, 320)), ogg(Ogg(44100, 3, 128)), ogg(Ogg(0, 2, 128, 300))},
       ExpectCleanOgg},
      {"wma", ".wma", "wmav2", [] { return MakeWmaEncoder(10); }, {}, NoCheck},
      {"wav", ".wav", "pcm_s16le", [] { return MakeWavEncoder(WavSettings{}); }, {}, NoCheck},
      {"flac", ".flac", "flac", flac({44100, 2, 16, 5}),
       {flac({44100, 2, 12, 5}), flac({44100, 2, 16, 9}), flac({0, 2, 16, 5})}, ExpectCleanFlac},
      {"opus", ".opus", "opus", opus(2, 128, 10), {opus(2, 5, 10), opus(2, 600, 10), opus(2, 128, 11)},
       ExpectCleanOpus, true, 48000},
      {"m4a", ".m4a", "aac", m4a({44100, 2, 192, 0}),
       {m4a({44100, 2, 16, 0}), m4a({8000, 1, 320, 0}), m4a({6000, 2, 128, 0}), m4a({44100, 2, 128, 21})},
       NoCheck, false},  // an MP4 track without a sample is no stream to ffprobe
  };
}

class EachEncoder : public ::testing::TestWithParam<Format> {};

TEST_P(EachEncoder, RefusedFormatNamesFileAndCreatesNothing) {
  const Format& f = GetParam();
  TempDir dir;
  const std::string path = dir.file(std::string("refused") + f.extension);
  for (size_t i = 0; i < f.refused.size(); ++i) {
    auto encoder = f.refused[i]();
    try {
      encoder->Open(path);
      ADD_FAILURE() << "refused setting " << i << " was accepted";
    } catch (const EngineError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot create " + path + ": ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(FileExists(path));
    EXPECT_NO_THROW(encoder->Finish());
  }
}

TEST_P(EachEncoder, UnwritablePlacesThrowNamingTheFile) {
  const Format& f = GetParam();
  TempDir dir;
  std::vector<std::string> paths = {dir.file(std::string("missing/out") + f.extension), dir.path()};
  if (!RunningAsRoot()) {
    ASSERT_EQ(mkdir(dir.file("locked").c_str(), 0500), 0);
    paths.push_back(dir.file(std::string("locked/out") + f.extension));
  }
  for (const std::string& path : paths) {
    auto encoder = f.make();
    try {
      encoder->Open(path);
      ADD_FAILURE() << path << " was accepted";
    } catch (const EngineError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot create " + path + ": ", 0), 0u) << e.what();
    }
    EXPECT_NO_THROW(encoder->Finish());
  }
}

TEST_P(EachEncoder, WriteBeforeOpenThrows) {
  auto encoder = GetParam().make();
  int16_t pcm[4] = {};
  EXPECT_THROW(encoder->Write(pcm, 2), EngineError);
}

TEST_P(EachEncoder, EmptyTwiceFinishedAndDroppedFilesAreReadable) {
  const Format& f = GetParam();
  TempDir dir;
  const std::string empty = dir.file(std::string("empty") + f.extension);
  const std::string twice = dir.file(std::string("twice") + f.extension);
  const std::string dropped = dir.file(std::string("dropped") + f.extension);
  auto pcm = LeftSine(f.sampleRate, 2, 2.0);
  {
    auto encoder = f.make();
    encoder->Open(empty);
    encoder->Finish();
    EXPECT_NO_THROW(encoder->Finish());
  }
  {
    auto encoder = f.make();
    Encode(*encoder, twice, pcm);
    EXPECT_NO_THROW(encoder->Finish());
  }
  {
    auto encoder = f.make();
    encoder->Open(dropped);
    Feed(*encoder, pcm);
  }
  if (f.emptyIsReadable) {
    EXPECT_EQ(Probe(empty).codec, f.codec);
    EXPECT_NEAR(DecodedSeconds(empty), 0.0, 0.06);
  }
  for (const std::string& path : {twice, dropped}) {
    EXPECT_EQ(Probe(path).codec, f.codec);
    EXPECT_NEAR(DecodedSeconds(path), 2.0, 0.1) << path;
    f.validate(path);
  }
}

TEST_P(EachEncoder, OneEncoderWritesSeveralFilesInTurn) {
  const Format& f = GetParam();
  TempDir dir;
  auto encoder = f.make();
  const std::string first = dir.file(std::string("1") + f.extension);
  const std::string second = dir.file(std::string("2") + f.extension);
  Encode(*encoder, first, LeftSine(f.sampleRate, 2, 1.0));
  Encode(*encoder, second, LeftSine(f.sampleRate, 2, 3.0));
  EXPECT_NEAR(DecodedSeconds(first), 1.0, 0.1);
  EXPECT_NEAR(DecodedSeconds(second), 3.0, 0.1);
}

TEST_P(EachEncoder, FullDiskIsReported) {
  auto encoder = GetParam().make();
  ExpectFullDiskReported(*encoder);
}

INSTANTIATE_TEST_SUITE_P(Formats, EachEncoder, ::testing::ValuesIn(Formats()),
                         [](const ::testing::TestParamInfo<Format>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace

// The FLAC seek table is filled while the length is still unknown: every 10 s at first, and
// when the points run out, every other one goes and the spacing doubles.
TEST(FlacSeekTableFilling, PointsSpreadOverTheWholeLengthWhateverItIs) {
  struct Case {
    double seconds;
    unsigned expectedPoints;
    uint64_t expectedSpacingSeconds;
  };
  const Case cases[] = {{5, 1, 10}, {95, 10, 10}, {2560, 256, 10}, {2570, 129, 20}, {10000, 250, 40}};
  constexpr int kRate = 1000;
  constexpr unsigned kFrame = 100;
  for (const Case& c : cases) {
    FlacMetadataHandle block(FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE));
    ASSERT_TRUE(FLAC__metadata_object_seektable_template_append_placeholders(block.get(), FlacSeekTable::kPoints));
    FLAC__StreamMetadata_SeekTable& table = block->data.seek_table;
    FlacSeekTable filler(&table, kRate);
    const uint64_t frames = static_cast<uint64_t>(c.seconds * kRate) / kFrame;
    for (uint64_t i = 0; i < frames; ++i) filler.NoteFrame(i * kFrame, i * 7, kFrame);
    unsigned used = 0;
    for (unsigned i = 0; i < table.num_points; ++i) {
      if (table.points[i].sample_number == FLAC__STREAM_METADATA_SEEKPOINT_PLACEHOLDER) continue;
      ++used;
      EXPECT_EQ(table.points[i].sample_number, i * c.expectedSpacingSeconds * kRate) << c.seconds << " s, point " << i;
      EXPECT_EQ(table.points[i].stream_offset, table.points[i].sample_number / kFrame * 7);
    }
    EXPECT_EQ(used, c.expectedPoints) << c.seconds << " s";
  }
}
