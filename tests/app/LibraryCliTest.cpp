// Whole folders through velmora-convert: the tree kept, names from tags, outputs already there,
// dry runs, and the GNU parallel recipe of the README.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/TestSupport.h"

namespace fs = std::filesystem;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::ShellQuote;

namespace {

// Every file below `root` by its relative path, with its bytes.
std::map<std::string, std::vector<uint8_t>> TreeContents(const std::string& root) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), root).string()] = ReadFileBytes(entry.path().string());
  return files;
}

std::vector<std::string> Names(const std::map<std::string, std::vector<uint8_t>>& tree) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : tree) names.push_back(name);
  return names;
}

class LibraryCli : public ::testing::Test {
 protected:
  // Three levels, mixed formats, two files called song in different folders, one file that is
  // no audio, a link that loops back and a hidden file.
  LibraryCli() {
    setenv("VELMORA_CONFIG_DIR", config.path().c_str(), 1);
    Tone("Artist/Album/song.wav");
    Tone("Artist/Album/tagged.mp3", "-c:a libmp3lame -metadata title=Hello -metadata artist=Band "
                                    "-metadata album=First -metadata track=3/9");
    Tone("Artist/song.ogg", "-c:a libvorbis");
    Tone("Other/song.wav");
    testsupport::WriteFileText(lib() + "/Other/broken.mp3", "no audio here");
    testsupport::WriteFileText(lib() + "/Other/.hidden.wav", "hidden");
    fs::create_directory_symlink("..", lib() + "/Artist/Album/loop");
  }

  void Tone(const std::string& name, const std::string& codec = "") {
    fs::create_directories(fs::path(lib() + "/" + name).parent_path());
    testsupport::MakeTone(lib() + "/" + name, 0.5, 44100, 2, codec);
  }
  testsupport::CommandResult Convert(const std::string& args) {
    return testsupport::Run(std::string(VELMORA_CONVERT_PATH) + " --format mp3 " + args +
                            " </dev/null");
  }
  std::string lib() const { return work.file("lib"); }
  std::string out() const { return work.file("out"); }
  std::string Into(const std::string& folder) const {
    return "--output " + ShellQuote(folder) + " " + ShellQuote(lib());
  }

  const std::vector<std::string> mirrored{"Artist/Album/song.mp3", "Artist/Album/tagged.mp3",
                                          "Artist/song.mp3", "Other/song.mp3"};
  testsupport::TempDir config;
  testsupport::TempDir work;
};

}  // namespace

TEST_F(LibraryCli, TreeMirroredProblemsToldOnceAtTheEnd) {
  for (const char* jobs : {"--jobs 1", "--jobs 2"}) {
    fs::remove_all(out());
    auto r = Convert(std::string(jobs) + " --tree " + Into(out()));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(Names(TreeContents(out())), mirrored) << jobs;
    EXPECT_NE(r.output.find("1 file in the added folders could not be read; 1 folder or link was "
                            "left out:\n" + lib() + "/Artist/Album/loop: left out, a link back"),
              std::string::npos) << r.output;
    EXPECT_NE(r.output.find(lib() + "/Other/broken.mp3: "), std::string::npos) << r.output;
  }
  auto flat = Convert("--flat " + Into(work.file("flat")));
  EXPECT_EQ(Names(TreeContents(work.file("flat"))),
            (std::vector<std::string>{"song(1).mp3", "song(2).mp3", "song.mp3", "tagged.mp3"}));
}

TEST_F(LibraryCli, NamesFromTagsWithMissingFieldsTakingTheSourceName) {
  auto r = Convert("--name '%artist%/%album%/%track% - %title%' " + Into(out()));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  // The pattern makes folders, so the source tree is not kept besides; the two untagged songs
  // fall back to their own name and share it, so the second is numbered.
  EXPECT_EQ(Names(TreeContents(out())),
            (std::vector<std::string>{"Band/First/03 - Hello.mp3", "song/song/song - song(1).mp3",
                                      "song/song/song - song(2).mp3",
                                      "song/song/song - song.mp3"}));
}

