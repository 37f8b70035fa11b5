// The ID3v2.3 writer: exact byte layout, text encodings, placement in front of the audio, and
// what independent readers (mutagen, ffprobe) make of the result.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/TestSupport.h"
#include "tagformats/id3v2/ID3v2Builder.h"
#include "tagformats/id3v2/ID3v2Module.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t offset, size_t count) {
  return std::vector<uint8_t>(bytes.begin() + offset, bytes.begin() + offset + count);
}

std::vector<uint8_t> EmptyTextFrame(const char* id) { return Concat({Bytes(id), {0, 0, 0, 1, 0, 0, 0}}); }

// The 101-byte tag of a record whose seven fields are empty.
std::vector<uint8_t> EmptyTag() {
  return Concat({Bytes("ID3"), {3, 0, 0, 0, 0, 0, 0x5B}, EmptyTextFrame("TIT2"), EmptyTextFrame("TPE1"),
                 EmptyTextFrame("TALB"), EmptyTextFrame("TRCK"), EmptyTextFrame("TYER"), EmptyTextFrame("TCON"),
                 Bytes("COMM"), {0, 0, 0, 5, 0, 0, 0, 'e', 'n', 'g', 0}, std::vector<uint8_t>(10, 0)});
}

uint32_t TagSizeField(const std::vector<uint8_t>& tag) {
  return uint32_t{tag[6]} << 21 | tag[7] << 14 | tag[8] << 7 | tag[9];
}

Timerec FullRecord() {
  Timerec r;
  r.title = "Morning Song";
  r.artist = "The Testers";
  r.album = "Sine Waves";
  r.year = "1999";
  r.track = "7";
  r.comment = "made for a test";
  r.genre = "Ambient";
  return r;
}

bool MakeMp3(const std::string& path, double seconds, bool withEncoderTag = false) {
  return MakeTone(path, seconds, 44100, 2,
                  std::string("-c:a libmp3lame -b:a 128k") + (withEncoderTag ? "" : " -id3v2_version 0"));
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ID3v2Writer, EmptyRecordGivesThe101ByteTag) {
  EXPECT_EQ(BuildID3v2Tag(Timerec{}), EmptyTag());
}

