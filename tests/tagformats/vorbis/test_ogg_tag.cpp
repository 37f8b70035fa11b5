// The Vorbis comment module on real files, checked against vorbiscomment, mutagen, ffprobe,
// ogginfo and decodes of the audio.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "support/TestSupport.h"
#include "tagformats/vorbis/VorbisCommentEditor.h"
#include "test_ogg_support.h"
#include "../PeakMemory.h"
#include "tagformats/vorbis/VorbisModule.h"

using namespace testsupport;
using namespace oggtest;
namespace fs = std::filesystem;

namespace {

Timerec FullRecord() {
  Timerec tag;
  tag.title = "Grüße – 日本語";
  tag.artist = "Artist";
  tag.album = "Album";
  tag.track = "4";
  tag.year = "2001";
  tag.genre = "Jazz";
  tag.comment = "Line one\nline two";
  return tag;
}

Timerec OnlyTitle(const std::string& title) {
  Timerec tag;
  tag.title = title;
  return tag;
}

Timerec Read(const std::string& path) { return VorbisModule().Read(path); }

std::vector<std::string> FolderEntries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t PermissionBits(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

// Runs `call`, which must throw a TagError starting with `prefix`.
template <typename Call>
void ExpectTagError(Call call, const std::string& prefix) {
  try {
    call();
    ADD_FAILURE() << "no error, expected " << prefix;
  } catch (const TagError& error) {
    EXPECT_EQ(std::string(error.what()).rfind(prefix, 0), 0u) << error.what();
  }
}

// Adds raw comment bytes (not necessarily UTF-8) through the editor, as a foreign tagger might.
void WriteRawComments(const std::string& path, const std::vector<std::string>& comments) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  size_t position = 0;
  VorbisCommentEditor editor([&](void* buffer, size_t size) {
    const size_t got = std::min(size, bytes.size() - position);
    std::memcpy(buffer, bytes.data() + position, got);
    position += got;
    return got;
  });
  vorbis_comment_clear(&editor.comments());
  vorbis_comment_init(&editor.comments());
  for (const auto& c : comments) vorbis_comment_add(&editor.comments(), c.c_str());
  std::vector<uint8_t> out;
  editor.Write([&](const void* data, size_t size) {
    out.insert(out.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    return true;
  });
  WriteFileBytes(path, out);
}

}  // namespace

// What every reader sees is checked for all formats alike (test_tag_modules); here the
// comment list itself, and the stream around it.
TEST(OggTag, WritesTheRecordsCommentsInOrderAndKeepsTheAudio) {
  TempDir dir;
  std::string song = MakeVorbis(dir.file("song.ogg"), 2.5);
  std::string audioBefore = DecodedMd5(song);
  const Timerec tag = FullRecord();

  ASSERT_NO_THROW(VorbisModule().Write(song, tag));

  EXPECT_EQ(ListComments(song),
            (std::vector<std::string>{"Title=" + tag.title, "Artist=Artist", "Album=Album", "TrackNumber=4",
                                      "Date=2001", "Genre=Jazz", "Comment=Line one", "line two"}));
  EXPECT_EQ(ReadWithMutagen(song).values["comment"], "Line one\\nline two");
  EXPECT_EQ(OggInfoProblems(song), "");
  EXPECT_EQ(DecodedMd5(song), audioBefore);
  EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"song.ogg"});
}

TEST(OggTag, OnlyTheRecordsFieldsRemain) {
  TempDir dir;
  std::string song = MakeVorbis(dir.file("song.ogg"), 1);
  ASSERT_EQ(ListComments(song).size(), 1u);  // the encoder's own

  ASSERT_NO_THROW(VorbisModule().Write(song, OnlyTitle("Only")));
  EXPECT_EQ(ListComments(song), std::vector<std::string>{"Title=Only"});

  ASSERT_NO_THROW(VorbisModule().Write(song, Timerec{}));
  EXPECT_TRUE(ListComments(song).empty());
  MutagenTags mutagen = ReadWithMutagen(song);
  ASSERT_TRUE(mutagen.ok) << mutagen.error;
  EXPECT_TRUE(mutagen.values.empty());
  EXPECT_EQ(OggInfoProblems(song), "");
  EXPECT_EQ(Read(song).title, "");
}

