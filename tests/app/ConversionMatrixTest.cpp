// End to end: every input format to every output format through the core, checked with
// ffprobe/ffmpeg for the audio, python3-mutagen for the tags, and `flac -t` and opusinfo for
// FLAC and Opus outputs; and a 24-bit 5.1 source into the formats that keep its shape.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "CoreFixture.h"
#include "app/RunSettings.h"
#include "engines/WmaProfiles.h"

using testsupport::DecodedSeconds;
using testsupport::Probe;
using testsupport::ReadWithMutagen;
using testsupport::RunPython;

namespace {

constexpr double kSourceSeconds = 2.5;

// Distinct tags per source, so a record reaching the wrong output shows.
Timerec TagsFor(const std::string& kind, int track) {
  return Timerec{"Title " + kind, "Artist " + kind, "19" + std::to_string(80 + track),
                 "Album " + kind, "Comment " + kind, "Jazz", std::to_string(track)};
}

void TagSource(const std::string& path, const std::string& kind, const Timerec& t) {
  static const char* kProgram = R"PY(
import sys
kind, path, title, artist, year, album, comment, genre, track = sys.argv[1:]
if kind == "mp3":
    from mutagen.id3 import ID3, TIT2, TPE1, TYER, TALB, COMM, TCON, TRCK
    t = ID3()
    for frame in (TIT2(encoding=0, text=title), TPE1(encoding=0, text=artist),
                  TYER(encoding=0, text=year), TALB(encoding=0, text=album),
                  COMM(encoding=0, lang="eng", desc="", text=comment),
                  TCON(encoding=0, text=genre), TRCK(encoding=0, text=track)):
        t.add(frame)
    t.save(path, v2_version=3)
elif kind == "ogg":
    from mutagen.oggvorbis import OggVorbis
    f = OggVorbis(path)
    f.update({"title": title, "artist": artist, "date": year, "album": album,
              "comment": comment, "genre": genre, "tracknumber": track})
    f.save()
elif kind == "flac":
    from mutagen.flac import FLAC
    f = FLAC(path)
    f.update({"title": title, "artist": artist, "date": year, "album": album,
              "comment": comment, "genre": genre, "tracknumber": track})
    f.save()
elif kind == "wma":
    from mutagen.asf import ASF, ASFDWordAttribute
    f = ASF(path)
    f["Title"] = title; f["Author"] = artist; f["WM/Year"] = year
    f["WM/AlbumTitle"] = album; f["Description"] = comment; f["WM/Genre"] = genre
    f["WM/TrackNumber"] = [ASFDWordAttribute(int(track))]
    f.save()
)PY";
  auto r = RunPython(kProgram, {kind, path, t.title, t.artist, t.year, t.album, t.comment,
                                t.genre, t.track});
  ASSERT_EQ(r.exitCode, 0) << r.output;
}

struct Source {
  std::string kind;
  std::string path;
  Timerec tags;
};

// Tag names of each output scheme, in Timerec order: title artist year album comment genre track.
const std::map<std::string, std::vector<std::vector<std::string>>> kTagKeys = {
    {".mp3", {{"TIT2"}, {"TPE1"}, {"TYER", "TDRC"}, {"TALB"}, {"COMM"}, {"TCON"}, {"TRCK"}}},
    {".ogg", {{"title"}, {"artist"}, {"date"}, {"album"}, {"comment"}, {"genre"}, {"tracknumber"}}},
    {".flac", {{"title"}, {"artist"}, {"date"}, {"album"}, {"comment"}, {"genre"}, {"tracknumber"}}},
    {".opus", {{"title"}, {"artist"}, {"date"}, {"album"}, {"comment"}, {"genre"}, {"tracknumber"}}},
    {".m4a",
     {{"\u00a9nam"}, {"\u00a9ART"}, {"\u00a9day"}, {"\u00a9alb"}, {"\u00a9cmt"}, {"\u00a9gen"}, {"trkn"}}},
    {".wma",
     {{"Title"}, {"Author"}, {"WM/Year"}, {"WM/AlbumTitle"}, {"Description"}, {"WM/Genre"},
      {"WM/TrackNumber"}}},
};

std::string FirstOf(const std::map<std::string, std::string>& values,
                    const std::vector<std::string>& keys) {
  for (const auto& key : keys) {
    auto it = values.find(key);
    if (it != values.end()) return it->second;
  }
  return "<missing>";
}

