// Adding, deleting and clearing rows, with the tag table kept beside them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "CoreFixture.h"

using testsupport::FileExists;
using testsupport::RunPython;
using testsupport::WriteFileText;

namespace {

void SetId3Title(const std::string& path, const std::string& title) {
  auto r = RunPython(
      "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, TRCK\n"
      "t = ID3()\nt.add(TIT2(encoding=3, text=sys.argv[2]))\n"
      "t.add(TPE1(encoding=3, text='Artist'))\nt.add(TRCK(encoding=3, text='4'))\n"
      "t.save(sys.argv[1], v2_version=3)\n",
      {path, title});
  ASSERT_EQ(r.exitCode, 0) << r.output;
}

}  // namespace

class FileListCommands : public CoreFixture {};

TEST_F(FileListCommands, AddedRowShowsNamePathTimeSizeAndState) {
  std::string path = Tone("tone.wav", 2.0);
  core->AddFiles({path});
  ASSERT_EQ(core->rows().size(), 1u);
  const FileRow& row = core->rows()[0];
  EXPECT_EQ(row.fileName, "tone.wav");
  EXPECT_EQ(row.filePath, path);
  EXPECT_EQ(row.timeText, "00:00:02");
  EXPECT_EQ(row.sizeText, "0.34MB");  // 2 s of 44.1 kHz 16-bit stereo
  EXPECT_EQ(row.state, "unconverted");
  EXPECT_EQ(host.events, (std::vector<std::string>{"added 0 tone.wav unconverted"}));
  EXPECT_TRUE(host.information.empty());
  EXPECT_GE(host.pumps, 1);
}

// Jobs 1 is the window's adding; the command line probes several files at once with more, and
// must give the same rows, records and messages in the same order.
class AddingWithJobs : public CoreFixture, public ::testing::WithParamInterface<size_t> {};

TEST_P(AddingWithJobs, FailedFileIsNamedAndTheNextTakesTheNextRowWithItsOwnTags) {
  core->SetJobs(GetParam());
  std::string first = Tone("first.mp3", 1.0, kMp3Codec);
  std::string third = Tone("third.mp3", 1.0, kMp3Codec);
  SetId3Title(first, "First");
  SetId3Title(third, "Third");
  std::string bogus = work.file("bogus.mp3");
  WriteFileText(bogus, "this is not audio at all");
  std::string missing = work.file("missing.ogg");
  std::string fifo = work.file("pipe.wav");  // would block a plain open for ever
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  core->AddFiles({first, bogus, missing, fifo, work.path(), third});

  ASSERT_EQ(core->rows().size(), 2u);
  // Each refusal names the file, then on its own line the reason the reader gave.
  const std::vector<std::string> refused = {bogus, missing, fifo, work.path()};
  ASSERT_EQ(host.information.size(), refused.size());
  for (size_t i = 0; i < refused.size(); ++i) {
    const std::string& text = host.information[i];
    const std::string head = refused[i] + "is not supported.\n";
    EXPECT_EQ(text.compare(0, head.size(), head), 0) << text;
    EXPECT_GT(text.size(), head.size()) << "no reason given: " << text;
    EXPECT_EQ(text.find('\n', head.size()), std::string::npos) << text;
  }
  ASSERT_EQ(core->rows().size(), 2u);
  EXPECT_EQ(core->rows()[0].tags.title, "First");
  EXPECT_EQ(core->rows()[1].tags.title, "Third");
  EXPECT_EQ(core->rows()[1].tags.artist, "Artist");
  EXPECT_EQ(core->rows()[1].tags.track, "4");
  EXPECT_EQ(host.events, (std::vector<std::string>{"added 0 first.mp3 unconverted",
                                                   "added 1 third.mp3 unconverted"}));
}

INSTANTIATE_TEST_SUITE_P(Jobs, AddingWithJobs, ::testing::Values(1, 3),
                         [](const auto& info) { return "jobs" + std::to_string(info.param); });

TEST_F(FileListCommands, SameFileTwiceGivesTwoRowsWithTwoRecords) {
  std::string path = Tone("twice.mp3", 1.0, kMp3Codec);
  SetId3Title(path, "Twice");
  core->AddFiles({path, path});
  ASSERT_EQ(core->rows().size(), 2u);
  EXPECT_EQ(core->rows()[0].tags.title, "Twice");
  EXPECT_EQ(core->rows()[1].tags.title, "Twice");
}

TEST_F(FileListCommands, TagsAreReadWhateverTheExtensionsCaseButWavHasNone) {
  std::string upper = Tone("loud.MP3", 1.0, "-f mp3 " + std::string(kMp3Codec));
  SetId3Title(upper, "Hidden");
  std::string lower = work.file("loud.mp3");
  testsupport::WriteFileBytes(lower, testsupport::ReadFileBytes(upper));
  std::string wav = Tone("plain.wav");
  core->AddFiles({upper, lower, wav});
  ASSERT_EQ(core->rows().size(), 3u);
  EXPECT_EQ(core->rows()[0].tags.title, "Hidden");
  EXPECT_EQ(core->rows()[1].tags.title, "Hidden");
  EXPECT_EQ(core->rows()[2].tags, Timerec{});
}