TEST_F(LibraryCli, SkipRunsAgainWithoutConvertingAndUpdateOnlyWhatChanged) {
  ASSERT_EQ(Convert(Into(out())).exitCode, 0);
  const auto first = TreeContents(out());
  auto again = Convert("--existing skip " + Into(out()));
  EXPECT_EQ(again.exitCode, 0) << again.output;
  EXPECT_EQ(again.output.find("finish\t"), std::string::npos) << again.output;
  EXPECT_EQ(TreeContents(out()), first);

  const std::string changed = lib() + "/Other/song.wav";
  fs::last_write_time(changed, fs::file_time_type::clock::now() + std::chrono::hours(1));
  auto update = Convert("--existing update --jobs 2 " + Into(out()));
  EXPECT_EQ(update.exitCode, 0) << update.output;
  EXPECT_NE(update.output.find("finish\t" + changed + " -> " + out() + "/Other/song.mp3\n"),
            std::string::npos) << update.output;
  EXPECT_EQ(update.output.find("finish\t" + lib() + "/Artist"), std::string::npos);
  EXPECT_EQ(Names(TreeContents(out())), mirrored);  // replaced in place, nothing beside it
}

TEST_F(LibraryCli, InterruptedUpdateLeavesTheOldOutputWhole) {
  testsupport::MakeTone(work.file("long.wav"), 120.0);
  const std::string output = out() + "/long.mp3";
  ASSERT_EQ(Convert("--output " + ShellQuote(out()) + " " + ShellQuote(work.file("long.wav")))
                .exitCode, 0);
  const auto old = ReadFileBytes(output);
  fs::last_write_time(work.file("long.wav"), fs::file_time_type::clock::now() + std::chrono::hours(1));
  // Killed outright once the new output has begun beside the old one.
  auto r = testsupport::Run(
      std::string(VELMORA_CONVERT_PATH) + " --format mp3 --existing update --output " +
      ShellQuote(out()) + " " + ShellQuote(work.file("long.wav")) + " >/dev/null 2>&1 & pid=$!; "
      "for i in $(seq 2000); do ls " + ShellQuote(out()) + "/.long.mp3.*.part.mp3 >/dev/null 2>&1 "
      "&& break; sleep 0.01; done; kill -9 $pid; wait $pid; ls -a " + ShellQuote(out()));
  EXPECT_NE(r.output.find(".part.mp3"), std::string::npos) << r.output;
  EXPECT_EQ(ReadFileBytes(output), old);
}

TEST_F(LibraryCli, DryRunWritesNothing) {
  auto r = Convert("--dry-run --existing update " + Into(out()));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("would write\t" + lib() + "/Other/song.wav -> " + out() +
                          "/Other/song.mp3\n"), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(out()));
}

TEST_F(LibraryCli, AnOutputThatWouldBeItsSourceIsRefused) {
  const std::string source = lib() + "/Artist/Album/tagged.mp3";
  const auto before = ReadFileBytes(source);
  for (const char* policy : {"skip", "update"}) {
    auto r = Convert(std::string("--existing ") + policy + " " + Into(lib()));
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find(source + " was not converted: its output " + source +
                            " would be the source itself"), std::string::npos) << r.output;
    EXPECT_EQ(ReadFileBytes(source), before);
  }
}

// The README's recipe, with two local job slots standing in for machines.
TEST_F(LibraryCli, GnuParallelRecipeGivesTheSameTreeAsOneRun) {
  if (testsupport::Run("command -v parallel").exitCode != 0) GTEST_SKIP() << "no GNU parallel";
  Tone("loose.wav");
  ASSERT_EQ(Convert(Into(work.file("one"))).exitCode, 0);
  const std::string convert = std::string(VELMORA_CONVERT_PATH) + " --format mp3 --jobs 1";
  auto r = testsupport::Run(
      "cd " + ShellQuote(lib()) + " && "
      "find . -mindepth 1 -maxdepth 1 -type d -not -name '.*' -printf '%P\\0' | "
      "parallel --will-cite -0 -S 2/: --workdir . " + convert + " --existing skip --output " +
      ShellQuote(out()) + "/{} {} && " +
      "find . -maxdepth 1 -type f -not -name '.*' -print0 | xargs -0 -r " + convert +
      " --existing skip --output " + ShellQuote(out()));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(TreeContents(out()), TreeContents(work.file("one")));
  EXPECT_EQ(TreeContents(out()).size(), mirrored.size() + 1);
}
