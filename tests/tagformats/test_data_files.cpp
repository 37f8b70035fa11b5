// The readers on the small files of tests/data, which other tools made (see make-data.sh):
// each file's record as we read it, checked against mutagen's view of the same file.
#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <filesystem>
#include <string>

#include "TimerecPrinter.h"
#include "support/TestSupport.h"
#include "tagformats/TagModules.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

std::string DataFile(const std::string& name) { return std::string(VELMORA_TEST_DATA_DIR) + "/" + name; }

Timerec ReadTags(const std::string& name) {
  const std::string path = DataFile(name);
  const TagModule* module = TagModuleFor(path);
  EXPECT_NE(module, nullptr) << name;
  return module ? module->Read(path) : Timerec{};
}

std::string Mutagen(const std::string& name, const std::string& key) {
  const MutagenTags tags = ReadWithMutagen(DataFile(name));
  EXPECT_TRUE(tags.ok) << name << ": " << tags.error;
  return tags.values.count(key) ? tags.values.at(key) : std::string();
}

TEST(DataFiles, Id3v23InUtf16WithACoverAndAToolsComment) {
  Timerec expected{"Привет", "日本 🎵", "2004", "Album", "User note", "Rock", "3"};
  expected.extras.Add("TRACKTOTAL", "12");
  std::vector<uint8_t> cover;
  for (int i = 0; i < 4 * 256; ++i) cover.push_back(static_cast<uint8_t>(i));
  expected.extras.pictures.push_back(TagPicture{3, "image/png", "cover", cover});
  EXPECT_EQ(ReadTags("id3v23-utf16-cover.mp3"), expected);
  EXPECT_EQ(Mutagen("id3v23-utf16-cover.mp3", "TIT2"), "Привет");
}

TEST(DataFiles, Id3v1FillsWhatAReplayGainOnlyId3v2TagLeavesEmpty) {
  Timerec expected{"V1 title", "V1 artist", "1977", "V1 album", "", "Jazz", "6"};
  expected.extras.Add("REPLAYGAIN_TRACK_GAIN", "-6.00 dB");
  EXPECT_EQ(ReadTags("replaygain-and-id3v1.mp3"), expected);
  // TagLib merges the two tags the same way.
  const TagLib::FileRef ref(DataFile("replaygain-and-id3v1.mp3").c_str());
  EXPECT_EQ(ref.tag()->title().to8Bit(true), "V1 title");
}

TEST(DataFiles, Id3v24WithAnUnknownIdAndAPlainFrameSize) {
  const Timerec tags = ReadTags("id3v24-faulty-frames.mp3");
  EXPECT_EQ(tags.title, std::string(299, 'T'));
  EXPECT_EQ(tags.artist, "Real artist");
  EXPECT_EQ(tags.album, "Album after");
}

TEST(DataFiles, OggencDescriptionYearAndGenreNumber) {
  EXPECT_EQ(ReadTags("description-year.ogg"), (Timerec{"Oggenc", "Encoder", "1994", "", "Liner note", "Rock", "2"}));
  EXPECT_EQ(Mutagen("description-year.ogg", "description"), "Liner note");
  EXPECT_EQ(Mutagen("description-year.ogg", "genre"), "17");
}

TEST(DataFiles, OggWithAPictureAmongTheComments) {
  Timerec expected{"After the picture", "Before", "2001-02-03", "", "Kept", "", ""};
  std::vector<uint8_t> picture;
  for (int i = 0; i < 2 * 256; ++i) picture.push_back(static_cast<uint8_t>(i));
  expected.extras.pictures.push_back(TagPicture{3, "image/png", "", picture});
  EXPECT_EQ(ReadTags("picture.ogg"), expected);
  EXPECT_EQ(Mutagen("picture.ogg", "title"), "After the picture");
}

TEST(DataFiles, WmaTaggedByFfmpegAndByMutagen) {
  EXPECT_EQ(ReadTags("ffmpeg-tags.wma"), (Timerec{"FT", "FA", "", "FB", "FC", "FG", "4"}));
  Timerec numbers{"Numbers", "", "2003", "", "", "Rock", "11"};
  numbers.extras.Add("TRACKTOTAL", "12");
  EXPECT_EQ(ReadTags("mutagen-genre-number.wma"), numbers);
  EXPECT_EQ(Mutagen("mutagen-genre-number.wma", "WM/Genre"), "17");
}

// A WMA year with spaces reaches an MP3's year frame trimmed, so TagLib reads all of it.
TEST(DataFiles, WmaYearWithSpacesReachesAnMp3Trimmed) {
  TempDir dir;
  const std::string mp3 = dir.file("out.mp3");
  ASSERT_TRUE(MakeTone(mp3, 0.3, 44100, 2, "-c:a libmp3lame -id3v2_version 0"));
  TagModuleFor(mp3)->Write(mp3, ReadTags("mutagen-genre-number.wma"));
  EXPECT_EQ(TagLib::FileRef(mp3.c_str()).tag()->year(), 2003u);
  EXPECT_EQ(ReadWithMutagen(mp3).values["TDRC"], "2003");
}

TEST(DataFiles, AreSmall) {
  // Public samples kept as published (README.md there) may be larger: the only WMA Lossless
  // file within reach is 97 KB.
  for (const auto& entry : fs::directory_iterator(VELMORA_TEST_DATA_DIR)) {
    const bool published = entry.path().filename().string().rfind("taglib-", 0) == 0;
    EXPECT_LT(entry.file_size(), (published ? 100u : 8u) * 1024) << entry.path();
  }
}

}  // namespace