TEST(OggTag, ReadsCommentsWrittenByOtherTools) {
  TempDir dir;
  std::string song = MakeVorbis(dir.file("song.ogg"), 1);
  CommandResult r = testsupport::Run("vorbiscomment -w -t 'ARTIST=X' -t 'artist=Y' -t 'DATE=2001' -t 'ti~tle=Wrong' "
                        "-t 'Album=  padded  ' -t 'GENRE=Électro' " + ShellQuote(song));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  Timerec tag = Read(song);
  EXPECT_EQ(tag.artist, "X");  // Y is kept beside it
  EXPECT_EQ(Read(song).extras.Values("ARTIST"), std::vector<std::string>{"Y"});
  EXPECT_EQ(tag.year, "2001");
  EXPECT_EQ(tag.title, "");
  EXPECT_EQ(tag.album, "padded");
  EXPECT_EQ(tag.genre, "Électro");

  r = RunPython("import sys, mutagen.oggvorbis as o\n"
                "f = o.OggVorbis(sys.argv[1]); f.delete()\n"
                "f['title'] = 'Ça va'; f['COMMENT'] = 'x' * 70000; f['tracknumber'] = '12'\n"
                "f.save()",
                {song});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  tag = Read(song);
  EXPECT_EQ(tag.title, "Ça va");
  EXPECT_EQ(tag.comment, std::string(70000, 'x'));
  EXPECT_EQ(tag.track, "12");
  EXPECT_EQ(tag.artist, "");

  WriteRawComments(song, {"TITLE=bad \xFF\xFE byte", "noequals", "=Lead"});
  tag = Read(song);
  EXPECT_EQ(tag.title, "bad \xEF\xBF\xBD\xEF\xBF\xBD byte");
}

// A 15 MB cover among the comments: it is carried whole, the comments around it read as well,
// and the reading holds the cover only a few times over.
TEST(OggTag, CommentsAroundAHugePictureAreRead) {
  TempDir dir;
  std::string song = MakeVorbis(dir.file("cover.ogg"), 1);
  CommandResult r = RunPython("import sys, base64, mutagen.oggvorbis as o\n"
                              "f = o.OggVorbis(sys.argv[1]); f.delete()\n"
                              "f['ARTIST'] = 'Before'\n"
                              "from mutagen.flac import Picture\n"
                              "p = Picture(); p.type = 3; p.mime = 'image/png'; p.data = b'\\x89PNG' * (15 << 18)\n"
                              "f['METADATA_BLOCK_PICTURE'] = base64.b64encode(p.write()).decode()\n"
                              "f['TITLE'] = 'After the cover'; f['GENRE'] = '17'\n"
                              "f.save()",
                              {song});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  ASSERT_GT(fs::file_size(song), size_t{20} << 20);
  Timerec tags;
  const std::optional<long> growth = tagtest::PeakGrowthKilobytes([&] { tags = VorbisModule().Read(song); });
  EXPECT_EQ(tags.title, "After the cover");
  EXPECT_EQ(tags.artist, "Before");
  EXPECT_EQ(tags.genre, "Rock");
  ASSERT_EQ(tags.extras.pictures.size(), 1u);
  EXPECT_EQ(tags.extras.pictures[0].data.size(), size_t{15} << 20);
  EXPECT_EQ(tags.extras.pictures[0].mimeType, "image/png");
  if (growth) {
    EXPECT_LT(*growth, 5 * 20 * 1024) << "kB";
  }
  auto mutagen = ReadWithMutagen(song);
  ASSERT_TRUE(mutagen.ok) << mutagen.error;
  EXPECT_EQ(mutagen.values["title"], "After the cover");
}

// Other taggers write DESCRIPTION and YEAR; they count when COMMENT and DATE are missing.
TEST(OggTag, DescriptionAndYearStandInForCommentAndDate) {
  TempDir dir;
  std::string song = MakeVorbis(dir.file("song.ogg"), 1);
  CommandResult r = testsupport::Run("vorbiscomment -w -t 'DESCRIPTION=Liner note' -t 'YEAR=1994' " + ShellQuote(song));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const Timerec tags = VorbisModule().Read(song);
  EXPECT_EQ(tags.comment, "Liner note");
  EXPECT_EQ(tags.year, "1994");
  EXPECT_EQ(ReadWithMutagen(song).values["description"], "Liner note");
}

TEST(OggTag, ExistingTempFileIsNeverTouched) {
  TempDir dir;
  std::string song = MakeVorbis(dir.file("song.ogg"), 1);
  WriteFileText(dir.file("song.temp"), "someone else's file");
  WriteFileText(dir.file("song.1.temp"), "and another");

  ASSERT_NO_THROW(VorbisModule().Write(song, OnlyTitle("T")));
  EXPECT_EQ(Read(song).title, "T");
  EXPECT_EQ(ReadFileBytes(dir.file("song.temp")), ReadFileBytes(dir.file("song.temp")));
  auto text = [&](const std::string& name) {
    auto bytes = ReadFileBytes(dir.file(name));
    return std::string(bytes.begin(), bytes.end());
  };
  EXPECT_EQ(text("song.temp"), "someone else's file");
  EXPECT_EQ(text("song.1.temp"), "and another");
  EXPECT_EQ(FolderEntries(dir), (std::vector<std::string>{"song.1.temp", "song.ogg", "song.temp"}));
}

