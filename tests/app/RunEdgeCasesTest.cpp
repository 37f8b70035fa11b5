// The runs' own behaviour: output names, Stop, vanished sources, refusals, errors, folders.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "CoreFixture.h"
#include "app/RunSettings.h"
#include <cstdio>

using testsupport::DecodedSeconds;
using testsupport::FileExists;
using testsupport::Probe;
using testsupport::ReadFileBytes;
using testsupport::ReadWithMutagen;
using testsupport::WriteFileText;

namespace {

Timerec Tagged(const std::string& title) { return Timerec{title, "A", "1999", "B", "C", "Pop", "2"}; }

}  // namespace

class RunEdgeCases : public CoreFixture {
 protected:
  void MakeOutDir() { ASSERT_EQ(mkdir(outDir.c_str(), 0755), 0); }
  void Place(const std::string& name, const std::string& content) {
    WriteFileText(Out(name), content);
  }
};

TEST_F(RunEdgeCases, TakenNamesGetNumbersAndStayUntouched) {
  MakeOutDir();
  Place("a.mp3", "old a");
  Place("a(1).mp3", "old a1");
  std::string a = Tone("a.wav");
  core->AddFiles({a, a});
  core->ConvertFiles(kFormatMp3);
  EXPECT_EQ(core->output_file_name(), Out("a(3).mp3"));
  EXPECT_TRUE(Probe(Out("a(2).mp3")).ok);
  EXPECT_TRUE(Probe(Out("a(3).mp3")).ok);
  auto kept = ReadFileBytes(Out("a(1).mp3"));
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "old a1");
}

TEST_F(RunEdgeCases, NumberedNameOfADottedNameStopsAtTheFirstDot) {
  std::string song = Tone("my.song.wav");
  core->AddFiles({song});
  core->ConvertFiles(kFormatMp3);
  EXPECT_TRUE(Probe(Out("my.song.mp3")).ok);
  core->ConvertFiles(kFormatMp3);
  EXPECT_TRUE(Probe(Out("my(1).mp3")).ok);
}

TEST_F(RunEdgeCases, SourceInsideTheOutputFolderNeverOverwritesItself) {
  MakeOutDir();
  std::string inside = Out("self.wav");
  testsupport::MakeTone(inside, 1.0);
  auto before = ReadFileBytes(inside);
  core->AddFiles({inside});
  core->ConvertFiles(kFormatWav);
  EXPECT_EQ(ReadFileBytes(inside), before);
  EXPECT_EQ(core->output_file_name(), Out("self(1).wav"));
  EXPECT_TRUE(Probe(Out("self(1).wav")).ok);
}

TEST_F(RunEdgeCases, AllHundredNumbersTakenSkipsTheFileAndConvertsTheNext) {
  MakeOutDir();
  Place("full.mp3", "taken");
  for (int k = 1; k <= 100; ++k) Place("full(" + std::to_string(k) + ").mp3", "taken");
  std::string full = Tone("full.wav");
  std::string other = Tone("other.wav");
  core->AddFiles({full, other});
  core->ConvertFiles(kFormatMp3);
  ASSERT_EQ(host.information.size(), 1u);
  EXPECT_NE(host.information[0].find(full), std::string::npos) << host.information[0];
  EXPECT_EQ(States(), (std::vector<std::string>{"unconverted", "finish"}));
  EXPECT_EQ(ReadFileBytes(Out("full(100).mp3")).size(), 5u);
  EXPECT_TRUE(Probe(Out("other.mp3")).ok);
}

TEST_F(RunEdgeCases, WavModeOneKeepsTheWritersFormatFromTheRunBefore) {
  std::string tone = Tone("keep.wav");
  settings->WriteInteger("wav", "mode", 2);
  settings->WriteInteger("wav", "frequency", 5);  // 22050
  settings->WriteInteger("wav", "channel", 0);
  core->AddFiles({tone});
  core->ConvertFiles(kFormatWav);
  settings->WriteInteger("wav", "mode", 1);
  core->ConvertFiles(kFormatWav);
  auto second = Probe(Out("keep(1).wav"));
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(second.sampleRate, 22050);
  EXPECT_EQ(second.channels, 1);
}

