// velmora-convert --jobs N run as a separate program: the same outputs as one file at a time,
// Ctrl-C and errors during a run over several files at once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "settings/IniFile.h"
#include "support/TestSupport.h"

extern char** environ;

using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::ShellQuote;

namespace fs = std::filesystem;

namespace {

constexpr const char* kMp3Codec = "-c:a libmp3lame -b:a 128k";
constexpr const char* kOggCodec = "-c:a libvorbis -q:a 4";
constexpr const char* kWmaCodec = "-c:a wmav2 -b:a 128k";

std::set<std::string> FileNamesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

struct Spawned {
  pid_t pid = 0;
  std::string log;

  // Waits for the program; its exit status, or -1 when it did not exit by itself.
  int Wait(std::string& text) const {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    text.clear();
    for (uint8_t c : ReadFileBytes(log)) text += static_cast<char>(c);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

class JobsCli : public ::testing::Test {
 protected:
  JobsCli() { setenv("VELMORA_CONFIG_DIR", config.path().c_str(), 1); }

  testsupport::CommandResult Convert(const std::string& args) {
    return testsupport::Run(std::string(VELMORA_CONVERT_PATH) + " " + args + " </dev/null");
  }
  std::string Tone(const std::string& name, double seconds = 1.0, const std::string& codec = "",
                   int rate = 44100, int channels = 2) {
    std::string path = work.file(name);
    fs::create_directories(fs::path(path).parent_path());
    testsupport::MakeTone(path, seconds, rate, channels, codec);
    return path;
  }
  static std::string Quoted(const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& file : files) text += " " + ShellQuote(file);
    return text;
  }
  // velmora-convert in the background, stdout and stderr into one log file.
  Spawned Start(std::vector<std::string> args) {
    Spawned run;
    run.log = work.file("log-" + std::to_string(++spawnCount_) + ".txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, run.log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    args.insert(args.begin(), VELMORA_CONVERT_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&run.pid, VELMORA_CONVERT_PATH, &actions, nullptr, argv.data(), environ) != 0)
      ADD_FAILURE() << "cannot start " << VELMORA_CONVERT_PATH;
    posix_spawn_file_actions_destroy(&actions);
    return run;
  }

  testsupport::TempDir config;
  testsupport::TempDir work;

 private:
  int spawnCount_ = 0;
};

bool WaitForSize(const std::string& path, off_t size) {
  struct stat st{};
  for (int i = 0; i < 6000; ++i) {
    if (stat(path.c_str(), &st) == 0 && st.st_size > size) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace

TEST_F(JobsCli, JobCountsOnTheCommandLine) {
  std::string a = Tone("a.wav", 0.5);
  std::string out = work.file("out");
  for (const char* form : {"-j 2", "--jobs 2", "--jobs=2", "-j=2"}) {
    auto r = Convert(std::string(form) + " --format wav --output " + ShellQuote(out) + " " +
                     ShellQuote(a));
    EXPECT_EQ(r.exitCode, 0) << form << ": " << r.output;
  }
  for (const char* bad : {"--jobs 0", "--jobs -1", "--jobs two", "--jobs 2.5", "--jobs 257",
                          "--jobs", "-j"}) {
    auto r = Convert(std::string(bad) + " " + ShellQuote(a));
    EXPECT_EQ(r.exitCode, 2) << bad << ": " << r.output;
  }
  EXPECT_NE(Convert("--help").output.find("--jobs N"), std::string::npos);
}

// Mixed sources: plain WAVs, tagged MP3, OGG and WMA, an untagged MP3, a dotted name, two
// sources with the same base name in different folders, and an output name already taken.
class JobsSameOutput : public JobsCli, public ::testing::WithParamInterface<std::string> {
 protected:
  std::vector<std::string> MixedBatch() {
    auto tagged = [](const std::string& codec, const std::string& title) {
      return codec + " -metadata title=" + title + " -metadata artist=Artist" + title +
             " -metadata date=199" + std::to_string(title.size() % 10);
    };
    return {Tone("one/song.wav", 2.0),
            Tone("two/song.mp3", 1.5, tagged(kMp3Codec, "SecondSong")),
            Tone("tagged.ogg", 1.0, tagged(kOggCodec, "OggTitle")),
            Tone("tagged.wma", 1.2, tagged(kWmaCodec, "WmaTitle")),
            Tone("plain.mp3", 0.8, kMp3Codec),
            Tone("my.dotted.name.wav", 0.6, "", 22050, 1),
            Tone("three/song.ogg", 0.7, tagged(kOggCodec, "ThirdSong")),
            Tone("taken.wav", 0.5)};
  }
  std::string Run(const std::string& jobs, const std::vector<std::string>& batch) {
    std::string out = work.file("out" + jobs);
    fs::create_directories(out);
    // A name taken before the run: the first output must take the numbered one.
    std::string prefix = GetParam() == "normalize" ? "Normalize_" : "";
    testsupport::WriteFileText(out + "/" + prefix + "taken" + Extension(), "already here");
    std::string mode = GetParam() == "normalize" ? "--normalize" : "--format " + GetParam();
    auto r = Convert("--jobs " + jobs + " " + mode + " --output " + ShellQuote(out) + Quoted(batch));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return out;
  }
  std::string Extension() const {
    return GetParam() == "normalize" ? ".wav" : "." + GetParam();
  }
};

TEST_P(JobsSameOutput, SameNamesAndBytesAsOneFileAtATime) {
  std::vector<std::string> batch = MixedBatch();
  std::string one = Run("1", batch);
  std::string three = Run("3", batch);
  std::set<std::string> names = FileNamesIn(one);
  EXPECT_EQ(names, FileNamesIn(three));
  EXPECT_EQ(names.size(), batch.size() + 1) << ::testing::PrintToString(names);
  const std::string taken = (GetParam() == "normalize" ? "Normalize_taken" : "taken") + Extension();
  for (const std::string& folder : {one, three})
    EXPECT_EQ(ReadFileBytes(folder + "/" + taken), std::vector<uint8_t>({'a', 'l', 'r', 'e', 'a', 'd', 'y', ' ', 'h', 'e', 'r', 'e'}));
  names.erase(taken);
  for (const std::string& name : names) {
    std::vector<uint8_t> first = testsupport::ComparableAudioBytes(one + "/" + name);
    EXPECT_FALSE(first.empty()) << name;
    EXPECT_TRUE(first == testsupport::ComparableAudioBytes(three + "/" + name)) << name << " differs";
  }
  if (GetParam() == "normalize") return;
  // Each output carries its own source's record, read back by an independent reader.
  const std::string ext = Extension();
  const std::string title = GetParam() == "mp3" ? "TIT2" : GetParam() == "ogg" ? "title" : "Title";
  if (GetParam() == "wav") return;
  EXPECT_EQ(testsupport::ReadWithMutagen(three + "/song(1)" + ext).values[title], "SecondSong");
  EXPECT_EQ(testsupport::ReadWithMutagen(three + "/tagged" + ext).values[title], "OggTitle");
  EXPECT_EQ(testsupport::ReadWithMutagen(three + "/tagged(1)" + ext).values[title], "WmaTitle");
  EXPECT_EQ(testsupport::ReadWithMutagen(three + "/song(2)" + ext).values[title], "ThirdSong");
  EXPECT_EQ(testsupport::ReadWithMutagen(three + "/song" + ext).values[title], "");
}

INSTANTIATE_TEST_SUITE_P(Formats, JobsSameOutput,
                         ::testing::Values("mp3", "ogg", "wma", "wav", "normalize"),
                         [](const auto& info) { return info.param; });

TEST_F(JobsCli, CtrlCStopsEveryFileInFlightEachKeepingWhatItWrote) {
  std::vector<std::string> longer = {Tone("long1.wav", 300.0, "", 22050, 1),
                                     Tone("long2.wav", 300.0, "", 22050, 1),
                                     Tone("long3.wav", 300.0, "", 22050, 1)};
  std::string never = Tone("never.wav");
  std::string out = work.file("out");
  Spawned run = Start({"--jobs", "3", "--format", "mp3", "--output", out, longer[0], longer[1],
                       longer[2], never});
  for (const char* name : {"/long1.mp3", "/long2.mp3", "/long3.mp3"})
    ASSERT_TRUE(WaitForSize(out + name, 30000)) << name;
  kill(run.pid, SIGINT);
  std::string text;
  EXPECT_EQ(run.Wait(text), 130) << text;

  for (int i = 1; i <= 3; ++i) {
    std::string source = longer[static_cast<size_t>(i - 1)];
    std::string output = out + "/long" + std::to_string(i) + ".mp3";
    EXPECT_NE(text.find("stopped\t" + source + " -> " + output + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("stopped before its end: " + source), std::string::npos) << text;
    double written = testsupport::DecodedSeconds(output);
    EXPECT_GT(written, 0.5) << output;
    EXPECT_LT(written, 290.0) << output;
    EXPECT_EQ(testsupport::Probe(output).codec, "mp3") << output;
  }
  EXPECT_NE(text.find("not converted: " + never), std::string::npos) << text;
  EXPECT_FALSE(FileExists(out + "/never.mp3"));
}

// The second Ctrl-C quits at once, yet each WAV in flight is left with a header that gives
// the size of the audio it holds, as an independent reader sees it.
TEST_F(JobsCli, SecondCtrlCLeavesEveryWavHeaderMatchingItsData) {
  std::vector<std::string> longer = {Tone("long1.wav", 300.0, "", 22050, 1),
                                     Tone("long2.wav", 300.0, "", 22050, 1)};
  std::string out = work.file("out");
  Spawned run = Start({"--jobs", "2", "--format", "wav", "--output", out, longer[0], longer[1]});
  for (const char* name : {"/long1.wav", "/long2.wav"})
    ASSERT_TRUE(WaitForSize(out + name, 2000000)) << name;
  kill(run.pid, SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  kill(run.pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(run.pid, &status, 0), run.pid);
  // Ended by the second Ctrl-C; on a slow machine the first may already have ended the run.
  EXPECT_TRUE((WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) ||
              (WIFEXITED(status) && WEXITSTATUS(status) == 130))
      << status;

  for (const char* name : {"/long1.wav", "/long2.wav"}) {
    auto r = testsupport::RunPython(
        "import os, sys, wave\n"
        "w = wave.open(sys.argv[1])\n"
        "data = w.getnframes() * w.getsampwidth() * w.getnchannels()\n"
        "print(data, os.path.getsize(sys.argv[1]) - 44 - data % 2)\n",
        {out + name});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::istringstream numbers(r.output);
    long headerBytes = 0, fileBytes = 0;
    numbers >> headerBytes >> fileBytes;
    EXPECT_GT(headerBytes, 2000000) << name;
    EXPECT_EQ(headerBytes, fileBytes) << name;
  }
}

TEST_F(JobsCli, BrokenFileEndsTheRunLettingFilesInFlightFinish) {
  // Two long files keep both jobs busy while the third source is broken behind the run's back;
  // it fails as it starts, and nothing after it may start.
  std::string first = Tone("first.wav", 40.0, "", 22050, 1);
  std::string second = Tone("second.wav", 50.0, "", 22050, 1);
  std::string broken = Tone("broken.wav");
  std::vector<std::string> after = {Tone("after1.wav"), Tone("after2.wav"), Tone("after3.wav")};
  std::string out = work.file("out");
  Spawned run = Start({"--jobs", "2", "--format", "ogg", "--output", out, first, second, broken,
                       after[0], after[1], after[2]});
  ASSERT_TRUE(WaitForSize(out + "/first.ogg", 0));
  testsupport::WriteFileText(broken, "no longer audio");
  std::string text;
  EXPECT_EQ(run.Wait(text), 1) << text;

  EXPECT_NE(text.find("error: "), std::string::npos) << text;
  EXPECT_NE(text.find(broken), std::string::npos) << text;
  EXPECT_NEAR(testsupport::DecodedSeconds(out + "/first.ogg"), 40.0, 0.1);
  EXPECT_NEAR(testsupport::DecodedSeconds(out + "/second.ogg"), 50.0, 0.1);
  EXPECT_FALSE(FileExists(out + "/broken.ogg"));
  for (const std::string& source : after) {
    std::string name = fs::path(source).stem().string() + ".ogg";
    EXPECT_FALSE(FileExists(out + "/" + name)) << name << " started after the error";
    EXPECT_NE(text.find("not converted: " + source), std::string::npos) << text;
  }
}

TEST_F(JobsCli, TerminalShowsTheWholeBatchAndWholeLines) {
  std::vector<std::string> sources;
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"}) sources.push_back(Tone(name, 3.0));
  std::string out = work.file("out");
  // script(1) gives the program a terminal, as a user's shell would.
  std::string command = std::string(VELMORA_CONVERT_PATH) + " --jobs 2 --format mp3 --output " +
                        ShellQuote(out) + Quoted(sources);
  auto r = testsupport::Run("script -qec " + ShellQuote(command) + " /dev/null </dev/null");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("0/4 done, 2 in flight: a.wav "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("1/4 done, "), std::string::npos) << r.output;
  // What stays on each line once the bar has been cleared is one whole finish line.
  size_t finished = 0;
  size_t start = 0;
  while (start < r.output.size()) {
    size_t end = r.output.find('\n', start);
    if (end == std::string::npos) end = r.output.size();
    std::string line = r.output.substr(start, end - start);
    start = end + 1;
    size_t cleared = line.rfind("\x1b[K");
    std::string shown = cleared == std::string::npos ? line : line.substr(cleared + 3);
    if (!shown.empty() && shown.back() == '\r') shown.pop_back();
    if (shown.empty()) continue;
    ++finished;
    EXPECT_EQ(shown.rfind("finish\t", 0), 0u) << shown;
    EXPECT_NE(shown.find(" -> " + out + "/"), std::string::npos) << shown;
  }
  EXPECT_EQ(finished, sources.size()) << r.output;
}