TEST(OggTag, FailureLeavesTheFileAsItWas) {
  TempDir dir;
  std::vector<uint8_t> vorbis = ReadFileBytes(MakeVorbis(dir.file("source.ogg"), 1));
  std::vector<uint8_t> other = ReadFileBytes(MakeOggenc(dir.file("other.ogg"), 1));
  fs::remove(dir.file("source.ogg"));
  fs::remove(dir.file("other.ogg"));
  MakeTone(dir.file("flac.ogg"), 1, 44100, 1, "-c:a flac");
  std::vector<uint8_t> flac = ReadFileBytes(dir.file("flac.ogg"));
  fs::remove(dir.file("flac.ogg"));

  std::vector<uint8_t> chained = vorbis;
  chained.insert(chained.end(), other.begin(), other.end());
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"truncated.ogg", {vorbis.begin(), vorbis.end() - 100}, "Cannot write comments: "},
      {"chained.ogg", chained, "Cannot write comments: Chained"},
      {"flac.ogg", flac, "Cannot open " + dir.file("flac.ogg") + ": First logical stream is not Ogg Vorbis"},
      {"empty.ogg", {}, "Cannot open " + dir.file("empty.ogg") + ": "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir.file(c.name);
    WriteFileBytes(path, c.bytes);
    chmod(path.c_str(), 0640);
    ExpectTagError([&] { VorbisModule().Write(path, FullRecord()); }, c.error);
    EXPECT_EQ(ReadFileBytes(path), c.bytes);
    EXPECT_EQ(PermissionBits(path), 0640u);
    EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{c.name});
    fs::remove(path);
  }
  ExpectTagError([&] { VorbisModule().Write(dir.file("missing.ogg"), FullRecord()); },
                 "Cannot open file " + dir.file("missing.ogg"));
  EXPECT_TRUE(FolderEntries(dir).empty());
}

TEST(OggTag, ReaderErrorsNameTheFile) {
  TempDir dir;
  ExpectTagError([&] { Read(dir.file("missing.ogg")); }, "Cannot open file " + dir.file("missing.ogg"));
  WriteFileText(dir.file("text.ogg"), "not audio at all");
  ExpectTagError([&] { Read(dir.file("text.ogg")); },
                 "Cannot open " + dir.file("text.ogg") + ": Input is not an Ogg bitstream");
}

TEST(OggTag, PermissionBitsAreKept) {
  TempDir dir;
  for (mode_t mode : {0444, 0640, 0200, 0755}) {
    SCOPED_TRACE(mode);
    std::string song = MakeVorbis(dir.file("song.ogg"), 0.5);
    chmod(song.c_str(), mode);
    ASSERT_NO_THROW(VorbisModule().Write(song, OnlyTitle("Mode")));
    EXPECT_EQ(PermissionBits(song), mode);
    chmod(song.c_str(), 0644);
    EXPECT_EQ(Read(song).title, "Mode");
    fs::remove(song);
  }
}

// A 17 MB picture makes a comment packet that spans hundreds of pages; a file that holds one
// is rewritten again, and independent readers see the picture whole.
TEST(OggTag, PictureLargerThanSixteenMegabytesIsWrittenAndRewritten) {
  TempDir dir;
  const std::string song = MakeVorbis(dir.file("large.ogg"), 1);
  Timerec record{"Large cover", "", "", "", "", "", "", {}};
  TagPicture cover{3, "image/jpeg", "cover", std::vector<uint8_t>(17u << 20, 0x5A)};
  cover.data[0] = 0xFF, cover.data[1] = 0xD8;
  record.extras.pictures.push_back(cover);
  VorbisModule().Write(song, record);
  record.title = "Written again";
  VorbisModule().Write(song, record);
  const Timerec read = VorbisModule().Read(song);
  EXPECT_EQ(read, record);
  CommandResult r = RunPython("import sys\nfrom mutagen.oggvorbis import OggVorbis\nf = OggVorbis(sys.argv[1])\n"
                              "from mutagen.flac import Picture\nimport base64\n"
                              "p = Picture(base64.b64decode(f['metadata_block_picture'][0]))\n"
                              "print(f['title'][0], p.type, p.mime, len(p.data))",
                              {song});
  EXPECT_EQ(r.output, "Written again 3 image/jpeg " + std::to_string(17u << 20) + "\n");
  EXPECT_EQ(OggInfoProblems(song), "");
}
