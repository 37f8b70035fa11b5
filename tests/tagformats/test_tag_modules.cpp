// The three tag modules through their one interface and the registry, and the readers of the
// other sources the engine decodes, on real files made by ffmpeg, read back by our own reader
// and by independent ones (mutagen, ffprobe, TagLib).
#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TimerecPrinter.h"
#include "support/TestSupport.h"
#include "tagformats/TagModules.h"
#include "tagformats/common/ByteSource.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// What differs between the formats: how to make a file, and where each reader shows a field.
struct Format {
  std::string name;
  std::string extension;
  std::string codec;
  std::map<std::string, std::string> mutagenKeys;  // Timerec field → mutagen key
  std::string mutagenTagging;                      // Python: set field `k` to value `v` on `f`
};

void PrintTo(const Format& format, std::ostream* out) { *out << format.name; }

const std::vector<Format>& Formats() {
  static const std::vector<Format> kFormats = {
      {"Mp3", ".mp3", "-c:a libmp3lame -b:a 128k -id3v2_version 0",
       {{"title", "TIT2"}, {"artist", "TPE1"}, {"album", "TALB"}, {"year", "TDRC"}, {"comment", "COMM"},
        {"genre", "TCON"}, {"track", "TRCK"}},
       "from mutagen.id3 import ID3, Frames\nf = ID3()\nf.add(Frames[k](encoding=3, text=v))\nf.save(p)\n"},
      {"Ogg", ".ogg", "-c:a libvorbis",
       {{"title", "title"}, {"artist", "artist"}, {"album", "album"}, {"year", "date"}, {"comment", "comment"},
        {"genre", "genre"}, {"track", "tracknumber"}},
       "import mutagen.oggvorbis\nf = mutagen.oggvorbis.OggVorbis(p)\nf[k] = v\nf.save()\n"},
      {"Wma", ".wma", "-c:a wmav2 -b:a 128k",
       {{"title", "Title"}, {"artist", "Author"}, {"album", "WM/AlbumTitle"}, {"year", "WM/Year"},
        {"comment", "Description"}, {"genre", "WM/Genre"}, {"track", "WM/TrackNumber"}},
       "import mutagen.asf\nf = mutagen.asf.ASF(p)\nf[k] = v\nf.save()\n"},
      {"Flac", ".flac", "-c:a flac",
       {{"title", "title"}, {"artist", "artist"}, {"album", "album"}, {"year", "date"}, {"comment", "comment"},
        {"genre", "genre"}, {"track", "tracknumber"}},
       "import mutagen.flac\nf = mutagen.flac.FLAC(p)\nf[k] = v\nf.save()\n"},
      {"Opus", ".opus", "-c:a libopus",
       {{"title", "title"}, {"artist", "artist"}, {"album", "album"}, {"year", "date"}, {"comment", "comment"},
        {"genre", "genre"}, {"track", "tracknumber"}},
       "import mutagen.oggopus\nf = mutagen.oggopus.OggOpus(p)\nf[k] = v\nf.save()\n"},
      {"M4a", ".m4a", "-c:a aac",
       {{"title", "\u00a9nam"}, {"artist", "\u00a9ART"}, {"album", "\u00a9alb"}, {"year", "\u00a9day"},
        {"comment", "\u00a9cmt"}, {"genre", "\u00a9gen"}, {"track", "trkn"}},
       "import mutagen.mp4\nf = mutagen.mp4.MP4(p)\nf[k] = [(int(v), 0)] if k == 'trkn' else v\nf.save()\n"},
  };
  return kFormats;
}