TEST_F(RunEdgeCases, StopDuringAFileFinishesItWithItsTagsAndStillOpensTheFolder) {
  std::string longer = Tone("long.wav", 10.0);
  std::string next = Tone("next.wav");
  core->AddFiles({longer, next});
  core->SetRowTags(0, Tagged("Stopped"));
  host.pumps = 0;
  // One pump per file, two per block (half a second of 16-bit stereo): Stop after two blocks.
  host.AtPump(7, [&] { core->Stop(); });
  core->ConvertFiles(kFormatMp3);
  EXPECT_EQ(States(), (std::vector<std::string>{"finish", "unconverted"}));
  EXPECT_FALSE(core->running());
  EXPECT_EQ(host.openedFolders.size(), 1u);
  double written = DecodedSeconds(Out("long.mp3"));
  EXPECT_GT(written, 0.8);
  EXPECT_LT(written, 1.5);
  EXPECT_EQ(ReadWithMutagen(Out("long.mp3")).values["TIT2"], "Stopped");
  EXPECT_FALSE(FileExists(Out("next.mp3")));
}

TEST_F(RunEdgeCases, VanishedSecondOfThreeIsReportedOnceAndTheOthersConvert) {
  std::string one = Tone("one.wav"), two = Tone("two.wav"), three = Tone("three.wav");
  core->AddFiles({one, two, three});
  std::remove(two.c_str());
  core->ConvertFiles(kFormatOgg);
  EXPECT_EQ(host.information, (std::vector<std::string>{two + " has been removed."}));
  EXPECT_EQ(States(), (std::vector<std::string>{"finish", "unconverted", "finish"}));
  EXPECT_TRUE(Probe(Out("one.ogg")).ok);
  EXPECT_TRUE(Probe(Out("three.ogg")).ok);
}

TEST_F(RunEdgeCases, UpperCaseSourceGetsItsRowTagsInTheLowerCaseOutput) {
  std::string upper = Tone("SHOUT.MP3", 1.0, "-f mp3 " + std::string(kMp3Codec));
  core->AddFiles({upper});
  EXPECT_EQ(core->rows()[0].tags, Timerec{});
  core->SetRowTags(0, Tagged("Typed"));
  core->ConvertFiles(kFormatMp3);
  auto tags = ReadWithMutagen(Out("SHOUT.mp3"));
  ASSERT_TRUE(tags.ok) << tags.error;
  EXPECT_EQ(tags.values["TIT2"], "Typed");
  EXPECT_EQ(tags.values["TRCK"], "2");
}

TEST_F(RunEdgeCases, NormalizeNamesLevelsAndTags) {
  std::string song = Tone("song.mp3", 2.0, kMp3Codec);
  std::string quiet = Tone("quiet.wav", 2.0);
  core->AddFiles({song, quiet});
  core->SetRowTags(0, Tagged("Louder"));
  core->SetRowTags(1, Tagged("Ignored"));
  core->NormalizeFiles();
  core->NormalizeFiles();
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
  EXPECT_EQ(States(), (std::vector<std::string>{"finish", "finish"}));
  for (const char* name : {"Normalize_song.mp3", "Normalize_song(1).mp3"}) {
    auto info = Probe(Out(name));
    ASSERT_TRUE(info.ok) << name;
    EXPECT_EQ(info.codec, "mp3");
    EXPECT_NEAR(DecodedSeconds(Out(name)), DecodedSeconds(song), 0.1);
    EXPECT_EQ(ReadWithMutagen(Out(name)).values["TIT2"], "Louder");
  }
  EXPECT_EQ(Probe(Out("Normalize_quiet.wav")).codec.substr(0, 3), "pcm");
  EXPECT_TRUE(Probe(Out("Normalize_quiet(1).wav")).ok);
  // The generated tone peaks at -21 dBFS per side; normalising raises it by the +20 dB limit.
  auto volume = testsupport::Run("ffmpeg -nostdin -hide_banner -i " +
                                 testsupport::ShellQuote(Out("Normalize_quiet.wav")) +
                                 " -af volumedetect -f null - 2>&1 | grep max_volume");
  size_t colon = volume.output.find("max_volume:");
  ASSERT_NE(colon, std::string::npos) << volume.output;
  EXPECT_NEAR(std::stod(volume.output.substr(colon + 11)), -1.0, 0.3) << volume.output;
}

TEST_F(RunEdgeCases, RefusedFormatsTouchNothing) {
  std::string tone = Tone("refuse.wav");
  core->AddFiles({tone});
  settings->WriteInteger("mp3", "frequency", 0);  // 6000 Hz
  core->ConvertFiles(kFormatMp3);
  settings->WriteBool("ogg", "enable quality", false);
  settings->WriteInteger("ogg", "frequency", 1);  // 8000 Hz
  settings->WriteInteger("ogg", "channel", 0);
  settings->WriteInteger("ogg", "bitrate", 16);   // 320 kbit/s
  core->ConvertFiles(kFormatOgg);
  EXPECT_EQ(host.information, (std::vector<std::string>{"This MP3 format is not supported.",
                                                        "This OGG format is not supported."}));
  EXPECT_FALSE(core->running());
  EXPECT_TRUE(host.openedFolders.empty());
  EXPECT_FALSE(FileExists(outDir));
  EXPECT_EQ(States(), (std::vector<std::string>{"unconverted"}));
}

