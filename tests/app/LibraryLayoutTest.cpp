// Laying out a library: walking folders, names from tags, and outputs that are already there.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/ExistingOutputPolicy.h"
#include "app/FileList.h"
#include "app/FolderWalker.h"
#include "app/NamePattern.h"
#include "app/OutputPlacement.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using testsupport::WriteFileText;

TEST(FolderWalker, NameOrderPerFolderHiddenLeftOutLoopsAndDeadLinksNamed) {
  testsupport::TempDir dir;
  const std::string root = dir.file("lib");
  fs::create_directories(root + "/B/inner");
  fs::create_directories(root + "/a");
  fs::create_directories(root + "/.git");
  for (const char* name : {"B/inner/2.wav", "B/inner/10.wav", "B/x.mp3", "a/y.ogg", "z.wav",
                           "a/.hidden.wav", ".git/config"})
    WriteFileText(root + "/" + name, "x");
  fs::create_directory_symlink("..", root + "/B/inner/up");       // back to B: a loop
  fs::create_directory_symlink("../a", root + "/B/alias");        // a second way into a/
  fs::create_symlink("nowhere.wav", root + "/dead.wav");

  std::vector<std::string> files, skipped;
  FolderWalker walker(root + "/", [&](const std::string& path, const std::string&) {
    skipped.push_back(path);
  });
  while (auto file = walker.Next()) {
    EXPECT_EQ(file->path, root + "/" + file->relative);
    files.push_back(file->relative);
  }
  EXPECT_EQ(files, (std::vector<std::string>{"B/alias/y.ogg", "B/inner/10.wav", "B/inner/2.wav",
                                             "B/x.mp3", "a/y.ogg", "z.wav"}));
  EXPECT_EQ(skipped, (std::vector<std::string>{root + "/B/inner/up", root + "/dead.wav"}));
}

TEST(FolderWalker, ExcludedFolderAndNonFolderRoot) {
  testsupport::TempDir dir;
  fs::create_directories(dir.file("lib/out"));
  WriteFileText(dir.file("lib/out/a.mp3"), "x");
  WriteFileText(dir.file("lib/b.wav"), "x");
  std::vector<std::string> reasons;
  auto note = [&](const std::string&, const std::string& why) { reasons.push_back(why); };
  FolderWalker walker(dir.file("lib"), note);
  walker.Exclude(dir.file("lib/out"));
  ASSERT_TRUE(walker.Next());
  EXPECT_FALSE(walker.Next());
  FolderWalker single(dir.file("lib/b.wav"), note);
  EXPECT_FALSE(single.Next());
  EXPECT_EQ(reasons, (std::vector<std::string>{"it is the output folder", "not a folder"}));
}

