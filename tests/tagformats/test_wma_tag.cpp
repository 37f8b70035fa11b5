// WriteWMATag and ReadWMATag on real WMA files: our writer's output checked by our reader, by
// mutagen and by ffprobe; our reader on files tagged by mutagen and ffmpeg; damaged files and
// the header-walk path.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>

#include "support/TestSupport.h"
#include "tagformats/WmaAudioInfo.h"
#include "tagformats/WmaTag.h"

namespace {

using testsupport::MutagenTags;
using testsupport::ReadWithMutagen;
using testsupport::TempDir;

std::string MakeWma(const TempDir& dir, const std::string& name, double seconds = 2.0) {
  const std::string path = dir.file(name);
  EXPECT_TRUE(testsupport::MakeTone(path, seconds, 44100, 2, "-c:a wmav2 -b:a 128k"));
  return path;
}

WMATagInfo Record(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year, const std::string& comment, const std::string& genre,
                  uint16_t track) {
  WMATagInfo r{};
  SetWmaField(r.title, title);
  SetWmaField(r.artist, artist);
  SetWmaField(r.album, album);
  SetWmaField(r.year, year);
  SetWmaField(r.comment, comment);
  SetWmaField(r.genre, genre);
  r.track = track;
  return r;
}

void ExpectSameTexts(const WMATagInfo& read, const WMATagInfo& written) {
  EXPECT_EQ(WmaFieldText(read.title), WmaFieldText(written.title));
  EXPECT_EQ(WmaFieldText(read.artist), WmaFieldText(written.artist));
  EXPECT_EQ(WmaFieldText(read.album), WmaFieldText(written.album));
  EXPECT_EQ(WmaFieldText(read.year), WmaFieldText(written.year));
  EXPECT_EQ(WmaFieldText(read.comment), WmaFieldText(written.comment));
  EXPECT_EQ(WmaFieldText(read.genre), WmaFieldText(written.genre));
}

// The texts of the content description object, found by an independent little parser.
std::map<std::string, std::string> ContentDescription(const std::string& path) {
  static const char* kProgram = R"PY(
import sys, struct, uuid
data = open(sys.argv[1], "rb").read(1 << 20)
at = data.find(uuid.UUID("75B22633-668E-11CF-A6D9-00AA0062CE6C").bytes_le)
if at < 0:
    print("MISSING=1"); sys.exit(0)
lengths = struct.unpack_from("<5H", data, at + 24)
pos = at + 34
for name, n in zip(["Title", "Author", "Copyright", "Description", "Rating"], lengths):
    print(name + "=" + data[pos:pos + n].decode("utf-16-le").rstrip("\0")); pos += n
)PY";
  std::map<std::string, std::string> values;
  std::istringstream lines(testsupport::RunPython(kProgram, {path}).output);
  for (std::string line; std::getline(lines, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

void TagWithMutagen(const std::string& path, const std::string& assignments) {
  const auto r = testsupport::RunPython(
      "import sys\nfrom mutagen.asf import ASF, ASFDWordAttribute, ASFUnicodeAttribute\n"
      "f = ASF(sys.argv[1])\nf.tags.clear()\n" + assignments + "\nf.save()\n", {path});
  ASSERT_EQ(r.exitCode, 0) << r.output;
}

mode_t ModeBits(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

// Puts the attribute layer's factory back whatever a test did with it.
class FactoryRestorer {
 public:
  ~FactoryRestorer() { SetWmaAudioInfoFactory(&WmaAudioInfo::Open); }
};

// Overwrites the first occurrence of `what` in the file.
void Patch(const std::string& path, const std::vector<uint8_t>& what, const std::vector<uint8_t>& with) {
  auto bytes = testsupport::ReadFileBytes(path);
  auto at = std::search(bytes.begin(), bytes.end(), what.begin(), what.end());
  ASSERT_NE(at, bytes.end());
  std::copy(with.begin(), with.end(), at);
  testsupport::WriteFileBytes(path, bytes);
}

uint64_t HeaderSize(const std::string& path) {
  const auto bytes = testsupport::ReadFileBytes(path);
  uint64_t size = 0;
  for (int i = 23; i >= 16; --i) size = (size << 8) | bytes.at(size_t(i));
  return size;
}

TEST(WmaTag, WrittenTagsReadBackByUsMutagenAndFfprobe) {
  TempDir dir;
  const std::string path = MakeWma(dir, "out.wma");
  const double secondsBefore = testsupport::DecodedSeconds(path);
  const WMATagInfo written =
      Record("The Title", "The Artist", "The Album", "1987", "A comment", "Rock", 7);
  ASSERT_TRUE(WriteWMATag(path, written));

  WMATagInfo read;
  ReadWMATag(path, read);
  EXPECT_EQ(read.found, -1);
  ExpectSameTexts(read, written);
  EXPECT_EQ(read.track, 7);
  EXPECT_EQ(WmaFieldText(read.copyright), "");

  const MutagenTags m = ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(m.values.at("Title"), "The Title");
  EXPECT_EQ(m.values.at("Author"), "The Artist");
  EXPECT_EQ(m.values.at("Description"), "A comment");
  EXPECT_EQ(m.values.at("WM/AlbumTitle"), "The Album");
  EXPECT_EQ(m.values.at("WM/Year"), "1987");
  EXPECT_EQ(m.values.at("WM/Genre"), "Rock");
  EXPECT_EQ(m.values.at("WM/TrackNumber"), "7");
  const auto typeOfTrack = testsupport::RunPython(
      "import sys\nfrom mutagen.asf import ASF\nprint(ASF(sys.argv[1])['WM/TrackNumber'][0].TYPE)",
      {path});
  EXPECT_EQ(typeOfTrack.output, "3\n");  // DWORD

  const auto cdo = ContentDescription(path);
  EXPECT_EQ(cdo.count("MISSING"), 0u);
  EXPECT_EQ(cdo.at("Title"), "The Title");
  EXPECT_EQ(cdo.at("Author"), "The Artist");
  EXPECT_EQ(cdo.at("Description"), "A comment");

  const auto probe = testsupport::Probe(path);
  ASSERT_TRUE(probe.ok);
  EXPECT_EQ(probe.codec, "wmav2");
  EXPECT_EQ(probe.tags.at("title"), "The Title");
  EXPECT_EQ(probe.tags.at("artist"), "The Artist");
  EXPECT_EQ(probe.tags.at("album"), "The Album");
  EXPECT_EQ(probe.tags.at("genre"), "Rock");
  EXPECT_EQ(probe.tags.at("comment"), "A comment");
  EXPECT_EQ(probe.tags.at("track"), "7");
  // ffmpeg shows "WM/Year" under its own name, flattened by the probe to "wm_year".
  EXPECT_EQ(probe.tags.count("date") ? probe.tags.at("date") : probe.tags.at("wm_year"), "1987");

  EXPECT_DOUBLE_EQ(testsupport::DecodedSeconds(path), secondsBefore);
}

TEST(WmaTag, NonAsciiTextsRoundTrip) {
  TempDir dir;
  const std::string path = MakeWma(dir, "out.wma");
  const WMATagInfo written = Record("Caf\xC3\xA9 \xE2\x99\xAA", "\xE5\xB1\xB1\xE7\x94\xB0",
                                    "\xD0\x90\xD0\xBB\xD1\x8C\xD0\xB1\xD0\xBE\xD0\xBC", "2020",
                                    "\xF0\x9F\x8E\xB5 emoji", "M\xC3\xBAsica", 1);
  ASSERT_TRUE(WriteWMATag(path, written));
  WMATagInfo read;
  ReadWMATag(path, read);
  ExpectSameTexts(read, written);
  const MutagenTags m = ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(m.values.at("Title"), "Caf\xC3\xA9 \xE2\x99\xAA");
  EXPECT_EQ(m.values.at("Description"), "\xF0\x9F\x8E\xB5 emoji");
  EXPECT_EQ(testsupport::Probe(path).tags.at("artist"), "\xE5\xB1\xB1\xE7\x94\xB0");
}

TEST(WmaTag, EmptyFieldsStillSetSevenAttributes) {
  TempDir dir;
  const std::string path = MakeWma(dir, "out.wma");
  ASSERT_TRUE(WriteWMATag(path, WMATagInfo{}));
  const MutagenTags m = ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  for (const char* key : {"WM/AlbumTitle", "WM/Year", "WM/Genre"}) {
    ASSERT_EQ(m.values.count(key), 1u) << key;
    EXPECT_EQ(m.values.at(key), "") << key;
  }
  EXPECT_EQ(m.values.at("WM/TrackNumber"), "0");
  WMATagInfo read;
  ReadWMATag(path, read);
  EXPECT_EQ(read.found, -1);
  EXPECT_EQ(read.track, 0);
  EXPECT_EQ(WmaFieldText(read.title), "");
}

TEST(WmaTag, FullFieldsAndDamagedFields) {
  TempDir dir;
  const std::string path = MakeWma(dir, "out.wma");
  WMATagInfo written = Record(std::string(200, 't'), "ok", "", "", std::string(300, 'c'), "", 2);
  std::memset(written.genre, 'g', sizeof written.genre);  // 32 bytes, no terminator
  std::memcpy(written.album, "bad \xC3", 6);              // cut UTF-8 sequence
  ASSERT_TRUE(WriteWMATag(path, written));

  const MutagenTags m = ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(m.values.at("Title"), std::string(127, 't'));
  EXPECT_EQ(m.values.at("Description"), std::string(254, 'c'));
  EXPECT_EQ(m.values.at("WM/Genre"), std::string(32, 'g'));
  EXPECT_EQ(m.values.count("WM/AlbumTitle"), 0u);  // not valid UTF-8: left unset
  EXPECT_EQ(m.values.at("Author"), "ok");

  WMATagInfo read;
  ReadWMATag(path, read);
  EXPECT_EQ(WmaFieldText(read.title), std::string(127, 't'));
  EXPECT_EQ(WmaFieldText(read.genre), std::string(31, 'g'));  // 31 + terminator
  EXPECT_EQ(WmaFieldText(read.comment), std::string(127, 'c'));  // one 256-byte value buffer
}

TEST(WmaTag, ReadsFilesTaggedByMutagen) {
  TempDir dir;
  const std::string path = MakeWma(dir, "in.wma");
  TagWithMutagen(path,
                 "f['Title'] = 'M title'; f['Author'] = 'M author'; f['Description'] = 'M note'\n"
                 "f['Copyright'] = 'M copy'; f['WM/AlbumTitle'] = 'M album'; f['WM/Year'] = '2004'\n"
                 "f['WM/Genre'] = 'Pop'; f['WM/TrackNumber'] = ASFDWordAttribute(9)");
  WMATagInfo read;
  ReadWMATag(path, read);
  EXPECT_EQ(read.found, -1);
  EXPECT_EQ(WmaFieldText(read.title), "M title");
  EXPECT_EQ(WmaFieldText(read.artist), "M author");
  EXPECT_EQ(WmaFieldText(read.comment), "M note");
  EXPECT_EQ(WmaFieldText(read.album), "M album");
  EXPECT_EQ(WmaFieldText(read.year), "2004");
  EXPECT_EQ(WmaFieldText(read.genre), "Pop");
  EXPECT_EQ(read.track, 9);
  EXPECT_EQ(WmaFieldText(read.copyright), "");  // taken by the header walk only
}

TEST(WmaTag, TrackNumberAsTextAndTheTrackFallback) {
  TempDir dir;
  const std::string path = MakeWma(dir, "in.wma", 0.5);
  const auto trackAfter = [&](const std::string& assignments) {
    TagWithMutagen(path, assignments);
    WMATagInfo read;
    ReadWMATag(path, read);
    return read.track;
  };
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = '11/12'"), 11);
  EXPECT_EQ(trackAfter("f['WM/Track'] = ASFDWordAttribute(4)"), 4);
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = ASFDWordAttribute(0); f['WM/Track'] = '6'"), 6);
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = ASFDWordAttribute(3); f['WM/Track'] = '6'"), 3);
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = ASFDWordAttribute(0x10005)"), 5);
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = 'n/a'"), 0);
}

TEST(WmaTag, ReadsFilesTaggedByFfmpeg) {
  TempDir dir;
  const std::string path = dir.file("ff.wma");
  const auto r = testsupport::Run(
      "ffmpeg -nostdin -v error -y -f lavfi -i sine=duration=1 -c:a wmav2 -b:a 128k "
      "-metadata title=FT -metadata artist=FA -metadata album=FB -metadata genre=FG "
      "-metadata comment=FC -metadata track=4 " + testsupport::ShellQuote(path));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  WMATagInfo read;
  ReadWMATag(path, read);
  EXPECT_EQ(WmaFieldText(read.title), "FT");
  EXPECT_EQ(WmaFieldText(read.artist), "FA");
  EXPECT_EQ(WmaFieldText(read.album), "FB");
  EXPECT_EQ(WmaFieldText(read.genre), "FG");
  EXPECT_EQ(WmaFieldText(read.comment), "FC");  // kept as an extended attribute by ffmpeg
  EXPECT_EQ(read.track, 4);
}

TEST(WmaTag, PermissionBitsAreRestoredAndReadOnlyFilesAreWritten) {
  TempDir dir;
  const std::string path = MakeWma(dir, "ro.wma", 0.5);
  for (mode_t mode : {mode_t(0444), mode_t(0640), mode_t(0400)}) {
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    const std::string title = "mode " + std::to_string(mode);
    EXPECT_TRUE(WriteWMATag(path, Record(title, "", "", "", "", "", 1)));
    EXPECT_EQ(ModeBits(path), mode);
    EXPECT_EQ(ReadWithMutagen(path).values["Title"], title);
    WMATagInfo read;
    ReadWMATag(path, read);
    EXPECT_EQ(WmaFieldText(read.title), title);
    EXPECT_EQ(ModeBits(path), mode);
  }
}

TEST(WmaTag, FilesThatAreNotAsfAreLeftAloneAndReadAsNothing) {
  TempDir dir;
  ASSERT_TRUE(testsupport::MakeTone(dir.file("tone.mp3"), 0.5, 44100, 2, "-c:a libmp3lame"));
  testsupport::WriteFileText(dir.file("text.wma"), std::string(5000, 'x'));
  ::chmod(dir.file("text.wma").c_str(), 0444);
  const WMATagInfo zero{};
  for (const std::string& path :
       {dir.file("tone.mp3"), dir.file("text.wma"), dir.file("missing.wma"), dir.path()}) {
    const bool regular = path != dir.path();
    const auto before = regular ? testsupport::ReadFileBytes(path) : std::vector<uint8_t>{};
    const mode_t mode = ModeBits(path);
    EXPECT_FALSE(WriteWMATag(path, Record("t", "a", "b", "y", "c", "g", 1))) << path;
    if (regular) {
      EXPECT_EQ(testsupport::ReadFileBytes(path), before) << path;
    }
    EXPECT_EQ(ModeBits(path), mode) << path;
    WMATagInfo read;
    std::memset(&read, 0x33, sizeof read);
    ReadWMATag(path, read);
    EXPECT_EQ(std::memcmp(&read, &zero, sizeof read), 0) << path;
  }
}

TEST(WmaTag, TruncatedDataPartIsStillReadFromTheHeader) {
  FactoryRestorer restore;
  TempDir dir;
  const std::string path = MakeWma(dir, "cut.wma");
  TagWithMutagen(path,
                 "f['Title'] = 'Cut title'; f['Author'] = 'Cut author'; f['Description'] = 'Cut note'\n"
                 "f['Copyright'] = 'Cut copy'; f['WM/AlbumTitle'] = 'Cut album'; f['WM/Year'] = '1999'\n"
                 "f['WM/Genre'] = 'Ska'; f['WM/TrackNumber'] = ASFDWordAttribute(12)");
  auto bytes = testsupport::ReadFileBytes(path);
  bytes.resize(size_t(HeaderSize(path)) + 60);  // the data object's prefix and a little more
  testsupport::WriteFileBytes(path, bytes);

  // TagLib may accept such a file from its header alone; the walk is also taken as when the
  // layer is missing, so both paths are seen to give the same.
  for (WmaAudioInfoFactory factory : {&WmaAudioInfo::Open, WmaAudioInfoFactory(nullptr)}) {
    SetWmaAudioInfoFactory(factory);
    WMATagInfo read;
    ReadWMATag(path, read);
    EXPECT_EQ(read.found, -1);
    EXPECT_EQ(WmaFieldText(read.title), "Cut title");
    EXPECT_EQ(WmaFieldText(read.artist), "Cut author");
    EXPECT_EQ(WmaFieldText(read.comment), "Cut note");
    EXPECT_EQ(WmaFieldText(read.album), "Cut album");
    EXPECT_EQ(WmaFieldText(read.year), "1999");
    EXPECT_EQ(read.track, 12);
    EXPECT_EQ(WmaFieldText(read.copyright), factory ? "" : "Cut copy");
  }
}

TEST(WmaTag, FileTagLibRefusesIsReadByTheHeaderWalkAndNotWritten) {
  TempDir dir;
  const std::string path = MakeWma(dir, "broken.wma");
  ASSERT_TRUE(WriteWMATag(path, Record("Walked", "Walker", "Path", "2011", "Note", "Folk", 3)));
  // Damage the stream properties object's identifier: a mandatory object goes missing.
  Patch(path, {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11, 0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65},
        std::vector<uint8_t>(16, 0));
  ASSERT_EQ(WmaAudioInfo::Open(path, WmaAudioInfo::Mode::Read), nullptr);

  WMATagInfo read;
  ReadWMATag(path, read);
  EXPECT_EQ(read.found, -1);
  EXPECT_EQ(WmaFieldText(read.title), "Walked");
  EXPECT_EQ(WmaFieldText(read.artist), "Walker");
  EXPECT_EQ(WmaFieldText(read.album), "Path");
  EXPECT_EQ(WmaFieldText(read.year), "2011");
  EXPECT_EQ(WmaFieldText(read.comment), "Note");
  EXPECT_EQ(WmaFieldText(read.genre), "Folk");
  EXPECT_EQ(read.track, 3);

  const auto before = testsupport::ReadFileBytes(path);
  EXPECT_FALSE(WriteWMATag(path, Record("x", "", "", "", "", "", 0)));
  EXPECT_EQ(testsupport::ReadFileBytes(path), before);
}

TEST(WmaTag, WithoutTheAttributeLayerWritingDoesNothing) {
  FactoryRestorer restore;
  TempDir dir;
  const std::string path = MakeWma(dir, "plain.wma", 0.5);
  ::chmod(path.c_str(), 0444);
  const auto before = testsupport::ReadFileBytes(path);
  SetWmaAudioInfoFactory(nullptr);
  EXPECT_FALSE(WriteWMATag(path, Record("t", "a", "b", "y", "c", "g", 1)));
  EXPECT_EQ(testsupport::ReadFileBytes(path), before);
  EXPECT_EQ(ModeBits(path), mode_t(0444));
}

}  // namespace
