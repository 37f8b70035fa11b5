// The ID3 reader on tags written by mutagen and ffmpeg, on hand-built tags of the older and
// rarer kinds, and on hostile files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/TestSupport.h"
#include "tagformats/common/TagRecordBuilder.h"
#include "tagformats/common/TextEncoding.h"
#include "tagformats/id3v2/ID3v2Parser.h"
#include "tagformats/id3v2/ID3v2Module.h"
#include "../PeakMemory.h"
#include "../TimerecPrinter.h"

using namespace testsupport;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<uint8_t> BigEndian(uint32_t value, int count) {
  std::vector<uint8_t> out;
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return out;
}

std::vector<uint8_t> Synchsafe(uint32_t value) {
  return {static_cast<uint8_t>(value >> 21 & 0x7F), static_cast<uint8_t>(value >> 14 & 0x7F),
          static_cast<uint8_t>(value >> 7 & 0x7F), static_cast<uint8_t>(value & 0x7F)};
}

std::vector<uint8_t> Frame23(const std::string& id, const std::vector<uint8_t>& body, uint8_t formatFlags = 0) {
  return Concat({Bytes(id), BigEndian(static_cast<uint32_t>(body.size()), 4), {0, formatFlags}, body});
}

std::vector<uint8_t> Frame24(const std::string& id, const std::vector<uint8_t>& body, uint8_t formatFlags = 0) {
  return Concat({Bytes(id), Synchsafe(static_cast<uint32_t>(body.size())), {0, formatFlags}, body});
}

std::vector<uint8_t> Frame22(const std::string& id, const std::vector<uint8_t>& body) {
  return Concat({Bytes(id), BigEndian(static_cast<uint32_t>(body.size()), 3), body});
}

std::vector<uint8_t> Tag(uint8_t version, uint8_t flags, const std::vector<uint8_t>& body) {
  return Concat({Bytes("ID3"), {version, 0, flags}, Synchsafe(static_cast<uint32_t>(body.size())), body});
}

std::vector<uint8_t> Latin1Text(const std::string& text) { return Concat({{0}, Bytes(text)}); }

// Unsynchronisation: every 0xFF gets a zero behind it.
std::vector<uint8_t> Escaped(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> escaped;
  for (uint8_t b : bytes) {
    escaped.push_back(b);
    if (b == 0xFF) escaped.push_back(0);
  }
  return escaped;
}

const std::vector<uint8_t> kFakeAudio(64, 0xAA);

// What the module reads, through its interface; an empty record when the file cannot be read,
// as adding such a file to the list keeps.
Timerec ReadOrEmpty(const std::string& path) {
  try {
    return ID3v2Module().Read(path);
  } catch (const TagError&) {
    return Timerec{};
  }
}

Timerec ReadBytes(const std::vector<uint8_t>& fileBytes) {
  TempDir dir;
  WriteFileBytes(dir.file("in.mp3"), fileBytes);
  return ReadOrEmpty(dir.file("in.mp3"));
}

bool MakeMp3(const std::string& path, double seconds) {
  return MakeTone(path, seconds, 44100, 2, "-c:a libmp3lame -b:a 128k -id3v2_version 0");
}

// Tags an existing file with mutagen; `frames` is a Python list of mutagen frame objects.
// With `v1` the file gets only an ID3v1 tag made from those frames.
void TagWithMutagen(const std::string& path, int version, const std::string& frames, int v1 = 0) {
  const std::string program =
      "import sys\nfrom mutagen import id3\nglobals().update(vars(id3))\nt = id3.ID3()\nfor f in " + frames +
      ":\n    t.add(f)\nt.save(sys.argv[1], v2_version=" + std::to_string(version) + ", v1=" +
      std::to_string(v1) + ")\n" + (v1 ? "id3.delete(sys.argv[1], delete_v1=False, delete_v2=True)\n" : "");
  const CommandResult r = RunPython(program, {path});
  ASSERT_EQ(r.exitCode, 0) << r.output;
}

// Frame ids in the order they stand in the file, as mutagen's low-level reader sees them.
std::string FrameOrder(const std::string& path) {
  return RunPython("import sys\nfrom mutagen.id3 import ID3\nprint(' '.join(k[:4] for k in ID3(sys.argv[1]).keys()))",
                   {path}).output;
}