TEST(NamePattern, FieldsFoldersAndFallbacks) {
  Timerec full;
  full.title = "Song/Part 2";
  full.artist = "Band";
  full.album = "...Best of. ";
  full.track = "3/12";
  full.extras.Add("ALBUMARTIST", "Various");
  full.extras.Add("DISCNUMBER", "2");
  const Timerec none;
  struct Case {
    const char* pattern;
    const Timerec& tags;
    const char* expected;
  } cases[] = {
      {"%artist%/%album%/%track% - %title%", full, "Band/___Best of/03 - Song_Part 2"},
      {"%artist%/%album%/%track% - %title%", none, "src/src/src - src"},
      {"%TITLE% (%year%)", full, "Song_Part 2 (src)"},
      {"/%artist%//%nosuchfield%", full, "Band/src"},
      {"100% %artist%", full, "100% Band"},
      {"%artist%/", full, "Band/src"},
      {"%AlbumArtist%/%disc%-%track%", full, "Various/2-03"},
      {"%albumartist%/%composer%", none, "src/src"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExpandNamePattern(c.pattern, c.tags, "src", 250), c.expected) << c.pattern;
}

// Patterns that would not name files as meant are refused with the reason; "100%" is text.
TEST(NamePattern, ProblemsNamedAndGoodPatternsPass) {
  const std::pair<const char*, const char*> cases[] = {
      {"", nullptr},
      {"%artist%/%album%/%track% - %title%", nullptr},
      {"100% %artist%", nullptr},
      {"/%artist%//%nosuchfield%", nullptr},
      {"%artist/%title%", "character 1 of the name pattern is not closed"},
      {"%artist%/%title", "character 10 of"},
      {"%artist%/../%title%", "folder \"..\""},
      {"./%title%", "folder \".\""},
      {"a\tb", "control character"},
  };
  for (const auto& [pattern, problem] : cases) {
    std::optional<std::string> found = NamePatternProblem(pattern);
    EXPECT_EQ(found.has_value(), problem != nullptr) << pattern;
    if (found && problem) {
      EXPECT_NE(found->find(problem), std::string::npos) << *found;
    }
  }
}

TEST(NamePattern, LongNamesCutOnCharacterBoundaries) {
  Timerec tags;
  for (int i = 0; i < 100; ++i) tags.title += "\xC3\xA9";  // "é", two bytes each
  EXPECT_EQ(ExpandNamePattern("x%title%", tags, "s", 10), "x\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
  EXPECT_EQ(SafeNamePart(std::string("a\0b", 3)), "a_b");
  EXPECT_EQ(SafeNamePart(".."), "__");
  EXPECT_EQ(SafeNamePart(" . "), "_");
  EXPECT_EQ(SafeNamePart(std::string(300, 'x')).size(), kMaxNameBytes);
}

TEST(RelativeFolder, BelowTheFolderItWasAddedFrom) {
  FileRow row;
  row.filePath = "/lib/Artist/Album/a.wav";
  EXPECT_EQ(RelativeFolderOf(row), "");
  row.addedFromFolder = "/lib";
  EXPECT_EQ(RelativeFolderOf(row), "Artist/Album/");
  row.addedFromFolder = "/";
  EXPECT_EQ(RelativeFolderOf(row), "lib/Artist/Album/");
  row.addedFromFolder = "/lib/Artist/Album";
  EXPECT_EQ(RelativeFolderOf(row), "");
}

TEST(ExistingOutputs, EachPolicyOnlyLooksAtTheExactName) {
  testsupport::TempDir dir;
  const std::string source = dir.file("a.wav"), output = dir.file("a.mp3");
  WriteFileText(source, "source");
  WriteFileText(output, "old output");
  const OutputCandidate candidate{output, dir.file("a"), ".mp3"};
  auto taken = [](const std::string& path) { return access(path.c_str(), F_OK) == 0; };
  using A = OutputChoice::Action;

  OutputChoice numbered = ApplyExistingPolicy(ExistingPolicy::kNumber, source, candidate, taken);
  EXPECT_EQ(numbered.path, dir.file("a(1).mp3"));
  EXPECT_EQ(ApplyExistingPolicy(ExistingPolicy::kSkip, source, candidate, taken).action, A::kSkip);
  // The output was written after the source: up to date.
  fs::last_write_time(output, fs::last_write_time(source) + std::chrono::seconds(1));
  EXPECT_EQ(ApplyExistingPolicy(ExistingPolicy::kUpdate, source, candidate, taken).action,
            A::kSkip);
  fs::last_write_time(source, fs::last_write_time(output) + std::chrono::seconds(1));
  OutputChoice update = ApplyExistingPolicy(ExistingPolicy::kUpdate, source, candidate, taken);
  EXPECT_EQ(update.action, A::kWrite);
  EXPECT_EQ(update.replaces, output);
  EXPECT_EQ(update.path.rfind(dir.file(".a.mp3."), 0), 0u) << update.path;
  EXPECT_EQ(ExtensionOf(update.path), ".mp3");
  // A source whose output would be itself.
  const OutputCandidate itself{source, dir.file("a"), ".wav"};
  for (ExistingPolicy policy : {ExistingPolicy::kSkip, ExistingPolicy::kUpdate})
    EXPECT_EQ(ApplyExistingPolicy(policy, source, itself, taken).action, A::kRefuse);
  EXPECT_EQ(ApplyExistingPolicy(ExistingPolicy::kNumber, source, itself, taken).path,
            dir.file("a(1).wav"));
}
