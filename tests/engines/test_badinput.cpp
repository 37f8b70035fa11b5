// Hostile and broken sources: each gets an EngineError naming the file, or, when whole
// packets survive a cut, a clean end after them. Never a crash, hang or leak (the sanitizer
// build runs these too).
#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "EngineTestUtil.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

struct ReadOutcome {
  bool failed = false;
  std::string message;
  int64_t frames = 0;
};

ReadOutcome ReadToEnd(const std::string& path) {
  ReadOutcome outcome;
  try {
    TAudioFile2 reader;
    reader.OpenForRead(path, ReadMode::kWholeSource, ReadFlags::kPcm16);
    const int blockBytes = reader.SampleRate() * reader.Channels();
    for (ByteBlock b; !(b = reader.ReadBlock(blockBytes)).empty();)
      outcome.frames += static_cast<int64_t>(b.size()) / reader.FrameSize();
  } catch (const EngineError& e) {
    outcome.failed = true;
    outcome.message = e.what();
  }
  return outcome;
}

void ExpectEngineError(const std::string& path, const std::string& why) {
  ReadOutcome outcome = ReadToEnd(path);
  ASSERT_TRUE(outcome.failed) << why << ": read " << outcome.frames << " frames";
  EXPECT_NE(outcome.message.find(path), std::string::npos) << outcome.message;
}

std::vector<uint8_t> WavHeader(uint32_t riffSize, uint16_t channels, uint32_t rate,
                               uint16_t blockAlign, uint16_t bits, uint32_t dataSize) {
  std::vector<uint8_t> h;
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) h.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto tag = [&](const char* t) { h.insert(h.end(), t, t + 4); };
  tag("RIFF"); put(riffSize, 4); tag("WAVE"); tag("fmt "); put(16, 4);
  put(1, 2); put(channels, 2); put(rate, 4); put(rate * blockAlign, 4); put(blockAlign, 2);
  put(bits, 2); tag("data"); put(dataSize, 4);
  return h;
}

std::vector<uint8_t> WithAudio(std::vector<uint8_t> header, size_t audioBytes) {
  std::mt19937 random(7);
  for (size_t i = 0; i < audioBytes; ++i) header.push_back(static_cast<uint8_t>(random()));
  return header;
}

TEST(BadInput, EmptyFilesOfEveryType) {
  TempDir dir;
  for (const char* name : {"a.mp3", "a.wav", "a.ogg", "a.wma"}) {
    WriteFileText(dir.file(name), "");
    ExpectEngineError(dir.file(name), name);
  }
}

TEST(BadInput, TextFilesRenamedToAudio) {
  TempDir dir;
  const std::string text =
      "#EXTM3U\nThis is a shopping list, not a song.\nfile:///etc/passwd\n";
  for (const char* name : {"list.mp3", "list.wav", "list.ogg", "list.wma"}) {
    std::string body;
    for (int i = 0; i < 200; ++i) body += text;
    WriteFileText(dir.file(name), body);
    ExpectEngineError(dir.file(name), name);
  }
}

TEST(BadInput, RandomBytesNamedMp3EndCleanly) {
  TempDir dir;
  std::mt19937 random(42);
  for (int round = 0; round < 5; ++round) {
    std::vector<uint8_t> bytes(20000 + round * 7777);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    const std::string path = dir.file("noise" + std::to_string(round) + ".mp3");
    WriteFileBytes(path, bytes);
    ReadOutcome outcome = ReadToEnd(path);
    if (outcome.failed) {
      EXPECT_NE(outcome.message.find(path), std::string::npos);
    }
  }
}