void ExpectTags(const std::string& output, const std::string& extension, const Timerec& want) {
  auto keys = kTagKeys.find(extension);
  if (keys == kTagKeys.end()) return;
  testsupport::MutagenTags got = ReadWithMutagen(output);
  ASSERT_TRUE(got.ok) << output << ": " << got.error;
  const std::vector<std::string> expected = {want.title,   want.artist, want.year, want.album,
                                             want.comment, want.genre,  want.track};
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(FirstOf(got.values, keys->second[i]), expected[i]) << output << " " << keys->second[i][0];
}

struct Expected {
  std::string codec;
  int sampleRate;
  int channels;
  long bitRate;  // bit/s, 0 = not checked
  int bitsPerSample;
  double lengthTolerance = 0.1;  // seconds the decoded length may differ from the source's
};

// The independent checkers of FLAC and Opus files have nothing to say about ours.
void ExpectCleanStream(const std::string& output, const std::string& extension) {
  if (extension == ".flac") {
    auto r = testsupport::Run("flac -t -s " + testsupport::ShellQuote(output));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, "");
  } else if (extension == ".opus") {
    auto r = testsupport::Run("opusinfo " + testsupport::ShellQuote(output));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("WARNING"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("ERROR"), std::string::npos) << r.output;
  }
}

// An M4A output's iTunSMPB names the source's exact length, and FFmpeg (which trims the
// priming by the edit list but not the end) decodes that length plus the padding it names,
// less than one AAC frame.
void ExpectGaplessM4a(const std::string& output, long sourceSamples) {
  auto r = RunPython(
      "import sys, mutagen\n"
      "text = bytes(mutagen.File(sys.argv[1]).tags['----:com.apple.iTunes:iTunSMPB'][0]).decode().split()\n"
      "print(int(text[1], 16), int(text[2], 16), int(text[3], 16))",
      {output});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  long priming = 0, padding = 0, length = 0;
  std::istringstream(r.output) >> priming >> padding >> length;
  EXPECT_EQ(length, sourceSamples) << r.output;
  EXPECT_EQ(priming, 1024) << r.output;
  EXPECT_LT(padding, 1024) << r.output;
  EXPECT_EQ(std::lround(DecodedSeconds(output) * Probe(output).sampleRate), length + padding);
}

class ConversionMatrix : public CoreFixture, public ::testing::WithParamInterface<int> {
 protected:
  static void SetUpTestSuite() {
    sourceDir = new testsupport::TempDir;
    auto make = [](const std::string& kind, const std::string& codec, int track) {
      Source s{kind, sourceDir->file("src_" + kind + "." + kind), TagsFor(kind, track)};
      testsupport::MakeTone(s.path, kSourceSeconds, kind == "flac" ? 48000 : 44100, 2, codec);
      if (kind != "wav") TagSource(s.path, kind, s.tags);
      s.tags = kind == "wav" ? TagsFor("editor", 11) : s.tags;
      sources.push_back(s);
    };
    make("mp3", kMp3Codec, 3);
    make("wav", "", 0);
    make("wma", kWmaCodec, 5);
    make("ogg", kOggCodec, 9);
    make("flac", "-c:a flac -sample_fmt s32 -bits_per_raw_sample 24", 12);  // 24-bit
  }
  static void TearDownTestSuite() {
    delete sourceDir;
    sourceDir = nullptr;
    sources.clear();
  }

  // Non-default settings, so a value that never reached the engine shows.
  Expected StoreSettings(int format) {
    switch (format) {
      case kFormatMp3:
        settings->WriteInteger("mp3", "frequency", 5);  // 22050
        settings->WriteInteger("mp3", "bitrate", 7);    // 64
        settings->WriteInteger("mp3", "channel", 0);
        return {"mp3", 22050, 1, 64000, 0};
      case kFormatWav:
        settings->WriteInteger("wav", "mode", 2);
        settings->WriteInteger("wav", "frequency", 7);  // 32000
        settings->WriteInteger("wav", "channel", 0);
        settings->WriteInteger("wav", "bit", 1);
        return {"pcm_s16le", 32000, 1, 0, 16};
      case kFormatWma: {
        settings->WriteInteger("wma", "format", 12);  // profile 13
        const WmaProfile* profile = FindWmaProfile(13);
        return {"wmav2", profile->sampleRate, profile->channels, profile->bitRateKbps * 1000L, 0};
      }
      case kFormatFlac:
        settings->WriteInteger("flac", "compression", 8);
        settings->WriteInteger("flac", "bit", 2);  // 24-bit
        // The source's own rate and channels, whatever they are.
        return {"flac", 0, 2, 0, 24, 1e-4};
      case kFormatOpus:
        settings->WriteInteger("opus", "bitrate", 96);
        settings->WriteInteger("opus", "mode", 2);  // CBR, so the rate is the one set
        settings->WriteInteger("opus", "complexity", 5);
        return {"opus", 48000, 2, 96000, 0, 0.02};
      case kFormatM4a:
        settings->WriteInteger("m4a", "bitrate", 128);
        return {"aac", 0, 2, 128000, 0, 1024.0 / 44100};
      default:
        settings->WriteBool("ogg", "enable quality", false);
        settings->WriteInteger("ogg", "frequency", 8);    // 44100
        settings->WriteInteger("ogg", "channel", 1);
        settings->WriteInteger("ogg", "bitrate", 9);      // 96
        settings->WriteInteger("ogg", "max bitrate", 11);
        settings->WriteInteger("ogg", "min bitrate", 7);
        return {"vorbis", 44100, 2, 96000, 0};
    }
  }

