// Several runs at once over one list: each RunState drives its own engine objects, the list
// and the tag table are only read, and every run names its own outputs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <mutex>
#include <set>
#include <thread>

#include "app/FileList.h"
#include "app/OutputFormatSetup.h"
#include "app/RunHost.h"
#include "app/RunLoop.h"
#include "app/RunState.h"
#include "support/TestSupport.h"
#include "tags/TagTable.h"

using testsupport::Probe;

namespace {

// Collects what the runs report, from whichever thread reports it.
class SharedHost : public RunHost {
 public:
  void RowAdded(size_t, const FileRow&) override {}
  void RowAboutToBeRemoved(size_t) override {}
  void RowRemoved(size_t) override {}
  void RowsAboutToBeCleared() override {}
  void RowsCleared() override {}
  void RowStateChanged(size_t row, const std::string& state) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state == kStateFinish) finished.insert(row);
  }
  void OutputCreated(size_t, const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    outputs.insert(path);
  }
  void SetProgress(int) override {}
  void ShowInformation(const std::string& text) override { Note(text); }
  bool AskYesNo(const std::string&) override { return false; }
  void ShowError(const std::string& text) override { Note(text); }
  void Pump() override {}
  void OpenFolder(const std::string&) override {}

  std::set<size_t> finished;
  std::set<std::string> outputs;
  std::vector<std::string> notices;

 private:
  void Note(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    notices.push_back(text);
  }
  std::mutex mutex_;
};

}  // namespace

TEST(RunStates, TwoRunsOverOneListEachWithItsOwnFormat) {
  testsupport::TempDir work;
  FileList rows;
  TagTable tags;
  for (const char* name : {"one.wav", "two.wav"}) {
    std::string path = work.file(name);
    testsupport::MakeTone(path, 3.0);
    rows.Append(FileRow{name, path, "", "", kStateUnconverted});
    tags.AppendRow();
  }
  RunPlan narrow;
  narrow.folder = work.file("narrow") + "/";
  narrow.format.formatIndex = kFormatWav;
  narrow.format.wav = WavRunSettings{kWavCustom, 8000, 1, 16};
  RunPlan wide = narrow;
  wide.folder = work.file("wide") + "/";
  wide.format.wav = WavRunSettings{kWavCustom, 48000, 2, 16};
  ASSERT_EQ(mkdir(narrow.folder.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(wide.folder.c_str(), 0755), 0);

  SharedHost host;
  RunState first;
  RunState second;
  auto work_on = [&](RunState& state, const RunPlan& plan, size_t position) {
    ASSERT_FALSE(SetUpOutputFormat(plan.format, state.AudioFilewrite, state.AudioFile2LameEnc));
    state.running = true;
    RunLoop loop(state, rows, tags, host, plan);
    loop.ProcessPosition(position);
    state.running = false;
  };
  std::thread a(work_on, std::ref(first), std::cref(narrow), 0);
  std::thread b(work_on, std::ref(second), std::cref(wide), 1);
  a.join();
  b.join();

  EXPECT_TRUE(host.notices.empty()) << ::testing::PrintToString(host.notices);
  EXPECT_EQ(host.finished, (std::set<size_t>{0, 1}));
  EXPECT_EQ(first.output_file_name, narrow.folder + "one.wav");
  EXPECT_EQ(second.output_file_name, wide.folder + "two.wav");
  auto one = Probe(first.output_file_name);
  auto two = Probe(second.output_file_name);
  EXPECT_EQ(one.sampleRate, 8000);
  EXPECT_EQ(one.channels, 1);
  EXPECT_EQ(two.sampleRate, 48000);
  EXPECT_EQ(two.channels, 2);
  EXPECT_NEAR(testsupport::DecodedSeconds(first.output_file_name), 3.0, 0.05);
  EXPECT_NEAR(testsupport::DecodedSeconds(second.output_file_name), 3.0, 0.05);
  EXPECT_EQ(rows[0].state, kStateUnconverted);  // the list itself is only read
}
