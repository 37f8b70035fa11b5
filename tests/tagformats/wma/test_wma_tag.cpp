// The WMA tag module on real WMA files: our writer's output checked by our reader, by
// mutagen and by ffprobe; our reader on files tagged by mutagen and ffmpeg; damaged files and
// the header-walk path.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>

#include "../TimerecPrinter.h"
#include "support/TestSupport.h"
#include "tagformats/wma/WmaAudioInfo.h"
#include "tagformats/wma/WmaModule.h"

namespace {

using testsupport::MutagenTags;
using testsupport::ReadWithMutagen;
using testsupport::TempDir;

std::string MakeWma(const TempDir& dir, const std::string& name, double seconds = 2.0) {
  const std::string path = dir.file(name);
  EXPECT_TRUE(testsupport::MakeTone(path, seconds, 44100, 2, "-c:a wmav2 -b:a 128k"));
  return path;
}

Timerec Record(const std::string& title, const std::string& artist, const std::string& album,
               const std::string& year, const std::string& comment, const std::string& genre,
               const std::string& track) {
  return Timerec{title, artist, year, album, comment, genre, track};
}

void Write(const std::string& path, const Timerec& record) { ASSERT_NO_THROW(WmaModule().Write(path, record)); }

WmaTags Read(const std::string& path, const WmaModule& module = WmaModule()) { return module.ReadTags(path); }

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

// What every reader sees is checked for all formats alike (test_tag_modules); here where the
// texts go in the file and the track number's type.
TEST(WmaTag, TextsGoToTheContentDescriptionAndTheTrackIsANumber) {
  TempDir dir;
  const std::string path = MakeWma(dir, "out.wma");
  const Timerec written = Record("The Title", "The Artist", "The Album", "1987", "A comment", "Rock", "7");
  Write(path, written);

  const WmaTags read = Read(path);
  EXPECT_TRUE(read.found);
  EXPECT_EQ(read.record, written);
  EXPECT_EQ(read.copyright, "");

  const auto typeOfTrack = testsupport::RunPython(
      "import sys\nfrom mutagen.asf import ASF\nprint(ASF(sys.argv[1])['WM/TrackNumber'][0].TYPE)",
      {path});
  EXPECT_EQ(typeOfTrack.output, "3\n");  // DWORD

  const auto cdo = ContentDescription(path);
  EXPECT_EQ(cdo.count("MISSING"), 0u);
  EXPECT_EQ(cdo.at("Title"), "The Title");
  EXPECT_EQ(cdo.at("Author"), "The Artist");
  EXPECT_EQ(cdo.at("Description"), "A comment");
  // ffmpeg shows "WM/Year" under its own name, flattened by the probe to "wm_year".
  const auto probe = testsupport::Probe(path);
  EXPECT_EQ(probe.codec, "wmav2");
  EXPECT_EQ(probe.tags.count("date") ? probe.tags.at("date") : probe.tags.at("wm_year"), "1987");
}

TEST(WmaTag, NonAsciiTextsRoundTrip) {
  TempDir dir;
  const std::string path = MakeWma(dir, "out.wma");
  const Timerec written = Record("Caf\xC3\xA9 \xE2\x99\xAA", "\xE5\xB1\xB1\xE7\x94\xB0",
                                 "\xD0\x90\xD0\xBB\xD1\x8C\xD0\xB1\xD0\xBE\xD0\xBC", "2020",
                                 "\xF0\x9F\x8E\xB5 emoji", "M\xC3\xBAsica", "1");
  Write(path, written);
  EXPECT_EQ(Read(path).record, written);
  const MutagenTags m = ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(m.values.at("Title"), "Caf\xC3\xA9 \xE2\x99\xAA");
  EXPECT_EQ(m.values.at("Description"), "\xF0\x9F\x8E\xB5 emoji");
  EXPECT_EQ(testsupport::Probe(path).tags.at("artist"), "\xE5\xB1\xB1\xE7\x94\xB0");
}

// Players show a stored 0 as track "0": without a track number no track attribute is written.
TEST(WmaTag, EmptyFieldsAreSetAndNoTrackIsInvented) {
  TempDir dir;
  for (const std::string track : {"", "0", "n/a"}) {
    const std::string path = MakeWma(dir, "out" + track.substr(0, 1) + ".wma", 0.5);
    Write(path, Record("", "", "", "", "", "", track));
    const MutagenTags m = ReadWithMutagen(path);
    ASSERT_TRUE(m.ok) << m.error;
    for (const char* key : {"WM/AlbumTitle", "WM/Year", "WM/Genre"}) {
      ASSERT_EQ(m.values.count(key), 1u) << key;
      EXPECT_EQ(m.values.at(key), "") << key;
    }
    EXPECT_EQ(m.values.count("WM/TrackNumber"), 0u) << "track " << track;
    EXPECT_EQ(testsupport::Probe(path).tags.count("track"), 0u) << "track " << track;
    const WmaTags read = Read(path);
    EXPECT_TRUE(read.found);
    EXPECT_EQ(read.record, Timerec{});
  }
}

// Texts in any script are written and read whole, however long.
TEST(WmaTag, TextsOfAnyScriptAndLengthStayWhole) {
  TempDir dir;
  const std::string path = MakeWma(dir, "out.wma");
  std::string cyrillicTitle, cjkArtist, longComment;
  for (int i = 0; i < 100; ++i) cyrillicTitle += "\xD0\x96";    // Ж
  for (int i = 0; i < 127; ++i) cjkArtist += "\xE5\xB1\xB1";     // 山
  for (int i = 0; i < 300; ++i) longComment += "\xC3\xA9";       // é
  const std::string genre = "\xD0\xAD\xD0\xBB\xD0\xB5\xD0\xBA\xD1\x82\xD1\x80\xD0\xBE\xD0\xBD\xD0\xBD"
                            "\xD0\xB0\xD1\x8F \xD0\xBC\xD1\x83\xD0\xB7\xD1\x8B\xD0\xBA\xD0\xB0";  // Электронная музыка
  Write(path, Record(cyrillicTitle, cjkArtist + "\xE5\xB1\xB1", "", "", longComment, genre, "1"));

  const MutagenTags m = ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(m.values.at("Title"), cyrillicTitle);
  EXPECT_EQ(m.values.at("Author"), cjkArtist + "\xE5\xB1\xB1");
  EXPECT_EQ(m.values.at("WM/Genre"), genre);
  EXPECT_EQ(m.values.at("Description"), longComment);

  // A long text put there by another tool is read whole.
  TagWithMutagen(path, "f['Title'] = '\u0416' * 200; f['Description'] = 'd' * 400; f['WM/Genre'] = '" + genre + "'");
  const WmaTags read = Read(path);
  std::string title200;
  for (int i = 0; i < 200; ++i) title200 += "\xD0\x96";
  EXPECT_EQ(read.record.title, title200);
  EXPECT_EQ(read.record.comment, std::string(400, 'd'));
  EXPECT_EQ(read.record.genre, genre);
  EXPECT_EQ(Read(path, WmaModule(nullptr)).record.comment, std::string(400, 'd'));
}

TEST(WmaTag, LongFieldsAndDamagedFields) {
  TempDir dir;
  const std::string path = MakeWma(dir, "out.wma");
  Write(path, Record(std::string(200, 't'), "ok", "bad \xC3", "", std::string(300, 'c'), std::string(32, 'g'), "2"));

  const MutagenTags m = ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(m.values.at("Title"), std::string(200, 't'));
  EXPECT_EQ(m.values.at("Description"), std::string(300, 'c'));
  EXPECT_EQ(m.values.at("WM/Genre"), std::string(32, 'g'));
  EXPECT_EQ(m.values.count("WM/AlbumTitle"), 0u);  // not valid UTF-8: left unset
  EXPECT_EQ(m.values.at("Author"), "ok");

  const WmaTags read = Read(path);
  EXPECT_EQ(read.record.title, std::string(200, 't'));
  EXPECT_EQ(read.record.genre, std::string(32, 'g'));
  EXPECT_EQ(read.record.comment, std::string(300, 'c'));
}

TEST(WmaTag, ReadsFilesTaggedByMutagen) {
  TempDir dir;
  const std::string path = MakeWma(dir, "in.wma");
  TagWithMutagen(path,
                 "f['Title'] = 'M title'; f['Author'] = 'M author'; f['Description'] = 'M note'\n"
                 "f['Copyright'] = 'M copy'; f['WM/AlbumTitle'] = 'M album'; f['WM/Year'] = '2004'\n"
                 "f['WM/Genre'] = 'Pop'; f['WM/TrackNumber'] = ASFDWordAttribute(9)");
  const WmaTags read = Read(path);
  EXPECT_TRUE(read.found);
  Timerec expected = Record("M title", "M author", "M album", "2004", "M note", "Pop", "9");
  expected.extras.Add("COPYRIGHT", "M copy");
  EXPECT_EQ(read.record, expected);
  EXPECT_EQ(read.copyright, "");  // taken by the header walk only
}

// A bare number of the genre list is a reference to its name, in WMA files as in ID3.
TEST(WmaTag, GenreNumberBecomesItsName) {
  TempDir dir;
  const std::string path = MakeWma(dir, "in.wma", 0.5);
  TagWithMutagen(path, "f['WM/Genre'] = '17'");
  EXPECT_EQ(Read(path).record.genre, "Rock");
  EXPECT_EQ(Read(path, WmaModule(nullptr)).record.genre, "Rock");
  TagWithMutagen(path, "f['WM/Genre'] = '1984'");
  EXPECT_EQ(Read(path).record.genre, "1984");
}

TEST(WmaTag, TrackNumberAsTextAndTheTrackFallback) {
  TempDir dir;
  const std::string path = MakeWma(dir, "in.wma", 0.5);
  const auto trackAfter = [&](const std::string& assignments) {
    TagWithMutagen(path, assignments);
    return Read(path).record.track;
  };
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = '11/12'"), "11");
  EXPECT_EQ(trackAfter("f['WM/Track'] = ASFDWordAttribute(4)"), "4");
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = ASFDWordAttribute(0); f['WM/Track'] = '6'"), "6");
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = ASFDWordAttribute(3); f['WM/Track'] = '6'"), "3");
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = ASFDWordAttribute(0x10005)"), "5");
  EXPECT_EQ(trackAfter("f['WM/TrackNumber'] = 'n/a'"), "");
}

TEST(WmaTag, ReadsFilesTaggedByFfmpeg) {
  TempDir dir;
  const std::string path = dir.file("ff.wma");
  const auto r = testsupport::Run(
      "ffmpeg -nostdin -v error -y -f lavfi -i sine=duration=1 -c:a wmav2 -b:a 128k "
      "-metadata title=FT -metadata artist=FA -metadata album=FB -metadata genre=FG "
      "-metadata comment=FC -metadata track=4 " + testsupport::ShellQuote(path));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  // The comment is kept as an extended attribute by ffmpeg.
  EXPECT_EQ(Read(path).record, Record("FT", "FA", "FB", "", "FC", "FG", "4"));
}

TEST(WmaTag, PermissionBitsAreRestoredAndReadOnlyFilesAreWritten) {
  TempDir dir;
  const std::string path = MakeWma(dir, "ro.wma", 0.5);
  for (mode_t mode : {mode_t(0444), mode_t(0640), mode_t(0400)}) {
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    const std::string title = "mode " + std::to_string(mode);
    Write(path, Record(title, "", "", "", "", "", "1"));
    EXPECT_EQ(ModeBits(path), mode);
    EXPECT_EQ(ReadWithMutagen(path).values["Title"], title);
    EXPECT_EQ(Read(path).record.title, title);
    EXPECT_EQ(ModeBits(path), mode);
  }
}

TEST(WmaTag, FilesThatAreNotAsfAreLeftAloneAndReadAsNothing) {
  TempDir dir;
  ASSERT_TRUE(testsupport::MakeTone(dir.file("tone.mp3"), 0.5, 44100, 2, "-c:a libmp3lame"));
  testsupport::WriteFileText(dir.file("text.wma"), std::string(5000, 'x'));
  ::chmod(dir.file("text.wma").c_str(), 0444);
  for (const std::string& path :
       {dir.file("tone.mp3"), dir.file("text.wma"), dir.file("missing.wma"), dir.path()}) {
    const bool regular = path != dir.path() && path != dir.file("missing.wma");
    const auto before = regular ? testsupport::ReadFileBytes(path) : std::vector<uint8_t>{};
    const mode_t mode = ModeBits(path);
    EXPECT_THROW(WmaModule().Write(path, Record("t", "a", "b", "y", "c", "g", "1")), TagError) << path;
    if (regular) {
      EXPECT_EQ(testsupport::ReadFileBytes(path), before) << path;
      EXPECT_EQ(Read(path).record, Timerec{}) << path;
      EXPECT_FALSE(Read(path).found) << path;
    } else {
      EXPECT_THROW(Read(path), TagError) << path;
    }
    EXPECT_EQ(ModeBits(path), mode) << path;
  }
}

TEST(WmaTag, TruncatedDataPartIsStillReadFromTheHeader) {
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
  for (WmaAudioInfoOpener opener : {&WmaAudioInfo::Open, WmaAudioInfoOpener(nullptr)}) {
    const WmaTags read = Read(path, WmaModule(opener));
    EXPECT_TRUE(read.found);
    Timerec expected = Record("Cut title", "Cut author", "Cut album", "1999", "Cut note", "Ska", "12");
    expected.extras.Add("COPYRIGHT", "Cut copy");
    EXPECT_EQ(read.record, expected);
    EXPECT_EQ(read.copyright, opener ? "" : "Cut copy");
  }
}

TEST(WmaTag, FileTagLibRefusesIsReadByTheHeaderWalkAndNotWritten) {
  TempDir dir;
  const std::string path = MakeWma(dir, "broken.wma");
  const Timerec written = Record("Walked", "Walker", "Path", "2011", "Note", "Folk", "3");
  Write(path, written);
  // Damage the stream properties object's identifier: a mandatory object goes missing.
  Patch(path, {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11, 0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65},
        std::vector<uint8_t>(16, 0));
  ASSERT_EQ(WmaAudioInfo::Open(path, WmaAudioInfo::Mode::Read), nullptr);

  const WmaTags read = Read(path);
  EXPECT_TRUE(read.found);
  EXPECT_EQ(read.record, written);

  const auto before = testsupport::ReadFileBytes(path);
  EXPECT_THROW(WmaModule().Write(path, Record("x", "", "", "", "", "", "")), TagError);
  EXPECT_EQ(testsupport::ReadFileBytes(path), before);
}

TEST(WmaTag, WithoutTheAttributeLayerWritingFailsAndChangesNothing) {
  TempDir dir;
  const std::string path = MakeWma(dir, "plain.wma", 0.5);
  ::chmod(path.c_str(), 0444);
  const auto before = testsupport::ReadFileBytes(path);
  EXPECT_THROW(WmaModule(nullptr).Write(path, Record("t", "a", "b", "y", "c", "g", "1")), TagError);
  EXPECT_EQ(testsupport::ReadFileBytes(path), before);
  EXPECT_EQ(ModeBits(path), mode_t(0444));
}

}  // namespace