// Damage anywhere in a valid file: bytes overwritten at random, in the headers or the audio.
TEST(BadInput, CorruptedBytesAnywhere) {
  TempDir dir;
  const std::pair<const char*, const char*> kinds[] = {
      {".mp3", "-c:a libmp3lame -b:a 64k"}, {".ogg", "-c:a libvorbis"},
      {".wma", "-c:a wmav2 -b:a 64k"}, {".wav", "-c:a pcm_s16le"}};
  std::mt19937 random(2024);
  for (const auto& [extension, args] : kinds) {
    const std::string whole = dir.file(std::string("whole") + extension);
    ASSERT_TRUE(MakeTone(whole, 1.5, 22050, 2, args));
    const auto bytes = ReadFileBytes(whole);
    for (int variant = 0; variant < 25; ++variant) {
      auto damaged = bytes;
      // Early variants hit the first kilobyte, where the headers are.
      const size_t span = variant < 12 ? std::min<size_t>(1024, bytes.size()) : bytes.size();
      for (int hit = 0; hit < 1 + variant % 8; ++hit)
        damaged[random() % span] = static_cast<uint8_t>(random());
      const std::string path = dir.file("damaged" + std::to_string(variant) + extension);
      WriteFileBytes(path, damaged);
      ReadOutcome outcome = ReadToEnd(path);
      if (outcome.failed) {
        EXPECT_NE(outcome.message.find(path), std::string::npos) << outcome.message;
      }
    }
  }
}

struct Truncation {
  const char* name;
  const char* extension;
  const char* codecArgs;
};

void PrintTo(const Truncation& t, std::ostream* os) { *os << t.name; }

class TruncatedSource : public ::testing::TestWithParam<Truncation> {};

TEST_P(TruncatedSource, CutsFailOrEndCleanly) {
  const Truncation& t = GetParam();
  TempDir dir;
  const std::string whole = dir.file(std::string("whole") + t.extension);
  ASSERT_TRUE(MakeTone(whole, 4.0, 44100, 2, t.codecArgs));
  const int64_t wholeFrames = ReadToEnd(whole).frames;
  const auto bytes = ReadFileBytes(whole);

  // Within the header, error (a WAV has whole frames after 64 bytes); at half, as far as
  // whole packets go.
  for (size_t cut : {size_t{16}, size_t{64}}) {
    if (cut == 64 && std::string(t.extension) == ".wav") continue;
    const std::string path = dir.file("head" + std::to_string(cut) + t.extension);
    WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
    ExpectEngineError(path, "cut at " + std::to_string(cut));
  }
  for (size_t cut : {bytes.size() / 2, bytes.size() - 1, size_t{700}, size_t{5000}}) {
    const std::string path = dir.file("cut" + std::to_string(cut) + t.extension);
    WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
    ReadOutcome outcome = ReadToEnd(path);
    if (outcome.failed) {
      EXPECT_NE(outcome.message.find(path), std::string::npos) << outcome.message;
    } else {
      EXPECT_LE(outcome.frames, wholeFrames) << "cut at " << cut;
    }
  }
  // Half a file still yields what ffmpeg finds in it: a cut-off download converts as far
  // as it goes.
  const std::string half = dir.file(std::string("half") + t.extension);
  WriteFileBytes(half, std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
  ReadOutcome outcome = ReadToEnd(half);
  if (!outcome.failed) {
    EXPECT_NEAR(outcome.frames / 44100.0, DecodedSeconds(half), 0.05);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TruncatedSource,
    ::testing::Values(Truncation{"mp3", ".mp3", "-c:a libmp3lame -b:a 128k"},
                      Truncation{"ogg", ".ogg", "-c:a libvorbis"},
                      Truncation{"wma", ".wma", "-c:a wmav2 -b:a 128k"},
                      Truncation{"wav", ".wav", "-c:a pcm_s16le"}),
    [](const ::testing::TestParamInfo<Truncation>& info) { return std::string(info.param.name); });

TEST(BadInput, WavHeadersThatLie) {
  TempDir dir;
  const size_t audio = 44100 * 4;  // one second of 16-bit stereo
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"zero_channels", WithAudio(WavHeader(36 + audio, 0, 44100, 4, 16, audio), audio)},
      {"zero_rate", WithAudio(WavHeader(36 + audio, 2, 0, 4, 16, audio), audio)},
      {"zero_block_align", WithAudio(WavHeader(36 + audio, 2, 44100, 0, 16, audio), audio)},
      {"header_only", WavHeader(36 + audio, 2, 44100, 4, 16, audio)},
      {"cut_in_fmt", WavHeader(36, 2, 44100, 4, 16, 0)},
  };
  cases[std::size(cases) - 1].bytes.resize(24);
  for (const auto& c : cases) {
    const std::string path = dir.file(std::string(c.name) + ".wav");
    WriteFileBytes(path, c.bytes);
    ExpectEngineError(path, c.name);
  }
  // A RIFF size that lies alone is harmless: everyone reads by the chunk sizes. A data size
  // past the end is a cut-off file: what is there converts.
  const std::pair<const char*, std::vector<uint8_t>> readable[] = {
      {"riff_size_wrong", WithAudio(WavHeader(12345, 2, 44100, 4, 16, audio), audio)},
      {"data_size_past_end", WithAudio(WavHeader(36 + 10 * audio, 2, 44100, 4, 16, 10 * audio), audio)},
      {"data_size_huge", WithAudio(WavHeader(0x7FFFFFF0, 2, 44100, 4, 16, 0x7FFFFFC0), audio)}};
  for (const auto& [name, bytes] : readable) {
    const std::string path = dir.file(std::string(name) + ".wav");
    WriteFileBytes(path, bytes);
    ReadOutcome outcome = ReadToEnd(path);
    EXPECT_FALSE(outcome.failed) << outcome.message;
    EXPECT_EQ(outcome.frames, 44100) << name;
  }
}