TEST_F(FileListCommands, DeletingTheSelectedRowKeepsRecordsAligned) {
  std::string wav = Tone("row.wav", 0.5);
  core->AddFiles({wav, wav, wav, wav});
  for (size_t i = 0; i < 4; ++i)
    core->SetRowTags(i, Timerec{"r" + std::to_string(i), "", "", "", "", "", ""});

  core->DeleteSelectedFiles();  // nothing selected
  EXPECT_EQ(core->rows().size(), 4u);

  core->SelectRow(1);
  core->DeleteSelectedFiles();
  ASSERT_EQ(core->rows().size(), 3u);
  EXPECT_EQ(core->rows()[0].tags.title, "r0");
  EXPECT_EQ(core->rows()[1].tags.title, "r2");
  EXPECT_EQ(core->rows()[2].tags.title, "r3");
  EXPECT_EQ(std::vector<std::string>(host.events.end() - 2, host.events.end()),
            (std::vector<std::string>{"removing 1", "removed 1"}));

  // A later row gets an empty record, never the moved-out one.
  core->AddFiles({wav});
  EXPECT_EQ(core->rows()[3].tags, Timerec{});
}

TEST_F(FileListCommands, ClearAsksFirstAndLeavesFilesOnDisk) {
  std::string wav = Tone("keep.wav", 0.5);
  core->AddFiles({wav, wav});
  host.answerYes = false;
  core->ClearFiles();
  EXPECT_EQ(core->rows().size(), 2u);
  ASSERT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(host.questions[0],
            "Are you sure to remove all the files from filelist?\rNot delete from your computer.");

  host.answerYes = true;
  host.events.clear();
  core->ClearFiles();
  EXPECT_EQ(host.events, (std::vector<std::string>{"clearing", "cleared"}));
  EXPECT_TRUE(core->rows().empty());
  EXPECT_EQ(core->rows().size(), 0u);
  EXPECT_TRUE(testsupport::FileExists(wav));

  core->ClearFiles();  // an empty list asks nothing
  EXPECT_EQ(host.questions.size(), 2u);
}

TEST_F(FileListCommands, ListCommandsDoNothingDuringARun) {
  std::string wav = Tone("busy.wav", 0.5);
  core->AddFiles({wav});
  core->SelectRow(0);
  host.pumps = 0;
  host.AtPump(1, [&] {
    EXPECT_TRUE(core->running());
    core->AddFiles({wav});
    core->DeleteSelectedFiles();
    core->ClearFiles();
    core->NormalizeFiles();
    core->ConvertFiles(kFormatWav);
  });
  core->ConvertFiles(kFormatWav);
  EXPECT_FALSE(core->running());
  EXPECT_EQ(core->rows().size(), 1u);
  EXPECT_EQ(States(), (std::vector<std::string>{"finish"}));
  EXPECT_TRUE(host.questions.empty());
  EXPECT_TRUE(host.information.empty());
  EXPECT_EQ(host.openedFolders.size(), 1u);  // the run's own end
  EXPECT_FALSE(FileExists(Out("Normalize_busy.wav")));
}

// Probing runs on the pool while the driving thread pumps; a run started from such a pump
// converts the rows added so far, to its end, before the next rows are added.
TEST_F(FileListCommands, RunStartedWhileAddingEndsBeforeTheNextRows) {
  std::vector<std::string> paths;
  for (int i = 0; i < 6; ++i) paths.push_back(Tone("t" + std::to_string(i) + ".wav", 0.5));
  core->AddFiles({paths[0]});
  size_t rowsWhenRunStarted = 0;
  std::vector<std::string> eventsWhenRunEnded;
  host.pumps = 0;
  host.AtPump(1, [&] {
    rowsWhenRunStarted = core->rows().size();
    core->ConvertFiles(kFormatWav);
    EXPECT_FALSE(core->running());
    eventsWhenRunEnded = host.events;
  });
  host.events.clear();
  core->AddFiles(std::vector<std::string>(paths.begin() + 1, paths.end()));

  ASSERT_EQ(core->rows().size(), 6u);
  ASSERT_EQ(rowsWhenRunStarted, 1u);
  EXPECT_EQ(eventsWhenRunEnded, (std::vector<std::string>{"state 0 Converting", "output 0",
                                                          "state 0 finish"}));
  EXPECT_EQ(States(), (std::vector<std::string>{"finish", "unconverted", "unconverted",
                                                "unconverted", "unconverted", "unconverted"}));
  for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(core->rows()[i].filePath, paths[i]);
  EXPECT_TRUE(FileExists(Out("t0.wav")));
  EXPECT_FALSE(FileExists(Out("t1.wav")));
}