TEST(ID3v2Writer, TextFrameSizeAndTagSizeFields) {
  Timerec record;
  record.title = "abc";
  std::vector<uint8_t> tag = BuildID3v2Tag(record);
  EXPECT_EQ(Slice(tag, 10, 14), Concat({Bytes("TIT2"), {0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c'}}));

  record.title = std::string(109, 'x');  // 91 + 109 = 200
  tag = BuildID3v2Tag(record);
  EXPECT_EQ(Slice(tag, 6, 4), (std::vector<uint8_t>{0, 0, 1, 0x48}));

  record.title = std::string(255, 'x');
  tag = BuildID3v2Tag(record);
  EXPECT_EQ(Slice(tag, 14, 4), (std::vector<uint8_t>{0, 0, 1, 0}));
  EXPECT_EQ(TagSizeField(tag), tag.size() - 10);
}

TEST(ID3v2Writer, LongTextIsWrittenWhole) {
  Timerec record;
  record.comment = std::string(300, 'c');
  const std::vector<uint8_t> tag = BuildID3v2Tag(record);
  // COMM is last: header, encoding, "eng", terminator, 300 bytes of text, padding.
  const size_t comm = tag.size() - 10 - (10 + 5 + 300);
  EXPECT_EQ(Slice(tag, comm, 8), Concat({Bytes("COMM"), {0, 0, 1, 0x31}}));
  EXPECT_EQ(TagSizeField(tag), tag.size() - 10);
}

// The ISO-8859-1 text of the first frame with the id; "<none>" when the tag has no such frame.
std::string FrameText(const std::vector<uint8_t>& tag, const std::string& id) {
  for (size_t pos = 10; pos + 10 <= tag.size() && tag[pos] != 0;) {
    const size_t size = size_t{tag[pos + 4]} << 24 | tag[pos + 5] << 16 | tag[pos + 6] << 8 | tag[pos + 7];
    if (std::string(tag.begin() + pos, tag.begin() + pos + 4) == id)
      return std::string(tag.begin() + pos + 11, tag.begin() + pos + 10 + size);
    pos += 10 + size;
  }
  return "<none>";
}

// Several values, totals and whole dates in the frames ID3v2.3 has for them.
TEST(ID3v2Writer, SeveralValuesTotalsAndDates) {
  Timerec record{"T", "A", "2004-05-06T12:30", "", "", "Jazz", "3"};
  record.extras.Add("ARTIST", "B");
  record.extras.Add("GENRE", "Remix");
  record.extras.Add("TRACKTOTAL", "12");
  record.extras.Add("DISCNUMBER", "1");
  record.extras.Add("DISCTOTAL", "2");
  record.extras.Add("COMPOSER", "C1");
  record.extras.Add("COMPOSER", "C2");
  record.extras.Add("LABEL", "L1");
  record.extras.Add("LABEL", "L2");
  const std::vector<uint8_t> tag = BuildID3v2Tag(record);
  const std::pair<const char*, const char*> frames[] = {
      {"TPE1", "A/B"}, {"TCON", "Jazz; Remix"}, {"TRCK", "3/12"}, {"TPOS", "1/2"}, {"TYER", "2004"},
      {"TDAT", "0605"}, {"TIME", "1230"}, {"TCOM", "C1/C2"}, {"TPUB", "L1; L2"}, {"TPE2", "<none>"}};
  for (const auto& [id, text] : frames) EXPECT_EQ(FrameText(tag, id), text) << id;
  record.year = "2004";
  EXPECT_EQ(FrameText(BuildID3v2Tag(record), "TDAT"), "<none>");
}

TEST(ID3v2Writer, Latin1TextIsConvertedFromUtf8) {
  Timerec record;
  record.artist = "Café";
  const std::vector<uint8_t> tag = BuildID3v2Tag(record);
  EXPECT_EQ(Slice(tag, 21, 15), Concat({Bytes("TPE1"), {0, 0, 0, 5, 0, 0, 0, 'C', 'a', 'f', 0xE9}}));
}

// Every UTF-16 string carries its byte-order mark, the comment's empty description included.
TEST(ID3v2Writer, TextBeyondLatin1IsWrittenAsUtf16) {
  Timerec record;
  record.title = "Привет";
  record.comment = "日本";
  const std::vector<uint8_t> tag = BuildID3v2Tag(record);
  EXPECT_EQ(Slice(tag, 10, 13), Concat({Bytes("TIT2"), {0, 0, 0, 15, 0, 0, 1, 0xFF, 0xFE}}));
  const std::vector<uint8_t> comm = Concat({Bytes("COMM"), {0, 0, 0, 14, 0, 0},
                                            {1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 0xE5, 0x65, 0x2C, 0x67}});
  EXPECT_EQ(Slice(tag, tag.size() - 10 - comm.size(), comm.size()), comm);
  EXPECT_EQ(TagSizeField(tag), tag.size() - 10);
}

TEST(ID3v2Writer, YearFrameHoldsTheLeadingFourDigitYearTrimmed) {
  EXPECT_EQ(YearFrameText("2001-02-03"), "2001");
  EXPECT_EQ(YearFrameText(" 2003 "), "2003");
  EXPECT_EQ(YearFrameText("1999"), "1999");
  EXPECT_EQ(YearFrameText("20011"), "20011");
  EXPECT_EQ(YearFrameText(" ca. 1990 "), "ca. 1990");
  EXPECT_EQ(YearFrameText("  "), "");
  Timerec record;
  record.year = "2001-02-03T10:00";
  const std::vector<uint8_t> tag = BuildID3v2Tag(record);
  const std::vector<uint8_t> tyer = Concat({Bytes("TYER"), {0, 0, 0, 5, 0, 0, 0}, Bytes("2001")});
  EXPECT_NE(std::search(tag.begin(), tag.end(), tyer.begin(), tyer.end()), tag.end());
}

TEST(ID3v2Writer, TagGoesInFrontOfTheUnchangedContent) {
  TempDir dir;
  const std::string path = dir.file("out.mp3");
  const std::vector<uint8_t> content = {0xFF, 0xFB, 0x90, 0x00, 'I', 'D', '3', 0, 1, 2};
  WriteFileBytes(path, content);
  ID3v2Module().Write(path, Timerec{});
  EXPECT_EQ(ReadFileBytes(path), Concat({EmptyTag(), content}));
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"out.mp3"});
}

TEST(ID3v2Writer, ReadOnlyOutputIsMadeWritableAndKeepsItsOtherBits) {
  TempDir dir;
  const std::string path = dir.file("ro.mp3");
  WriteFileText(path, "audio");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ID3v2Module().Write(path, FullRecord());
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_EQ(ReadFileBytes(path).size(), BuildID3v2Tag(FullRecord()).size() + 5);
}

TEST(ID3v2Writer, LinkedOutputTagsTheTargetAndKeepsTheLink) {
  TempDir dir;
  WriteFileText(dir.file("real.mp3"), "audio");
  fs::create_symlink("real.mp3", dir.file("link.mp3"));
  ID3v2Module().Write(dir.file("link.mp3"), Timerec{});
  EXPECT_TRUE(fs::is_symlink(dir.file("link.mp3")));
  EXPECT_EQ(ReadFileBytes(dir.file("real.mp3")).size(), 101u + 5);
}

TEST(ID3v2Writer, UnopenableOutputRaisesCannotOpenFile) {
  TempDir dir;
  const std::string gone = dir.file("vanished") + "/out.mp3";
  try {
    ID3v2Module().Write(gone, FullRecord());
    FAIL() << "no error";
  } catch (const TagError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + gone);
  }
  EXPECT_THROW(ID3v2Module().Write(dir.path(), FullRecord()), TagError);  // a folder, not a file
}

// A file size limit makes the writes stop part way, as a full disk would.
TEST(ID3v2Writer, FailedWriteLeavesTheOriginalAndNoTemporaryFile) {
  TempDir dir;
  const std::string path = dir.file("keep.mp3");
  const std::vector<uint8_t> original(200000, 0x55);
  WriteFileBytes(path, original);

  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit limited = saved;
  limited.rlim_cur = 100000;
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  bool threw = false;
  try {
    ID3v2Module().Write(path, FullRecord());
  } catch (const TagError& e) {
    threw = true;
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(threw);
  EXPECT_EQ(ReadFileBytes(path), original);
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"keep.mp3"});
}

