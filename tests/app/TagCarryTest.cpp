// Every tag and picture of a source reaches every output format, read back by mutagen; and a source with only the seven fields still gives the very bytes it always gave.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>

#include "support/TestSupport.h"

using testsupport::ReadFileBytes;
using testsupport::ShellQuote;

namespace {

const std::string kScript = std::string(VELMORA_SOURCE_DIR) + "/tests/support/tag_roundtrip.py";
const std::string kData = std::string(VELMORA_SOURCE_DIR) + "/tests/data/";

struct SourceKind {
  const char* kind;
  const char* file;
  const char* codecArgs;
};

const SourceKind kMp3v24{"id3v24", "v24.mp3", "-c:a libmp3lame -id3v2_version 0"};
const SourceKind kVorbis{"vorbis", "vorbis.ogg", "-c:a libvorbis"};
const SourceKind kWma{"wma", "wma.wma", "-c:a wmav2"};
const SourceKind kFlac{"flac", "flac.flac", "-c:a flac"};
const SourceKind kOpus{"opus", "opus.opus", "-c:a libopus"};
const SourceKind kM4a{"m4a", "m4a.m4a", "-c:a aac"};

// Whether anything opened the file for writing, wrote or touched it while watched: what a
// library indexer or a sync tool watching its folder would be told.
struct WriteWatch {
  explicit WriteWatch(const std::string& path) {
    EXPECT_GE(inotify_add_watch(fd, path.c_str(), IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB), 0) << path;
  }
  ~WriteWatch() { close(fd); }
  bool Written() const { char events[4096]; return read(fd, events, sizeof events) > 0; }
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
};

class TagCarry : public ::testing::Test {
 protected:
  TagCarry() { setenv("VELMORA_CONFIG_DIR", config.path().c_str(), 1); }

  // Runs velmora-convert with the options on one file; the output's path.
  std::string Convert(const std::string& source, const std::string& options, const std::string& outputName) {
    const std::string out = work.file("out");
    auto r = testsupport::Run(std::string(VELMORA_CONVERT_PATH) + " --jobs 1 " + options + " --output " +
                              ShellQuote(out) + " " + ShellQuote(source) + " </dev/null");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return out + "/" + outputName;
  }
  std::string Convert(const std::string& source, const std::string& format) {
    const std::string name = source.substr(source.rfind('/') + 1);
    return Convert(source, "--format " + format, name.substr(0, name.rfind('.')) + "." + format);
  }

  // A tone in the kind's format, tagged by mutagen with everything the kind can hold.
  std::string MakeSource(const SourceKind& k) {
    const std::string plain = work.file(std::string("plain-") + k.file);
    const std::string source = work.file(k.file);
    EXPECT_TRUE(testsupport::MakeTone(plain, 0.5, 44100, 2, k.codecArgs));
    auto made = Script(std::string("make ") + k.kind + " " + ShellQuote(plain) + " " + ShellQuote(source));
    EXPECT_EQ(made.exitCode, 0) << made.output;
    return source;
  }
  // mutagen's reading of the output compared with what the source held.
  void ExpectCarried(const SourceKind& k, const std::string& output) {
    auto checked = Script(std::string("check ") + k.kind + " " + ShellQuote(output));
    EXPECT_EQ(checked.exitCode, 0) << k.kind << " -> " << output << ":\n" << checked.output;
  }
  testsupport::CommandResult Script(const std::string& args) {
    return testsupport::Run("/usr/bin/python3 " + ShellQuote(kScript) + " " + args);
  }

  testsupport::TempDir config;
  testsupport::TempDir work;
};

// One source of each kind, tagged by mutagen with every field, several values, a PNG and a
// JPEG picture and 2,000 characters of non-Latin text (RIFF INFO holds what it can). The
// sources are only ever opened for reading.
TEST_F(TagCarry, EverySourceCarriesEveryFieldIntoEveryOutput) {
  const SourceKind kinds[] = {
      {"id3v23", "v23.mp3", "-c:a libmp3lame -id3v2_version 0"},
      kMp3v24,
      {"ape_mp3", "ape.mp3", "-c:a libmp3lame -id3v2_version 0"},
      kFlac,
      kVorbis,
      kOpus,
      kM4a,
      kWma,
      {"wav_id3", "id3.wav", "-c:a pcm_s16le"},
      {"wav_info", "info.wav", "-c:a pcm_s16le"},
  };
  for (const SourceKind& k : kinds) {
    SCOPED_TRACE(k.kind);
    const std::string source = MakeSource(k);
    const WriteWatch watch(source);
    for (const char* format : {"mp3", "ogg", "wma", "flac", "opus", "m4a"}) ExpectCarried(k, Convert(source, format));
    EXPECT_FALSE(watch.Written());
  }
}

// Normalize keeps each file's own format, and all of its tags.
TEST_F(TagCarry, NormalizeOutputsCarryEveryField) {
  for (const SourceKind& k : {kMp3v24, kVorbis, kWma, kFlac, kOpus, kM4a}) {
    SCOPED_TRACE(k.kind);
    ExpectCarried(k, Convert(MakeSource(k), "--normalize", std::string("Normalize_") + k.file));
  }
}

// --tags prints what a conversion would carry: one line per field, several values and the
// pictures listed.
TEST_F(TagCarry, TagsOptionListsEveryField) {
  const std::string source = MakeSource(kMp3v24);
  auto r = testsupport::Run(std::string(VELMORA_CONVERT_PATH) + " --tags " + ShellQuote(source));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  for (const char* line : {"\n  ARTIST: \"Artist One\", \"Artist Two\"\n", "\n  TRACKTOTAL: \"12\"\n",
                           "\n  GENRE: \"Jazz\", \"Remix\"\n", "\n  MY_FIELD: \"custom value\"\n",
                           "\n  PICTURE: front cover, image/png, \"front.png\", 2056 bytes\n",
                           "\n  PICTURE: back cover, image/jpeg, \"back.jpg\", 3076 bytes\n"})
    EXPECT_NE(r.output.find(line), std::string::npos) << line << "\n" << r.output.substr(0, 2000);
}

// The outputs of a source with the seven fields alone, as the converter wrote them before it
// carried anything else. Ogg streams get a new serial number on every run, which the pages
// repeat together with their checksums; everything else must match.
TEST_F(TagCarry, SevenFieldsGiveTheOutputBytesTheyAlwaysGave) {
  for (const char* format : {"mp3", "ogg", "wma"}) {
    std::vector<uint8_t> got = ReadFileBytes(Convert(kData + "seven-fields-source.mp3", format));
    std::vector<uint8_t> want = ReadFileBytes(kData + "seven-fields-main." + format);
    ASSERT_EQ(got.size(), want.size()) << format;
    if (std::string(format) == "ogg") {
      for (size_t page = 0; page + 27 <= got.size(); page += 27) {
        for (size_t i : {14, 15, 16, 17, 22, 23, 24, 25}) got[page + i] = want[page + i];
        size_t body = 0;
        for (size_t s = 0; s < got[page + 26]; ++s) body += got[page + 27 + s];
        page += got[page + 26] + body;
      }
    }
    EXPECT_TRUE(got == want) << format;
  }
}

}  // namespace