  static testsupport::TempDir* sourceDir;
  static std::vector<Source> sources;
};

testsupport::TempDir* ConversionMatrix::sourceDir = nullptr;
std::vector<Source> ConversionMatrix::sources;

}  // namespace

TEST_P(ConversionMatrix, EverySourceBecomesTheChosenFormatWithItsTags) {
  const int format = GetParam();
  const std::string extension = OutputExtension(format);
  Expected want = StoreSettings(format);
  std::vector<std::string> paths;
  for (const Source& s : sources) paths.push_back(s.path);
  core->AddFiles(paths);
  ASSERT_EQ(core->rows().size(), sources.size()) << ::testing::PrintToString(host.information);
  core->SetRowTags(1, sources[1].tags);  // the WAV row, as the tag editor would

  core->ConvertFiles(format);

  EXPECT_TRUE(host.information.empty()) << ::testing::PrintToString(host.information);
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
  EXPECT_FALSE(core->running());
  EXPECT_EQ(host.openedFolders, (std::vector<std::string>{outDir + "/"}));
  EXPECT_EQ(host.progress.back(), 0);
  for (size_t i = 0; i < sources.size(); ++i) {
    const Source& s = sources[i];
    SCOPED_TRACE(s.kind + " -> " + extension);
    EXPECT_EQ(core->rows()[i].state, "finish");
    std::string output = Out("src_" + s.kind + extension);
    auto info = Probe(output);
    ASSERT_TRUE(info.ok) << output;
    EXPECT_EQ(info.codec, want.codec);
    EXPECT_EQ(info.sampleRate, want.sampleRate ? want.sampleRate : Probe(s.path).sampleRate);
    EXPECT_EQ(info.channels, want.channels);
    if (want.bitsPerSample) {
      EXPECT_EQ(info.bitsPerSample, want.bitsPerSample);
    }
    if (want.bitRate) {
      EXPECT_NEAR(info.bitRate, want.bitRate, want.bitRate * 0.05);
    }
    EXPECT_NEAR(DecodedSeconds(output), DecodedSeconds(s.path), want.lengthTolerance);
    ExpectTags(output, extension, s.tags);
    ExpectCleanStream(output, extension);
  }
}

INSTANTIATE_TEST_SUITE_P(AllOutputFormats, ConversionMatrix,
                         ::testing::Values(kFormatMp3, kFormatWav, kFormatWma, kFormatOgg,
                                           kFormatFlac, kFormatOpus, kFormatM4a),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(OutputExtension(info.param) + 1);
                         });

// A 24-bit 5.1 source: FLAC keeps its depth and channels, Opus and M4A its channels.
class WideSourceConversion : public CoreFixture, public ::testing::WithParamInterface<int> {};

TEST_P(WideSourceConversion, KeepsTheSourcesChannelsAndFlacItsDepth) {
  const int format = GetParam();
  const std::string source = work.file("wide.flac");
  ASSERT_TRUE(testsupport::MakeTone(source, 1.5, 48000, 6, "-c:a flac -sample_fmt s32"));
  core->AddFiles({source});
  core->ConvertFiles(format);
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
  const std::string output = Out(std::string("wide") + OutputExtension(format));
  auto info = Probe(output);
  EXPECT_EQ(info.channels, 6) << output;
  if (format == kFormatFlac) {
    EXPECT_EQ(info.bitsPerSample, 24);
  }
  EXPECT_NEAR(DecodedSeconds(output), 1.5, 1024.0 / 48000);
  ExpectCleanStream(output, OutputExtension(format));
  if (format == kFormatM4a) ExpectGaplessM4a(output, 72000);
}

INSTANTIATE_TEST_SUITE_P(ExtendedFormats, WideSourceConversion,
                         ::testing::Values(kFormatFlac, kFormatOpus, kFormatM4a),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(OutputExtension(info.param) + 1);
                         });
