// The core converting several files at once: what an error and Stop do to the files in flight
// and to those not yet started, and what the host hears.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

#include "CoreFixture.h"
#include "app/RunSettings.h"

using testsupport::DecodedSeconds;
using testsupport::FileExists;

namespace {

class JobsHost : public RecordingHost {
 public:
  void FileProgress(size_t row, int percent) override {
    Heard();
    fileProgress[row].push_back(percent);
  }
  void RowStateChanged(size_t row, const FileRow& entry) override {
    Heard();
    RecordingHost::RowStateChanged(row, entry);
  }
  void OutputCreated(size_t row, const std::string& path) override {
    Heard();
    RecordingHost::OutputCreated(row, path);
  }
  void SetProgress(int percent) override {
    Heard();
    RecordingHost::SetProgress(percent);
  }
  void ShowError(const std::string& text) override {
    Heard();
    RecordingHost::ShowError(text);
  }
  void Pump() override {
    Heard();
    RecordingHost::Pump();
  }
  void OpenFolder(const std::string& path) override {
    Heard();
    RecordingHost::OpenFolder(path);
  }
  // Like a window's widgets, the host may only be touched from the thread that drives the core.
  void Heard() {
    if (std::this_thread::get_id() != drivingThread) ++callsFromOtherThreads;
  }
  std::map<size_t, std::vector<int>> fileProgress;
  std::thread::id drivingThread = std::this_thread::get_id();
  int callsFromOtherThreads = 0;
};

class ParallelRunTest : public CoreFixture {
 protected:
  ParallelRunTest() {
    // The fixture's core talks to the fixture's host; this one records per-file progress too.
    core = std::make_unique<ConverterCore>(*settings, jobsHost);
  }
  std::vector<std::string> JobsStates() const {
    std::vector<std::string> states;
    for (size_t i = 0; i < core->rows().size(); ++i) states.push_back(core->rows()[i].state);
    return states;
  }

  JobsHost jobsHost;
};

}  // namespace

TEST_F(ParallelRunTest, ErrorLetsTheFileInFlightFinishAndStartsNoOther) {
  std::string longer = Tone("long.wav", 20.0, "", 22050, 1);
  std::string broken = Tone("broken.wav");
  std::string after1 = Tone("after1.wav");
  std::string after2 = Tone("after2.wav");
  core->AddFiles({longer, broken, after1, after2});
  testsupport::WriteFileText(broken, "no longer audio");
  core->SetJobs(2);
  core->ConvertFiles(kFormatMp3);

  ASSERT_EQ(jobsHost.errors.size(), 1u) << ::testing::PrintToString(jobsHost.errors);
  EXPECT_NE(jobsHost.errors[0].find(broken), std::string::npos) << jobsHost.errors[0];
  EXPECT_EQ(JobsStates(),
            (std::vector<std::string>{"finish", "Converting", "unconverted", "unconverted"}));
  EXPECT_NEAR(DecodedSeconds(Out("long.mp3")), 20.0, 0.1);
  EXPECT_FALSE(FileExists(Out("after1.mp3")));
  EXPECT_FALSE(FileExists(Out("after2.mp3")));
  EXPECT_FALSE(core->running());
  EXPECT_TRUE(jobsHost.openedFolders.empty());
  EXPECT_EQ(jobsHost.callsFromOtherThreads, 0);
}

TEST_F(ParallelRunTest, StopEndsEveryFileInFlightWithItsTags) {
  std::vector<std::string> sources;
  for (int i = 1; i <= 3; ++i)
    sources.push_back(Tone("long" + std::to_string(i) + ".mp3", 120.0,
                           std::string(kMp3Codec) + " -metadata title=Long" + std::to_string(i),
                           22050, 1));
  sources.push_back(Tone("later.wav"));
  core->AddFiles(sources);
  jobsHost.pumps = 0;
  jobsHost.AtPump(4, [this] { core->Stop(); });
  core->SetJobs(3);
  core->ConvertFiles(kFormatOgg);

  EXPECT_TRUE(jobsHost.errors.empty()) << ::testing::PrintToString(jobsHost.errors);
  EXPECT_EQ(JobsStates(), (std::vector<std::string>{"finish", "finish", "finish", "unconverted"}));
  for (int i = 1; i <= 3; ++i) {
    std::string output = Out("long" + std::to_string(i) + ".ogg");
    double written = DecodedSeconds(output);
    EXPECT_GT(written, 0.0) << output;
    EXPECT_LT(written, 119.0) << output;
    EXPECT_EQ(testsupport::ReadWithMutagen(output).values["title"], "Long" + std::to_string(i));
  }
  EXPECT_FALSE(FileExists(Out("later.ogg")));
  EXPECT_FALSE(core->running());
  EXPECT_EQ(jobsHost.openedFolders, (std::vector<std::string>{outDir + "/"}));
}

