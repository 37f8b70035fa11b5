// Several runs at once over one list: each RunState drives its own engine objects, the list
// is only read, and every run names its own outputs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>
#include <thread>

#include "app/FileList.h"
#include "app/OutputFormatSetup.h"
#include "app/RunEventQueue.h"
#include "app/RunLoop.h"
#include "app/RunState.h"
#include "support/TestSupport.h"
#include "tags/Timerec.h"

using testsupport::Probe;

namespace {

// What the runs posted to their shared queue, from whichever thread posted it.
struct Reported {
  explicit Reported(RunEventQueue& queue) {
    for (const RunEvent& event : queue.TakeAll()) {
      if (event.kind == RunEvent::Kind::kRowState && event.text == kStateFinish)
        finished.insert(event.row);
      if (event.kind == RunEvent::Kind::kNotice || event.kind == RunEvent::Kind::kError)
        notices.push_back(event.text);
    }
  }
  std::set<size_t> finished;
  std::vector<std::string> notices;
};

}  // namespace

TEST(RunStates, TwoRunsOverOneListEachWithItsOwnFormat) {
  testsupport::TempDir work;
  FileList rows;
  for (const char* name : {"one.wav", "two.wav"}) {
    std::string path = work.file(name);
    testsupport::MakeTone(path, 3.0);
    rows.Append({FileRow{name, path, "", "", kStateUnconverted, AudioFormat::kWav, {}, "", ""}});
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

  RunEventQueue events;
  RunState first;
  RunState second;
  auto work_on = [&](RunState& state, const RunPlan& plan, size_t position) {
    ASSERT_FALSE(SetUpOutputFormat(plan.format, state.AudioFilewrite, state.AudioFile2LameEnc));
    state.running = true;
    RunLoop loop(state, rows, events, plan, [] {});
    loop.ProcessPosition(position);
    state.running = false;
  };
  std::thread a(work_on, std::ref(first), std::cref(narrow), 0);
  std::thread b(work_on, std::ref(second), std::cref(wide), 1);
  a.join();
  b.join();

  Reported host(events);
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