std::string Repeat(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(ID3v2Reader, MutagenV23Utf16WithCoverBetweenTextFrames) {
  TempDir dir;
  const std::string path = dir.file("v23.mp3");
  ASSERT_TRUE(MakeMp3(path, 1.0));
  TagWithMutagen(path, 3,
                 "[TIT2(encoding=1, text='Привет'), TPE1(encoding=1, text='日本 🎵'), TALB(encoding=1, text='Album'),"
                 " APIC(encoding=1, mime='image/jpeg', type=3, desc='cover', data=bytes(range(256))*4),"
                 " COMM(encoding=1, lang='eng', desc='iTunNORM', text=' 0000 0001'),"
                 " COMM(encoding=1, lang='eng', desc='', text='" + Repeat("long comment ", 100) + "'),"
                 " TRCK(encoding=1, text='3/12'), TDRC(encoding=1, text='2004'), TCON(encoding=1, text='(17)')]");
  const std::string order = FrameOrder(path);
  // mutagen orders frames by size after its favourites: the picture lies before the long comment.
  EXPECT_LT(order.find("APIC"), order.rfind("COMM")) << order;

  Timerec read = ReadOrEmpty(path);
  EXPECT_EQ(read.title, "Привет");
  EXPECT_EQ(read.artist, "日本 🎵");
  EXPECT_EQ(read.album, "Album");
  EXPECT_EQ(TrackOf(read).number, "3");
  EXPECT_EQ(TrackOf(read).total, "12");
  EXPECT_EQ(read.year, "2004");
  EXPECT_EQ(read.genre, "Rock");
  // The iTunNORM numbers are never the comment; the comment is whole (trimmed).
  EXPECT_EQ(read.comment, Repeat("long comment ", 100).substr(0, 13 * 100 - 1));
}

TEST(ID3v2Reader, MutagenV24Utf8AndUtf16) {
  TempDir dir;
  const std::string path = dir.file("v24.mp3");
  ASSERT_TRUE(MakeMp3(path, 1.0));
  const std::string comment = Repeat("Ünïcode 日本 ", 200);
  TagWithMutagen(path, 4,
                 "[TIT2(encoding=3, text='Заголовок'), TPE1(encoding=1, text='Artist Ü'),"
                 " TALB(encoding=2, text='日本 album'), TDRC(encoding=3, text='2011-03-04'),"
                 " TCON(encoding=3, text=['17', 'Pop']), TRCK(encoding=0, text='5'),"
                 " COMM(encoding=3, lang='eng', desc='', text='" + comment + "')]");
  Timerec read = ReadOrEmpty(path);
  EXPECT_EQ(read.title, "Заголовок");
  EXPECT_EQ(read.artist, "Artist Ü");
  EXPECT_EQ(read.album, "日本 album");
  EXPECT_EQ(read.year, "2011-03-04");
  EXPECT_EQ(read.genre, "Rock");  // and "Pop" beside it in the record's extras
  EXPECT_EQ(read.track, "5");
  EXPECT_EQ(read.comment, comment.substr(0, comment.size() - 1));
}

TEST(ID3v2Reader, FieldsKeepCharactersWhateverTheirEncoding) {
  std::vector<uint8_t> utf8{3}, utf16{1, 0xFF, 0xFE};
  for (int i = 0; i < 300; ++i) {
    const std::string wide = "日";
    utf8.insert(utf8.end(), wide.begin(), wide.end());
    utf16.insert(utf16.end(), {0x3C, 0xD8, 0xB5, 0xDF});  // U+1F3B5 as a surrogate pair
  }
  const Timerec r = ReadBytes(Tag(3, 0, Concat({Frame23("TIT2", utf8), Frame23("TPE1", utf16)})));
  EXPECT_EQ(r.title, Repeat("日", 300));
  EXPECT_EQ(r.artist, Repeat("🎵", 300));
}

TEST(ID3v2Reader, Version22ThreeLetterFrames) {
  const auto tag = Tag(2, 0, Concat({Frame22("TT2", Latin1Text("Old title")),
                                      Frame22("TP1", {1, 0xFF, 0xFE, 'A', 0, 'B', 0}),
                                      Frame22("TAL", Latin1Text("Old album")), Frame22("TYE", Latin1Text("1997")),
                                      Frame22("TRK", Latin1Text("2")), Frame22("TCO", Latin1Text("(8)")),
                                      Frame22("COM", Concat({{0}, Bytes("eng"), Bytes("desc"), {0}, Bytes("note")})),
                                      std::vector<uint8_t>(20, 0)}));
  const Timerec r = ReadBytes(Concat({tag, kFakeAudio}));
  EXPECT_EQ(r.title, "Old title");
  EXPECT_EQ(r.artist, "AB");
  EXPECT_EQ(r.album, "Old album");
  EXPECT_EQ(r.year, "1997");
  EXPECT_EQ(r.track, "2");
  EXPECT_EQ(r.genre, "Jazz");
  EXPECT_EQ(r.comment, "note");
}

TEST(ID3v2Reader, ExtendedHeaderAndUnsynchronisationV23) {
  // The title holds 0xFF 0xE0, which unsynchronisation escapes as 0xFF 0x00 0xE0.
  const auto body = Concat({BigEndian(6, 4), {0, 0, 0, 0, 0, 0}, Frame23("TIT2", {0, 'a', 0xFF, 0xE0})});
  EXPECT_EQ(ReadBytes(Concat({Tag(3, 0xC0, Escaped(body)), kFakeAudio})).title, "a\xC3\xBF\xC3\xA0");
}

// Read for a listed row, a picture whose image lies unescaped in the file comes with its place,
// where the file holds that very image; an image that escapes changed is read.
TEST(ID3v2Reader, PictureImagesAreLeftWhereTheyLie) {
  std::vector<uint8_t> image{0x89, 'P', 'N', 'G'};
  for (int i = 0; i < 1000; ++i) image.insert(image.end(), {0xFF, 0xE0, static_cast<uint8_t>(i)});
  const auto content = Concat({{0}, Bytes("image/png"), {0, 3}, Bytes("d"), {0}, image});
  const struct {
    const char* kind;
    std::vector<uint8_t> tag;
    bool placed;
  } cases[] = {
      {"v2.3", Tag(3, 0, Frame23("APIC", content)), true},
      {"v2.4 grouped, with its data length",
       Tag(4, 0, Frame24("APIC", Concat({{7}, Synchsafe(static_cast<uint32_t>(content.size())), content}), 0x41)), true},
      {"v2.4 frame escaped", Tag(4, 0, Frame24("APIC", Escaped(content), 0x02)), false},
      {"v2.4 tag escaped", Tag(4, 0x80, Frame24("APIC", Escaped(content))), false},
      {"v2.3 tag escaped", Tag(3, 0x80, Escaped(Frame23("APIC", content))), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    TempDir dir;
    const std::vector<uint8_t> file = Concat({c.tag, kFakeAudio});
    WriteFileBytes(dir.file("in.mp3"), file);
    const Timerec read = ID3v2Module().ReadLeavingImages(dir.file("in.mp3"));
    ASSERT_EQ(read.extras.pictures.size(), 1u);
    const TagPicture& picture = read.extras.pictures[0];
    EXPECT_EQ(picture.description, "d");
    ASSERT_EQ(picture.place.has_value(), c.placed);
    if (!c.placed) {
      EXPECT_EQ(picture.data, image);
    } else {
      ASSERT_EQ(picture.place->size, image.size());
      const auto at = file.begin() + static_cast<std::ptrdiff_t>(picture.place->offset.value());
      EXPECT_EQ(std::vector<uint8_t>(at, at + static_cast<std::ptrdiff_t>(image.size())), image);
    }
  }
}

TEST(ID3v2Reader, FrameFlagsOfVersion24) {
  const auto tag = Tag(4, 0x40, Concat({Synchsafe(6), {1, 0},  // extended header, no extras
                                         Frame24("TIT2", {0x10, 0, 'g', 'r', 'p'}, 0x40),
                                         Frame24("TPE1", {0, 0, 0, 3, 0, 'a', 'b'}, 0x01),
                                         Frame24("TALB", {0, 0xFF, 0, 0xE9}, 0x02),
                                         Frame24("TRCK", {0x78, 0x9C, 0, 0}, 0x08)}));
  const Timerec r = ReadBytes(Concat({tag, kFakeAudio}));
  EXPECT_EQ(r.title, "grp");
  EXPECT_EQ(r.artist, "ab");
  EXPECT_EQ(r.album, "\xC3\xBF\xC3\xA9");
  EXPECT_EQ(r.track, "");  // compressed: not read
}

TEST(ID3v2Reader, CommentDescriptionIsDroppedAndTextTrimmed) {
  const auto tag = Tag(3, 0, Concat({Frame23("COMM", Concat({{0}, Bytes("eng"), Bytes("desc"), {0}, Bytes("  hi\n")})),
                                      Frame23("TIT2", Latin1Text(std::string(300, 'x'))),
                                      Frame23("TPE1", Latin1Text("after long title")),
                                      Frame23("TPE1", Latin1Text("  replaced  "))}));
  const Timerec r = ReadBytes(Concat({tag, kFakeAudio}));
  EXPECT_EQ(r.comment, "hi");
  EXPECT_EQ(r.title, std::string(300, 'x'));  // whole
  EXPECT_EQ(r.artist, "after long title");   // the second frame's artist is kept beside it
}

TEST(ID3v2Reader, Id3v1OnlyFileWrittenByMutagen) {
  TempDir dir;
  const std::string path = dir.file("v1.mp3");
  ASSERT_TRUE(MakeMp3(path, 1.0));
  TagWithMutagen(path, 3,
                 "[TIT2(text='Caf\\xe9'), TPE1(text='Someone'), TALB(text='Record'), TDRC(text='1988'),"
                 " TRCK(text='4'), TCON(text='Rock')]", 2);
  ASSERT_EQ(ReadFileBytes(path)[0], 0xFF) << "an ID3v2 tag is left";
  Timerec read = ReadOrEmpty(path);
  EXPECT_EQ(read.title, "Café");
  EXPECT_EQ(read.artist, "Someone");
  EXPECT_EQ(read.album, "Record");
  EXPECT_EQ(read.year, "1988");
  EXPECT_EQ(read.track, "4");
  EXPECT_EQ(read.genre, "Rock");
}

// mutagen writes no comment into ID3v1, so these are built by hand.
TEST(ID3v2Reader, Id3v1CommentWithAndWithoutTrack) {
  std::vector<uint8_t> v1 = Concat({Bytes("TAG"), std::vector<uint8_t>(125, 0)});
  const std::string remark = " Remark";
  std::copy(remark.begin(), remark.end(), v1.begin() + 97);
  v1[126] = 9;
  v1[127] = 200;
  Timerec r = ReadBytes(Concat({kFakeAudio, v1}));
  EXPECT_EQ(r.comment, "Remark");
  EXPECT_EQ(r.track, "9");
  EXPECT_EQ(r.genre, "");

  for (size_t i = 0; i < 30; ++i) v1[97 + i] = 'c';  // full 30-byte comment: version 1.0
  r = ReadBytes(Concat({kFakeAudio, v1}));
  EXPECT_EQ(r.comment, std::string(30, 'c'));
  EXPECT_EQ(r.track, "");
}

TEST(ID3v2Reader, NoTagShortFileMissingFileAndFolderLeaveEveryFieldEmpty) {
  EXPECT_EQ(ReadBytes(kFakeAudio).title, "");
  EXPECT_EQ(ReadBytes(Bytes("ID3")).title, "");
  EXPECT_EQ(ReadBytes({}).title, "");
  TempDir dir;
  Timerec read = ReadOrEmpty(dir.file("missing.mp3"));
  EXPECT_EQ(read.title, "");
  read = ReadOrEmpty(dir.path());
  EXPECT_EQ(read.title, "");
}

TEST(ID3v2Reader, HostileSizesStayBounded) {
  const auto title = Frame23("TIT2", Latin1Text("kept"));
  // Tag size far beyond the file: frames that lie within the file are still read.
  auto huge = Concat({Bytes("ID3"), {3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F}, title});
  EXPECT_EQ(ReadBytes(huge).title, "kept");
  // A zero-sized frame is passed over; a frame larger than the tag ends the walk.
  EXPECT_EQ(ReadBytes(Tag(3, 0, Concat({Frame23("TXXX", {}), title}))).title, "kept");
  auto oversized = Concat({title, Bytes("TPE1"), {0x7F, 0xFF, 0xFF, 0xFF, 0, 0}, Latin1Text("x")});
  EXPECT_EQ(ReadBytes(Tag(3, 0, oversized)).artist, "");
  // An extended header larger than the tag: no frames, no crash.
  EXPECT_EQ(ReadBytes(Tag(3, 0x40, Concat({BigEndian(0xFFFFFFF0u, 4), title}))).title, "");
  // Size bytes with their top bit set are no ID3v2 header at all.
  EXPECT_EQ(ReadBytes(Concat({Bytes("ID3"), {3, 0, 0, 0x80, 0, 0, 0}, title})).title, "");
  // A comment too short for its language bytes.
  EXPECT_EQ(ReadBytes(Tag(3, 0, Frame23("COMM", {0, 'e'}))).comment, "");
}

TEST(ID3v2Reader, EveryTruncationOfARealTagIsSafe) {
  TempDir dir;
  const std::string path = dir.file("full.mp3");
  WriteFileBytes(path, kFakeAudio);
  TagWithMutagen(path, 4, "[TIT2(encoding=1, text='Привет'), COMM(encoding=1, lang='eng', desc='d', text='c'),"
                          " TCON(encoding=3, text='Rock'), APIC(encoding=0, mime='image/png', data=b'x'*300)]");
  const std::vector<uint8_t> whole = ReadFileBytes(path);
  for (size_t length = 0; length <= whole.size(); length += 7) {
    const std::vector<uint8_t> prefix(whole.begin(), whole.begin() + length);
    const std::optional<Timerec> r = ParseID3v2Tag(prefix.data(), prefix.size());
    if (r && !r->title.empty()) {
      EXPECT_EQ(r->title, "Привет");
    }
  }
  const std::optional<Timerec> full = ParseID3v2Tag(whole.data(), whole.size());
  ASSERT_TRUE(full);
  EXPECT_EQ(full->comment, "c");
}

// A frame whose id is not understood (here in lower case, as some writers leave it) is passed
// over by its size; the frames behind it still count.
TEST(ID3v2Reader, UnknownFrameIdsArePassedOverBySize) {
  const auto tag = Tag(3, 0, Concat({Frame23("tpe1", Latin1Text("lower")), Frame23("XYZ!", Latin1Text("odd")),
                                      Frame23("TIT2", Latin1Text("Title")), Frame23("TPE1", Latin1Text("Artist"))}));
  const Timerec r = ReadBytes(Concat({tag, kFakeAudio}));
  EXPECT_EQ(r.title, "Title");
  EXPECT_EQ(r.artist, "Artist");
  TempDir dir;
  WriteFileBytes(dir.file("ids.mp3"), Concat({tag, kFakeAudio}));
  const CommandResult m = RunPython(
      "import sys\nfrom mutagen.id3 import ID3\nt = ID3(sys.argv[1])\nprint(t['TIT2'].text[0], t['TPE1'].text[0])",
      {dir.file("ids.mp3")});
  EXPECT_EQ(m.output, "Title Artist\n");
}

// Some encoders write version 2.4 frame sizes as plain numbers: where the synchsafe reading
// does not land on the next frame and the plain one does, the plain one counts.
TEST(ID3v2Reader, V24PlainFrameSizesAreRecognised) {
  // 300 bytes: 00 00 01 2C, which read as synchsafe is 172 and lands inside the title, on
  // capitals that look like a frame id but not like a frame that fits.
  const std::string title(299, 'T');
  const auto plainTitle = Concat({Bytes("TIT2"), BigEndian(300, 4), {0, 0}, Latin1Text(title)});
  const auto tag = Tag(4, 0, Concat({plainTitle, Frame24("TPE1", Latin1Text("Next")),
                                      std::vector<uint8_t>(400, 0)}));
  const Timerec r = ReadBytes(Concat({tag, kFakeAudio}));
  EXPECT_EQ(r.title, title);
  EXPECT_EQ(r.artist, "Next");
  // A proper synchsafe size is still read as such.
  const auto proper = Tag(4, 0, Concat({Frame24("TIT2", Latin1Text(title)), Frame24("TPE1", Latin1Text("Next"))}));
  EXPECT_EQ(ReadBytes(Concat({proper, kFakeAudio})).artist, "Next");
}

// Tools keep their own data in comments with descriptions such as "iTunNORM"; those numbers
// are never the user's comment, even when no other comment is there.
TEST(ID3v2Reader, MachineCommentsAreNeverTheComment) {
  TempDir dir;
  const std::string path = dir.file("itunes.mp3");
  ASSERT_TRUE(MakeMp3(path, 0.5));
  TagWithMutagen(path, 3,
                 "[TIT2(encoding=0, text='T'), COMM(encoding=0, lang='eng', desc='iTunNORM', text=' 00000A 0000B'),"
                 " COMM(encoding=0, lang='eng', desc='iTunSMPB', text=' 00000000 00000210')]");
  Timerec read = ReadOrEmpty(path);
  EXPECT_EQ(read.comment, "");
  TagWithMutagen(path, 3,
                 "[COMM(encoding=0, lang='eng', desc='iTunNORM', text=' 00000A'),"
                 " COMM(encoding=0, lang='eng', desc='Songs-DB', text='Described note')]");
  read = ReadOrEmpty(path);
  EXPECT_EQ(read.comment, "Described note");
}

// The fields ID3v2 leaves empty are taken from an ID3v1 tag at the end, one by one.
TEST(ID3v2Reader, Id3v1FillsWhatId3v2LeavesEmpty) {
  TempDir dir;
  const std::string path = dir.file("both.mp3");
  ASSERT_TRUE(MakeMp3(path, 0.5));
  // mutagen writes the ID3v1 tag; then an ID3v2 tag holding a ReplayGain TXXX only goes in
  // front, and later one holding a title only.
  TagWithMutagen(path, 3,
                 "[TIT2(text='V1 title'), TPE1(text='V1 artist'), TALB(text='V1 album'), TDRC(text='1977'),"
                 " TRCK(text='6'), TCON(text='Jazz')]", 2);
  const std::vector<uint8_t> withV1 = ReadFileBytes(path);
  const auto gain = Frame23("TXXX", Concat({Latin1Text("replaygain_track_gain"), {0}, Bytes("-6.00 dB")}));
  WriteFileBytes(path, Concat({Tag(3, 0, gain), withV1}));
  const Timerec onlyReplayGain = ID3v2Module().Read(path);
  Timerec expected{"V1 title", "V1 artist", "1977", "V1 album", "", "Jazz", "6"};
  expected.extras.Add("REPLAYGAIN_TRACK_GAIN", "-6.00 dB");
  EXPECT_EQ(onlyReplayGain, expected);

  WriteFileBytes(path, Concat({Tag(3, 0, Frame23("TIT2", Latin1Text("V2 title"))), withV1}));
  const Timerec titleOnly = ID3v2Module().Read(path);
  EXPECT_EQ(titleOnly, (Timerec{"V2 title", "V1 artist", "1977", "V1 album", "", "Jazz", "6"}));
}

// A 66 MB picture in front of the text frames: the frames behind it are read, and the picture
// is carried, held only once.
TEST(ID3v2Reader, TextFramesBehindAHugePictureAreRead) {
  TempDir dir;
  const std::string path = dir.file("cover.mp3");
  const uint32_t pictureSize = 66u << 20;
  const auto pictureHead = Concat({{0}, Bytes("image/png"), {0, 3, 0}});
  const auto texts = Concat({Frame23("TIT2", Latin1Text("After the cover")), Frame23("TPE1", Latin1Text("Painter"))});
  const uint32_t bodySize = 10 + pictureSize + static_cast<uint32_t>(texts.size());
  {
    std::ofstream out(path, std::ios::binary);
    const auto head = Concat({Bytes("ID3"), {3, 0, 0}, Synchsafe(bodySize), Bytes("APIC"), BigEndian(pictureSize, 4),
                              {0, 0}, pictureHead});
    out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    out.seekp(static_cast<std::streamoff>(10 + 10 + pictureSize));  // the picture's bytes stay a hole
    out.write(reinterpret_cast<const char*>(texts.data()), static_cast<std::streamsize>(texts.size()));
    out.write(reinterpret_cast<const char*>(kFakeAudio.data()), static_cast<std::streamsize>(kFakeAudio.size()));
  }
  Timerec read;
  const std::optional<long> growth = tagtest::PeakGrowthKilobytes([&] { read = ID3v2Module().Read(path); });
  EXPECT_EQ(read.title, "After the cover");
  EXPECT_EQ(read.artist, "Painter");
  ASSERT_EQ(read.extras.pictures.size(), 1u);
  EXPECT_EQ(read.extras.pictures[0].data.size(), pictureSize - pictureHead.size());
  if (growth) {
    EXPECT_LT(*growth, 3 * 33 * 1024) << "kB";
  }
  const CommandResult m = RunPython("import sys\nfrom mutagen.id3 import ID3\nprint(ID3(sys.argv[1])['TIT2'].text[0])",
                                    {path});
  EXPECT_EQ(m.output, "After the cover\n");
}

}  // namespace