TEST_F(RunEdgeCases, EmptyListAsksForFiles) {
  core->ConvertFiles(kFormatMp3);
  core->NormalizeFiles();
  EXPECT_EQ(host.information, (std::vector<std::string>(2, "Please add file!")));
  EXPECT_TRUE(host.openedFolders.empty());
  EXPECT_FALSE(FileExists(outDir));
}

TEST_F(RunEdgeCases, RunCommandsDuringARunDoNothing) {
  core->AddFiles({Tone("x.wav")});
  host.pumps = 0;
  host.AtPump(2, [&] {
    core->ConvertFiles(kFormatOgg);
    core->NormalizeFiles();
  });
  core->ConvertFiles(kFormatMp3);
  EXPECT_TRUE(host.information.empty());
  EXPECT_TRUE(FileExists(Out("x.mp3")));
  EXPECT_FALSE(FileExists(Out("x.ogg")));
  EXPECT_FALSE(FileExists(Out("Normalize_x.wav")));
  EXPECT_EQ(host.openedFolders.size(), 1u);
}

TEST_F(RunEdgeCases, EmptyDirUsesTheMusicFolderCreatedWithItsParents) {
  std::string music = work.file("home/Music/deep");
  setenv("XDG_MUSIC_DIR", music.c_str(), 1);
  settings->WriteString("Format", "Dir", "");
  core->AddFiles({Tone("m.wav")});
  core->ConvertFiles(kFormatWav);
  unsetenv("XDG_MUSIC_DIR");
  EXPECT_TRUE(Probe(music + "/m.wav").ok);
  EXPECT_EQ(host.openedFolders, (std::vector<std::string>{music + "/"}));
}

TEST_F(RunEdgeCases, UncreatableFolderEndsTheRunBeforeAnyFile) {
  WriteFileText(work.file("blocker"), "a file, not a folder");
  settings->WriteString("Format", "Dir", work.file("blocker/out"));
  core->AddFiles({Tone("b.wav")});
  core->ConvertFiles(kFormatMp3);
  core->NormalizeFiles();
  ASSERT_EQ(host.errors.size(), 2u);
  EXPECT_NE(host.errors[0].find("Cannot create the output folder " + work.file("blocker/out")),
            std::string::npos);
  EXPECT_FALSE(core->running());
  EXPECT_TRUE(host.openedFolders.empty());
  EXPECT_EQ(States(), (std::vector<std::string>{"unconverted"}));
}

TEST_F(RunEdgeCases, EngineErrorEndsTheRunWithItsOwnText) {
  std::string good = Tone("good.wav");
  std::string broken = Tone("broken.wav");
  std::string after = Tone("after.wav");
  core->AddFiles({good, broken, after});
  WriteFileText(broken, "no longer audio");
  core->ConvertFiles(kFormatMp3);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_FALSE(host.errors[0].empty());
  EXPECT_FALSE(core->running());
  EXPECT_TRUE(host.openedFolders.empty());
  EXPECT_EQ(States(), (std::vector<std::string>{"finish", "Converting", "unconverted"}));
  // The next run starts cleanly.
  host.errors.clear();
  core->SelectRow(1);
  core->DeleteSelectedFiles();
  core->ConvertFiles(kFormatMp3);
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
  EXPECT_EQ(States(), (std::vector<std::string>{"finish", "finish"}));
}

TEST_F(RunEdgeCases, EmptySourceEndsAtFullProgress) {
  std::string empty = work.file("empty.wav");
  auto r = testsupport::Run("ffmpeg -nostdin -loglevel error -y -f lavfi -i anullsrc=r=44100 -t 0 " +
                            testsupport::ShellQuote(empty));
  core->AddFiles({empty});
  if (core->rows().empty()) GTEST_SKIP() << "the engine does not list an empty WAV";
  host.progress.clear();
  core->ConvertFiles(kFormatWav);
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
  EXPECT_NE(std::find(host.progress.begin(), host.progress.end(), 100), host.progress.end());
  EXPECT_EQ(States(), (std::vector<std::string>{"finish"}));
}