// Our header writer against the TagLib attribute layer: the same calls on copies of one file
// give the same bytes, for fresh outputs, files other taggers wrote, headers that grow and
// shrink, pictures too large for the extended content description, and several values.
TEST(WmaTag, HeaderWriterStoresWhatTheAttributeLayerStores) {
  Timerec everything = Record("T\xC3\xADtulo", "One", "\xE6\x97\xA5\xE6\x9C\xAC", "2004-05-06", "Note", "Jazz", "3/12");
  everything.extras.Add("ARTIST", "Two");
  everything.extras.Add("ALBUMARTIST", "Band");
  everything.extras.Add("DISCNUMBER", "1");
  everything.extras.Add("DISCTOTAL", "2");
  everything.extras.Add("LYRICS", std::string(2000, 'x') + "\xD0\xAF\xF0\x9F\x8E\xB5");
  everything.extras.Add("REPLAYGAIN_TRACK_GAIN", "-6.50 dB");
  everything.extras.Add("MY_FIELD", "custom");
  everything.extras.pictures = {TagPicture{3, "image/png", "front", std::vector<uint8_t>(3000, 7)},
                                TagPicture{4, "image/jpeg", "", std::vector<uint8_t>(100000, 9)},
                                TagPicture{0, "image/jpeg", "\xC3\xA9", std::vector<uint8_t>(70000, 1)}};
  Timerec albumPass = everything;
  albumPass.extras.Add("REPLAYGAIN_ALBUM_GAIN", "-7.00 dB");
  const Timerec seven = Record("t", "a", "b", "1999", "c", "g", "1");
  const Timerec empty;
  struct Case {
    const char* name;
    const char* mutagenFirst;  // assignments of a tagger before ours, or none
    std::vector<Timerec> writes;
  };
  const Case cases[] = {
      {"seven fields", nullptr, {seven}},
      {"nothing", nullptr, {empty}},
      {"everything, then the album pass", nullptr, {everything, albumPass}},
      {"shrinking", nullptr, {everything, seven}},
      {"over mutagen's tags", "f['Title'] = 'Old'; f['WM/Composer'] = ['C1', 'C2']; f['Zed'] = 'z'\n"
                              "f['WM/TrackNumber'] = ASFDWordAttribute(4)",
       {everything}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string ours = MakeWma(dir, "ours.wma", 0.5), layer = dir.file("layer.wma");
    if (c.mutagenFirst != nullptr) TagWithMutagen(ours, c.mutagenFirst);
    testsupport::WriteFileBytes(layer, testsupport::ReadFileBytes(ours));
    for (const Timerec& record : c.writes) {
      Write(ours, record);
      auto info = WmaAudioInfo::Open(layer, WmaAudioInfo::Mode::ReadWrite);
      ASSERT_NE(info, nullptr);
      WmaModule::PutRecord(*info, record);
      ASSERT_TRUE(info->Close());
      info.reset();  // the layer's last bytes reach the file when it is closed
      const auto a = testsupport::ReadFileBytes(ours), b = testsupport::ReadFileBytes(layer);
      EXPECT_EQ(a.size(), b.size()) << c.name;
      const auto differ = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
      EXPECT_EQ(differ.first - a.begin(), std::ptrdiff_t(a.size())) << c.name << ": the first difference";
    }
    EXPECT_EQ(Read(ours).record, Read(layer).record) << c.name;
  }
}

// The description object keeps 16-bit lengths; a longer title or comment is kept whole in an
// attribute of the same name, where every reader looks.
TEST(WmaTag, TextsTooLongForTheDescriptionObjectStayWhole) {
  TempDir dir;
  const std::string path = MakeWma(dir, "long.wma", 0.5);
  const Timerec written = Record(std::string(40000, 't'), "a", "b", "", std::string(70000, 'c'), "g", "1");
  Write(path, written);
  EXPECT_TRUE(Read(path).record == written);  // (no printing of 110,000 characters)
  const MutagenTags m = ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_TRUE(m.values.at("Title") == written.title);
  EXPECT_TRUE(m.values.at("Description") == written.comment);
  const testsupport::ProbeInfo probe = testsupport::Probe(path);
  EXPECT_EQ(probe.codec, "wmav2");
  EXPECT_EQ(probe.tags.at("artist"), "a");
}

// Headers that lie about their sizes or counts are not written into, and stay as they were.
TEST(WmaTag, DamagedHeadersAreNotWritten) {
  struct Damage {
    const char* name;
    size_t at;  // a byte offset into the header
    std::vector<uint8_t> bytes;
  };
  const Damage damages[] = {
      {"header larger than the file", 16, {0xFF, 0xFF, 0xFF, 0x00}},
      {"more objects than the header holds", 24, {0x40}},
      {"first object past the header's end", 30 + 16, {0x00, 0x00, 0x01}},
      {"first object smaller than its prefix", 30 + 16, {0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
  };
  for (const Damage& d : damages) {
    TempDir dir;
    const std::string path = MakeWma(dir, "damaged.wma", 0.5);
    auto bytes = testsupport::ReadFileBytes(path);
    std::copy(d.bytes.begin(), d.bytes.end(), bytes.begin() + std::ptrdiff_t(d.at));
    testsupport::WriteFileBytes(path, bytes);
    EXPECT_THROW(WmaModule().Write(path, Record("t", "a", "b", "y", "c", "g", "1")), TagError) << d.name;
    EXPECT_EQ(testsupport::ReadFileBytes(path), bytes) << d.name;
  }
}