std::string Repeat(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

const Timerec kFullRecord{"Morning Song", "The Testers", "1999", "Sine Waves", "made for a test", "Ambient", "7"};

class TagModules : public ::testing::TestWithParam<Format> {
 protected:
  std::string Make(const std::string& stem, double seconds = 1.0) {
    const std::string path = dir.file(stem + GetParam().extension);
    EXPECT_TRUE(MakeTone(path, seconds, 44100, 2, GetParam().codec));
    return path;
  }
  const TagModule& Module(const std::string& path) {
    const TagModule* module = TagModuleFor(path);
    EXPECT_NE(module, nullptr) << path;
    return *module;
  }
  std::string MutagenValue(const std::string& path, const std::string& field) {
    const MutagenTags tags = ReadWithMutagen(path);
    EXPECT_TRUE(tags.ok) << tags.error;
    const auto found = tags.values.find(GetParam().mutagenKeys.at(field));
    return found == tags.values.end() ? std::string() : found->second;
  }
  bool MutagenHas(const std::string& path, const std::string& field) {
    return ReadWithMutagen(path).values.count(GetParam().mutagenKeys.at(field)) != 0;
  }
  // Sets one field with mutagen, the way another tagger would.
  void TagWithMutagen(const std::string& path, const std::string& field, const std::string& value) {
    const CommandResult r = RunPython("import sys\np, k, v = sys.argv[1:4]\n" + GetParam().mutagenTagging,
                                      {path, GetParam().mutagenKeys.at(field), value});
    ASSERT_EQ(r.exitCode, 0) << r.output;
  }

  TempDir dir;
};

TEST_P(TagModules, WrittenTagsReadBackByEveryReaderAndTheAudioStaysWhole) {
  const std::string path = Make("song", 2.0);
  const double secondsBefore = DecodedSeconds(path);
  Module(path).Write(path, kFullRecord);

  EXPECT_EQ(Module(path).Read(path), kFullRecord);
  const MutagenTags m = ReadWithMutagen(path);
  ASSERT_TRUE(m.ok) << m.error;
  const auto& keys = GetParam().mutagenKeys;
  EXPECT_EQ(m.values.at(keys.at("title")), "Morning Song");
  EXPECT_EQ(m.values.at(keys.at("artist")), "The Testers");
  EXPECT_EQ(m.values.at(keys.at("album")), "Sine Waves");
  EXPECT_EQ(m.values.at(keys.at("year")), "1999");
  EXPECT_EQ(m.values.at(keys.at("comment")), "made for a test");
  EXPECT_EQ(m.values.at(keys.at("genre")), "Ambient");
  EXPECT_EQ(m.values.at(keys.at("track")), "7");

  const ProbeInfo probe = Probe(path);
  ASSERT_TRUE(probe.ok);
  EXPECT_EQ(probe.tags.at("title"), "Morning Song");
  EXPECT_EQ(probe.tags.at("artist"), "The Testers");
  EXPECT_EQ(probe.tags.at("album"), "Sine Waves");
  EXPECT_EQ(probe.tags.at("genre"), "Ambient");
  EXPECT_EQ(probe.tags.at("comment"), "made for a test");
  EXPECT_EQ(probe.tags.at("track"), "7");

  EXPECT_DOUBLE_EQ(DecodedSeconds(path), secondsBefore);
  std::vector<std::string> entries;
  for (const auto& entry : fs::directory_iterator(dir.path())) entries.push_back(entry.path().filename().string());
  EXPECT_EQ(entries, std::vector<std::string>{"song" + GetParam().extension});
}

// The registry knows a format whatever the letter case of its extension.
// Gives each picture's image from memory, as a source file would; or nothing, as a source cut
// short since it was checked.
class MemoryImages : public ImageCopier {
 public:
  MemoryImages(std::vector<uint8_t> image, bool fails) : image_(std::move(image)), fails_(fails) {}
  ImageBytes Image(const TagPicture&) const override { return fails_ ? ImageBytes{} : ImageBytes{image_.data(), image_.size()}; }

 private:
  std::vector<uint8_t> image_;
  bool fails_;
};

TEST_P(TagModules, ImagesLeftInTheirSourcesGiveTheSameFileAsImagesInTheRecord) {
  const std::string loaded = Make("loaded"), copied = Make("copied"), failed = Make("failed");
  const TagModule& module = Module(loaded);
  if (!module.CopiesImages()) GTEST_SKIP() << "the writer takes records with their images";
  std::vector<uint8_t> image(150000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + i / 251);
  Timerec record = kFullRecord;
  record.extras.Add("LYRICS", Repeat("\u0421\u044a\u0435\u0448\u044c ", 300));
  record.extras.pictures.push_back(TagPicture(3, "image/png", "front", {1, 2, 3}));
  record.extras.pictures.push_back(TagPicture(4, "image/jpeg", "back", image));
  module.Write(loaded, record);

  TagPicture& inSource = record.extras.pictures.back();
  inSource.place = PicturePlace{"source.mp3", AudioFormat::kMp3, {}, image.size(), 1234, 1};
  inSource.data.clear();
  module.WriteCopyingImages(copied, record, MemoryImages(image, false));
  EXPECT_EQ(ReadFileBytes(copied), ReadFileBytes(loaded));

  const std::vector<uint8_t> before = ReadFileBytes(failed);
  EXPECT_THROW(module.WriteCopyingImages(failed, record, MemoryImages(image, true)), TagError);
  EXPECT_EQ(ReadFileBytes(failed), before) << "a failed write leaves the file as it was";
}

// An output tagged again, with its album gain added, holds one set of tags: the same bytes as
// the file tagged once with them.
TEST_P(TagModules, TaggingAgainReplacesTheTagsAsIfTaggedOnce) {
  const std::string twice = Make("twice"), once = dir.file("once" + GetParam().extension);
  fs::copy_file(twice, once);
  Timerec first = kFullRecord;
  first.extras.Add("LYRICS", Repeat("\u65e5\u672c\u8a9e ", 4000));
  first.extras.pictures.push_back(TagPicture(3, "image/png", "front", std::vector<uint8_t>(70000, 9)));
  Timerec second = first;
  second.extras.Add("REPLAYGAIN_ALBUM_GAIN", "-3.20 dB");
  Module(twice).Write(twice, first);
  Module(twice).Write(twice, second);
  Module(once).Write(once, second);
  EXPECT_EQ(Module(twice).Read(twice), Module(once).Read(once));
  if (GetParam().name == "Mp3" || GetParam().name == "Wma") {
    EXPECT_EQ(ReadFileBytes(twice), ReadFileBytes(once));
  }
  EXPECT_DOUBLE_EQ(DecodedSeconds(twice), DecodedSeconds(once));
}

TEST_P(TagModules, UpperCaseExtensionIsReadAndWritten) {
  const std::string lower = Make("shout");
  const std::string upper = dir.file("SHOUT" + Upper(GetParam().extension));
  fs::rename(lower, upper);
  ASSERT_EQ(TagModuleFor(upper), TagModuleFor(lower));
  Module(upper).Write(upper, Timerec{"Loud", "", "", "", "", "", ""});
  EXPECT_EQ(MutagenValue(upper, "title"), "Loud");
  EXPECT_EQ(Module(upper).Read(upper).title, "Loud");
  EXPECT_EQ(TagModuleFor(dir.file("song.wav")), nullptr);
  EXPECT_EQ(TagModuleFor(dir.file("song.WAV")), nullptr);
  EXPECT_EQ(TagModuleFor(dir.file("song")), nullptr);
}

// Limits count characters: text in any script keeps as many characters as Latin text, and
// every reader sees it whole.
TEST_P(TagModules, TextInAnyScriptIsKeptWhole) {
  const std::string path = Make("script");
  const Timerec record{Repeat("Ж", 100), Repeat("山", 100), "2004", "Альбом",
                       "Комментарий 日本語 🎵", "Электронная музыка", "3"};
  Module(path).Write(path, record);
  EXPECT_EQ(Module(path).Read(path), record);
  EXPECT_EQ(MutagenValue(path, "title"), record.title);
  EXPECT_EQ(MutagenValue(path, "artist"), record.artist);
  EXPECT_EQ(MutagenValue(path, "genre"), record.genre);
  EXPECT_EQ(MutagenValue(path, "comment"), record.comment);
  // ffmpeg-based players drop a UTF-16 string without its byte-order mark, with a warning.
  const CommandResult probe = testsupport::Run(
      "ffprobe -v warning -show_entries format_tags=comment:stream_tags=comment -of default=nw=1 " + ShellQuote(path));
  EXPECT_EQ(Probe(path).tags["comment"], record.comment);
  EXPECT_EQ(probe.output.find("BOM"), std::string::npos) << probe.output;
}

// A bare number of the genre list stands for its name, in every format.
TEST_P(TagModules, GenreNumberIsReadAsItsName) {
  const std::string path = Make("genre");
  TagWithMutagen(path, "genre", "17");
  EXPECT_EQ(Module(path).Read(path).genre, "Rock");
  TagWithMutagen(path, "genre", "Darkwave");
  EXPECT_EQ(Module(path).Read(path).genre, "Darkwave");
}

// ID3's year frame holds four digits: a full date gives its year there and the day and month
// to "TDAT", which readers put together again; the other formats keep the text as it is.
TEST_P(TagModules, YearTextReachesEveryReader) {
  const std::string path = Make("year");
  Module(path).Write(path, Timerec{"", "", "2001-02-03", "", "", "", ""});
  EXPECT_EQ(MutagenValue(path, "year"), "2001-02-03");
  EXPECT_EQ(TagLib::FileRef(path.c_str()).tag()->year(), 2001u);

  Module(path).Write(path, Timerec{"", "", " 2003 ", "", "", "", ""});
  EXPECT_EQ(TagLib::FileRef(path.c_str()).tag()->year(), 2003u);
}

// A record without a track number gives no track value that a player would show as "0".
TEST_P(TagModules, NoTrackIsInvented) {
  const std::string path = Make("notrack");
  Module(path).Write(path, Timerec{"Untracked", "", "", "", "", "", ""});
  EXPECT_EQ(MutagenValue(path, "track"), "");
  EXPECT_EQ(Probe(path).tags.count("track"), 0u);
  EXPECT_EQ(TagLib::FileRef(path.c_str()).tag()->track(), 0u);
  EXPECT_EQ(Module(path).Read(path).track, "");
}

TEST_P(TagModules, FilesThatCannotBeReadOrWrittenRaiseTagErrorWithTheName) {
  const std::string missing = dir.file("missing" + GetParam().extension);
  try {
    Module(missing).Read(missing);
    ADD_FAILURE() << "no error";
  } catch (const TagError& error) {
    EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
  }
  EXPECT_THROW(Module(missing).Write(missing, kFullRecord), TagError);
  EXPECT_FALSE(fs::exists(missing));
}

// The modules keep no state between calls: files of every format tagged from several threads
// at once each get their own record.
// The readers' file source serves small reads from windows of the file: whatever the order of
// the reads, across window ends and back and forth, each gives the file's bytes.
TEST(FileByteSource, ReadsGiveTheFilesBytesWhereverTheyJump) {
  TempDir dir;
  std::vector<uint8_t> bytes(100000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13 + i / 256);
  WriteFileBytes(dir.file("f"), bytes);
  const std::unique_ptr<FileByteSource> source = FileByteSource::Open(dir.file("f"));
  ASSERT_NE(source, nullptr);
  const std::pair<uint64_t, size_t> reads[] = {{0, 10},     {90000, 10},  {100, 2048}, {90005, 10}, {16380, 8},
                                               {50000, 20000}, {16384, 1}, {99990, 10}, {0, 100000}, {7, 0}};
  for (const auto& [offset, count] : reads) {
    std::vector<uint8_t> out(count);
    ASSERT_TRUE(source->readAt(offset, out.data(), count)) << offset;
    EXPECT_TRUE(std::equal(out.begin(), out.end(), bytes.begin() + static_cast<long>(offset))) << offset;
  }
  uint8_t spare[16];
  EXPECT_FALSE(source->readAt(99995, spare, 10));
  EXPECT_FALSE(source->readAt(100001, spare, 0));
}

TEST(TagModulesTogether, CallsOnDifferentFilesFromSeveralThreads) {
  TempDir dir;
  std::vector<std::string> paths;
  for (const Format& format : Formats()) {
    for (int i = 0; i < 3; ++i) {
      paths.push_back(dir.file(format.name + std::to_string(i) + format.extension));
      ASSERT_TRUE(MakeTone(paths.back(), 0.5, 44100, 2, format.codec));
    }
  }
  const auto recordOf = [](size_t i) {
    return Timerec{"Title " + std::to_string(i), "Artist " + std::to_string(i), "200" + std::to_string(i % 10),
                   "Album", "Note " + Repeat("é", static_cast<int>(i) + 1), "Genre", std::to_string(i + 1)};
  };
  std::vector<Timerec> read(paths.size());
  std::vector<std::string> errors(paths.size());
  std::vector<std::thread> threads;
  for (size_t i = 0; i < paths.size(); ++i) {
    threads.emplace_back([&, i] {
      try {
        for (int round = 0; round < 3; ++round) TagModuleFor(paths[i])->Write(paths[i], recordOf(i));
        read[i] = TagModuleFor(paths[i])->Read(paths[i]);
      } catch (const std::exception& error) {
        errors[i] = error.what();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(errors[i], "") << paths[i];
    EXPECT_EQ(read[i], recordOf(i)) << paths[i];
    EXPECT_TRUE(ReadWithMutagen(paths[i]).ok) << paths[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, TagModules, ::testing::ValuesIn(Formats()),
                         [](const ::testing::TestParamInfo<Format>& info) { return info.param.name; });

// Sources whose tags are only ever read: Ogg streams other than plain Vorbis, and formats
// outside the four. ffmpeg writes each container's own kind of tag from the same fields.
struct SourceKind {
  std::string name;
  std::string fileName;
  std::string encoder;     // skipped when this ffmpeg lacks it
  std::string ffmpegArgs;  // inputs and encoding
};

void PrintTo(const SourceKind& kind, std::ostream* out) { *out << kind.name; }

const std::string kTone = "-f lavfi -i sine=d=1:sample_rate=48000 ";

const std::vector<SourceKind>& SourceKinds() {
  static const std::vector<SourceKind> kKinds = {
      {"OggOpus", "opus.ogg", "libopus", kTone + "-c:a libopus"},
      {"OggFlac", "flac.OGG", "flac", kTone + "-c:a flac"},
      {"OggSpeex", "speex.ogg", "libspeex", kTone + "-ar 16000 -c:a libspeex"},
      {"OggTheoraVorbis", "video.ogg", "libtheora",
       "-f lavfi -i testsrc=d=1:size=160x120 " + kTone + "-c:v libtheora -c:a libvorbis"},
      {"Flac", "song.flac", "flac", kTone + "-c:a flac"},
      {"Opus", "song.opus", "libopus", kTone + "-c:a libopus"},
      {"M4a", "song.m4a", "aac", kTone + "-c:a aac"},
      {"Aiff", "song.aiff", "pcm_s16be", kTone + "-c:a pcm_s16be -write_id3v2 1"},
      {"WavPack", "song.wv", "wavpack", kTone + "-c:a wavpack"},
  };
  return kKinds;
}

std::string MetadataArgs(const Timerec& r) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"title", &r.title},     {"artist", &r.artist}, {"album", &r.album}, {"date", &r.year},
      {"comment", &r.comment}, {"genre", &r.genre},   {"track", &r.track}};
  std::string args;
  for (const auto& [key, value] : fields) args += " -metadata " + ShellQuote(std::string(key) + "=" + *value);
  return args;
}

// Title, artist and album as mutagen sees them, whatever the container's key names.
std::map<std::string, std::string> MutagenBasics(const std::string& path) {
  static const char* kProgram = R"PY(
import sys, mutagen
f = mutagen.File(sys.argv[1])
t = f.tags if f is not None and f.tags is not None else {}
def first(*keys):
    for k in keys:
        try:
            present = k in t
        except ValueError:  # a key Vorbis comments cannot hold
            present = False
        if present:
            v = t[k]
            v = v.text if hasattr(v, "text") else v
            v = v[0] if isinstance(v, list) else v
            return str(v)
    return ""
print("title=" + first("title", "TIT2", "\xa9nam"))
print("artist=" + first("artist", "TPE1", "\xa9ART"))
print("album=" + first("album", "TALB", "\xa9alb"))
)PY";
  const CommandResult r = RunPython(kProgram, {path});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::map<std::string, std::string> values;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

class SourceTagReaders : public ::testing::TestWithParam<SourceKind> {
 protected:
  void SetUp() override {
    if (!FfmpegCanEncode(GetParam().encoder)) GTEST_SKIP() << "ffmpeg has no " << GetParam().encoder << " encoder";
  }
  std::string Make(const Timerec& record) {
    const std::string path = dir.file(GetParam().fileName);
    const CommandResult r = testsupport::Run("ffmpeg -nostdin -v error -y " + GetParam().ffmpegArgs +
                                             MetadataArgs(record) + " " + ShellQuote(path));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return path;
  }

  TempDir dir;
};

TEST_P(SourceTagReaders, EveryFieldIsReadAsAnIndependentReaderSeesIt) {
  const std::string path = Make(kFullRecord);
  const std::vector<uint8_t> before = ReadFileBytes(path);
  const TagReader* reader = TagReaderFor(path);
  ASSERT_NE(reader, nullptr);
  const Timerec read = reader->Read(path);

  EXPECT_EQ(read, kFullRecord);
  const auto seen = MutagenBasics(path);
  EXPECT_EQ(seen.at("title"), read.title);
  EXPECT_EQ(seen.at("artist"), read.artist);
  EXPECT_EQ(seen.at("album"), read.album);
  EXPECT_EQ(ReadFileBytes(path), before);
}

// Nothing can be written through the generic reader: formats outside the four get no module.
TEST_P(SourceTagReaders, OnlyTheFormatsTheProgramWritesHaveAWriter) {
  const std::string extension = Upper(fs::path(GetParam().fileName).extension().string());
  const bool written = extension == ".OGG" || extension == ".FLAC" || extension == ".OPUS" || extension == ".M4A";
  EXPECT_EQ(TagModuleFor(dir.file(GetParam().fileName)) != nullptr, written);
}

TEST_P(SourceTagReaders, TextInAnyScriptAndAGenreNumberAreReadAsForVorbis) {
  const std::string path = Make(Timerec{Repeat("Ж", 50), "山田", "", "", "", "17", ""});
  const Timerec read = TagReaderFor(path)->Read(path);
  EXPECT_EQ(read.title, Repeat("Ж", 50));
  EXPECT_EQ(read.artist, "山田");
  EXPECT_EQ(read.genre, "Rock");
  EXPECT_EQ(MutagenBasics(path).at("title"), read.title);
}

INSTANTIATE_TEST_SUITE_P(Sources, SourceTagReaders, ::testing::ValuesIn(SourceKinds()),
                         [](const ::testing::TestParamInfo<SourceKind>& info) { return info.param.name; });

// Only an audio stream's comments count; headers cut short are an error that names the file.
TEST(OggSourceReader, VideoOnlyHasNoCommentsAndCutHeadersNameTheFile) {
  if (!FfmpegCanEncode("libtheora") || !FfmpegCanEncode("libopus")) GTEST_SKIP() << "ffmpeg lacks Theora or Opus";
  TempDir dir;
  const std::string video = dir.file("video.ogg");
  const CommandResult made = testsupport::Run("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=d=1:size=160x120 "
                                              "-c:v libtheora -metadata title=Picture " + ShellQuote(video));
  ASSERT_EQ(made.exitCode, 0) << made.output;
  EXPECT_EQ(TagReaderFor(video)->Read(video), Timerec{});

  const std::string cut = dir.file("cut.ogg");
  ASSERT_TRUE(MakeTone(cut, 1, 48000, 2, "-c:a libopus -metadata title=Cut"));
  std::vector<uint8_t> bytes = ReadFileBytes(cut);
  bytes.resize(90);  // the identification page and the start of the comment page
  WriteFileBytes(cut, bytes);
  try {
    TagReaderFor(cut)->Read(cut);
    ADD_FAILURE() << "no error";
  } catch (const TagError& error) {
    EXPECT_NE(std::string(error.what()).find(cut + ": Headers are incomplete"), std::string::npos) << error.what();
  }
}

// The engine decides what is audio; a file TagLib cannot make sense of simply has no tags.
TEST(GenericTagReader, UnknownOrDamagedFilesGiveAnEmptyRecordAndMissingOnesAnError) {
  TempDir dir;
  WriteFileText(dir.file("noise.flac"), "fLaC but nothing after it");
  WriteFileText(dir.file("notes.xyz"), "plain text");
  ASSERT_TRUE(MakeTone(dir.file("cut.m4a"), 1, 44100, 2, "-c:a aac -metadata title=Cut"));
  std::vector<uint8_t> cut = ReadFileBytes(dir.file("cut.m4a"));
  cut.resize(cut.size() / 3);
  WriteFileBytes(dir.file("cut.m4a"), cut);
  for (const std::string name : {"noise.flac", "notes.xyz", "cut.m4a"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.file(name);
    Timerec read;
    EXPECT_NO_THROW(read = TagReaderFor(path)->Read(path));
    EXPECT_EQ(read.artist, "");
  }
  const std::string missing = dir.file("missing.flac");
  try {
    TagReaderFor(missing)->Read(missing);
    ADD_FAILURE() << "no error";
  } catch (const TagError& error) {
    EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
  }
  EXPECT_NE(TagReaderFor(dir.file("song.wav")), nullptr);  // RIFF INFO and id3 chunk
  EXPECT_EQ(TagModuleFor(dir.file("song.wav")), nullptr);
  EXPECT_EQ(TagReaderFor(dir.file("song.mp3")), TagModuleFor(dir.file("song.mp3")));
}

}  // namespace