TEST_F(RunEdgeCases, TrackNumbersStayWithTheirOwnFile) {
  std::string numbered = Tone("numbered.mp3", 1.0, kMp3Codec);
  auto r = testsupport::RunPython(
      "import sys\nfrom mutagen.id3 import ID3, TRCK, TIT2\nt = ID3()\n"
      "t.add(TRCK(encoding=0, text='3'))\nt.add(TIT2(encoding=0, text='N'))\n"
      "t.save(sys.argv[1], v2_version=3)\n",
      {numbered});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::string plain = Tone("plain.wav");
  core->AddFiles({numbered, plain});
  for (int format : {kFormatMp3, kFormatOgg, kFormatWma}) {
    core->ConvertFiles(format);
    std::string extension = OutputExtension(format);
    auto first = ReadWithMutagen(Out("numbered" + extension)).values;
    auto second = ReadWithMutagen(Out("plain" + extension)).values;
    const char* key = format == kFormatMp3 ? "TRCK" : format == kFormatOgg ? "tracknumber"
                                                                           : "WM/TrackNumber";
    EXPECT_EQ(first[key], "3") << extension;
    EXPECT_TRUE(second[key].empty() || second[key] == "0") << extension << ": " << second[key];
  }
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
}

// A row keeps where its source's picture lies, not the image: a source retagged after it was
// added gives its output without the picture (never the new image for the listed one) and a
// notice; the other file keeps its picture byte for byte.
TEST_F(RunEdgeCases, PictureOfASourceChangedAfterAddingIsLeftOutWithANotice) {
  const std::string cover =
      "import sys\nfrom mutagen.id3 import ID3, APIC\nt = ID3()\n"
      "t.add(APIC(encoding=3, mime='image/png', type=3, desc='c', data=sys.argv[1].encode() * 5000))\n"
      "t.save(sys.argv[2], v2_version=3)\n";
  const std::string kept = Tone("kept.mp3", 1.0, kMp3Codec), changed = Tone("changed.mp3", 1.0, kMp3Codec);
  for (const std::string& path : {kept, changed}) ASSERT_EQ(testsupport::RunPython(cover, {"A", path}).exitCode, 0);
  core->AddFiles({kept, changed});
  ASSERT_EQ(testsupport::RunPython(cover, {"B", changed}).exitCode, 0);  // the same size, another image
  core->ConvertFiles(kFormatMp3);
  EXPECT_EQ(host.information, (std::vector<std::string>{changed + " changed after it was added: 1 picture was left out of " +
                                                        Out("changed.mp3") + "."}));
  EXPECT_EQ(States(), (std::vector<std::string>{"finish", "finish"}));
  const std::string images = "import sys\nfrom mutagen.id3 import ID3\n"
                             "print([p.data == b'A' * 5000 for p in ID3(sys.argv[1]).getall('APIC')])\n";
  EXPECT_EQ(testsupport::RunPython(images, {Out("kept.mp3")}).output, "[True]\n");
  EXPECT_EQ(testsupport::RunPython(images, {Out("changed.mp3")}).output, "[]\n");
}

TEST_F(RunEdgeCases, TagsThatCannotBeWrittenAreReportedNotLost) {
  std::string source = Tone("song.wav");
  core->AddFiles({source});
  // Once the output exists, its folder is moved away and a plain file takes its name, so the
  // tag writer finds no output to put its tag into.
  const std::string output = Out("song.mp3");
  const std::string folder = output.substr(0, output.rfind('/'));
  host.onPump = [&] {
    if (!FileExists(output)) return;
    host.onPump = nullptr;
    ASSERT_EQ(std::rename(folder.c_str(), (folder + ".moved").c_str()), 0);
    WriteFileText(folder, "not a folder");
  };
  core->ConvertFiles(kFormatMp3);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], "Cannot open file " + output);
  EXPECT_FALSE(core->running());
  // Its audio is whole: the output stays, in the folder that was moved away.
  EXPECT_NEAR(DecodedSeconds(folder + ".moved/song.mp3"), 1.0, 0.1);
}

TEST_F(RunEdgeCases, LinksAreTakenNamesEvenWhenTheyDangle) {
  MakeOutDir();
  ASSERT_EQ(symlink("/nonexistent/target.mp3", Out("a.mp3").c_str()), 0);
  ASSERT_EQ(symlink("/nonexistent/target.wav", Out("Normalize_a.wav").c_str()), 0);
  core->AddFiles({Tone("a.wav")});
  core->ConvertFiles(kFormatMp3);
  core->NormalizeFiles();
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
  EXPECT_TRUE(Probe(Out("a(1).mp3")).ok);
  EXPECT_TRUE(Probe(Out("Normalize_a(1).wav")).ok);
  struct stat info;
  ASSERT_EQ(lstat(Out("a.mp3").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_FALSE(FileExists("/nonexistent/target.mp3"));
}