// Opus, FLAC and Speex in Ogg are read like Vorbis (see the reader tests); a video-only Ogg
// has nothing to read.
TEST(BadInput, OggWithoutAudio) {
  TempDir dir;
  const std::string video = dir.file("video.ogg");
  ASSERT_EQ(testsupport::Run("ffmpeg -nostdin -v error -f lavfi -i testsrc=duration=1:size=64x48:rate=5 "
                "-c:v libtheora " + ShellQuote(video)).exitCode, 0);
  ExpectEngineError(video, "theora only");
}

TEST(BadInput, FoldersMissingFilesAndSpecialFiles) {
  TempDir dir;
  ExpectEngineError(dir.path(), "a folder");
  ASSERT_EQ(mkdir(dir.file("album.mp3").c_str(), 0755), 0);
  ExpectEngineError(dir.file("album.mp3"), "a folder named like a song");
  ExpectEngineError(dir.file("missing.mp3"), "no such file");
  // A named pipe would block a reader forever.
  ASSERT_EQ(mkfifo(dir.file("pipe.mp3").c_str(), 0644), 0);
  ExpectEngineError(dir.file("pipe.mp3"), "a pipe");
}

// Root reads whatever the permissions say, so as root the check runs in a child process
// that has become "nobody".
TEST(BadInput, FileWithoutReadPermission) {
  TempDir dir;
  const std::string path = dir.file("locked.mp3");
  ASSERT_TRUE(MakeTone(path, 0.5, 44100, 2, "-c:a libmp3lame"));
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  if (geteuid() != 0) {
    ExpectEngineError(path, "unreadable");
    return;
  }
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(3);
    ReadOutcome outcome = ReadToEnd(path);
    const bool named = outcome.message.find(path) != std::string::npos;
    _exit(outcome.failed && named ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: read or error without the path; 3: could not drop root";
}

TEST(BadInput, NamesThatLookLikeUrlsOrOptionsAreJustFiles) {
  TempDir dir;
  for (const char* name : {"http:song.mp3", "-i.wav", "concat:a.mp3"}) {
    const std::string path = dir.file(name);
    ASSERT_TRUE(MakeTone(path, 0.5, 22050, 1, ""));
    ReadOutcome outcome = ReadToEnd(path);
    EXPECT_FALSE(outcome.failed) << outcome.message;
    EXPECT_GT(outcome.frames, 10000) << name;
  }
}

}  // namespace