TEST_F(ParallelRunTest, HostHearsEachFileStartProgressAndFinish) {
  std::vector<std::string> sources = {Tone("a.wav", 3.0), Tone("b.wav", 2.0), Tone("c.wav", 1.0)};
  core->AddFiles(sources);
  jobsHost.events.clear();
  core->SetJobs(2);
  core->ConvertFiles(kFormatWav);

  EXPECT_TRUE(jobsHost.errors.empty()) << ::testing::PrintToString(jobsHost.errors);
  EXPECT_EQ(JobsStates(), (std::vector<std::string>{"finish", "finish", "finish"}));
  for (size_t row = 0; row < sources.size(); ++row) {
    const std::string started = "state " + std::to_string(row) + " Converting";
    const std::string finished = "state " + std::to_string(row) + " finish";
    auto start = std::find(jobsHost.events.begin(), jobsHost.events.end(), started);
    auto end = std::find(jobsHost.events.begin(), jobsHost.events.end(), finished);
    ASSERT_NE(start, jobsHost.events.end()) << row;
    ASSERT_NE(end, jobsHost.events.end()) << row;
    EXPECT_LT(start, end) << row;
    const std::vector<int>& progress = jobsHost.fileProgress[row];
    auto full = std::find(progress.begin(), progress.end(), 100);
    ASSERT_NE(full, progress.end()) << row << ": " << ::testing::PrintToString(progress);
    EXPECT_TRUE(std::is_sorted(progress.begin(), full)) << ::testing::PrintToString(progress);
  }
  // Files start in list order.
  std::vector<std::string> starts;
  for (const std::string& event : jobsHost.events)
    if (event.find("Converting") != std::string::npos) starts.push_back(event);
  EXPECT_EQ(starts, (std::vector<std::string>{"state 0 Converting", "state 1 Converting",
                                              "state 2 Converting"}));
  EXPECT_EQ(jobsHost.openedFolders, (std::vector<std::string>{outDir + "/"}));
  EXPECT_EQ(jobsHost.callsFromOtherThreads, 0);
}

// Album ReplayGain over files converted side by side: the jobs report to one book, and the
// outputs come out byte for byte as a one-at-a-time run writes them, on the driving thread or
// on the pool.
TEST_F(ParallelRunTest, AlbumReplayGainIsTheSameWhateverTheJobs) {
  std::vector<std::string> sources;
  for (int i = 1; i <= 4; ++i)
    sources.push_back(Tone("song" + std::to_string(i) + ".mp3", 2.0 + i,
                           std::string(kMp3Codec) + " -af volume=-" + std::to_string(4 * i) +
                               "dB -metadata album=" + (i % 2 ? "Odd" : "Even")));
  core->AddFiles(sources);
  LoudnessOptions options;
  options.replayGain = ReplayGainMode::kAlbum;
  core->SetLoudnessOptions(options);
  const struct {
    size_t jobs;
    bool background;
    const char* folder;
  } runs[] = {{2, false, "jobs2"}, {1, true, "background"}, {1, false, "jobs1"}};
  for (const auto& run : runs) {
    core->SetOutputFolderOverride(work.file(run.folder));
    core->SetJobs(run.jobs);
    core->SetBackgroundRuns(run.background);
    core->ConvertFiles(kFormatMp3);
    EXPECT_TRUE(jobsHost.errors.empty()) << ::testing::PrintToString(jobsHost.errors);
  }
  EXPECT_EQ(jobsHost.callsFromOtherThreads, 0);
  for (int i = 1; i <= 4; ++i) {
    const std::string name = "/song" + std::to_string(i) + ".mp3";
    EXPECT_EQ(testsupport::ReadFileBytes(work.file("background") + name),
              testsupport::ReadFileBytes(work.file("jobs1") + name)) << name;
    const auto tags = testsupport::ReadGainTags(work.file("jobs2") + name);
    EXPECT_EQ(tags.size(), 4u) << name;
    const std::string first = work.file("jobs2") + (i % 2 ? "/song1.mp3" : "/song2.mp3");
    EXPECT_EQ(tags.at("REPLAYGAIN_ALBUM_GAIN"),
              testsupport::ReadGainTags(first).at("REPLAYGAIN_ALBUM_GAIN"));
    EXPECT_EQ(testsupport::ReadFileBytes(work.file("jobs2") + name),
              testsupport::ReadFileBytes(work.file("jobs1") + name)) << name;
  }
}