// Short audio is rewritten in place, long audio copied to a new file: either way a second tag
// takes the place of the first.
TEST(ID3v2Writer, TaggingAgainReplacesTheTagWhateverTheAudioLength) {
  for (const size_t audioSize : {size_t{5000}, size_t{9} << 20}) {
    TempDir dir;
    const std::string path = dir.file("again.mp3");
    std::vector<uint8_t> audio(audioSize);
    for (size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<uint8_t>(i % 251);
    WriteFileBytes(path, audio);
    Timerec second = FullRecord();
    second.extras.Add("REPLAYGAIN_ALBUM_GAIN", "-3.20 dB");
    ID3v2Module().Write(path, FullRecord());
    ID3v2Module().Write(path, second);
    EXPECT_EQ(ReadFileBytes(path), Concat({BuildID3v2Tag(second), audio})) << audioSize;
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"again.mp3"});
  }
}

TEST(ID3v2Writer, NonLatinTextRoundTripsThroughMutagenFfprobeAndOurReader) {
  TempDir dir;
  const std::string path = dir.file("unicode.mp3");
  ASSERT_TRUE(MakeMp3(path, 1.0));
  Timerec record = FullRecord();
  record.title = "Привет";
  record.artist = "日本 🎵";
  record.comment = "Ünïcödé and 日本";
  record.album = "Café";
  ID3v2Module().Write(path, record);

  const MutagenTags tags = ReadWithMutagen(path);
  ASSERT_TRUE(tags.ok) << tags.error;
  EXPECT_EQ(tags.values.at("TIT2"), "Привет");
  EXPECT_EQ(tags.values.at("TPE1"), "日本 🎵");
  EXPECT_EQ(tags.values.at("TALB"), "Café");
  EXPECT_EQ(tags.values.at("COMM"), "Ünïcödé and 日本");
  EXPECT_EQ(Probe(path).tags.at("title"), "Привет");

  const Timerec read = ID3v2Module().Read(path);
  EXPECT_EQ(read.title, record.title);
  EXPECT_EQ(read.artist, record.artist);
  EXPECT_EQ(read.album, record.album);
  EXPECT_EQ(read.comment, record.comment);
}

TEST(ID3v2Writer, TagInFrontOfAnEncoderTagWinsAndTheAudioStaysWhole) {
  TempDir dir;
  const std::string path = dir.file("encoded.mp3");
  ASSERT_TRUE(MakeMp3(path, 1.5, true));
  const double before = DecodedSeconds(path);
  ID3v2Module().Write(path, FullRecord());
  EXPECT_EQ(ReadWithMutagen(path).values.at("TIT2"), "Morning Song");
  EXPECT_DOUBLE_EQ(DecodedSeconds(path), before);
  EXPECT_NEAR(Probe(path).duration, before, 0.1);
}

}  // namespace
