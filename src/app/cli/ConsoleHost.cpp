#include "app/cli/ConsoleHost.h"

#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "base/LineBreaks.h"
#include "engines/UnfinishedOutputs.h"

#include "app/cli/FileCount.h"

namespace {

std::atomic<bool> interruptRequested{false};

// The second Ctrl-C ends the program the way an unhandled one does, once every output being
// written has a header that matches its data.
[[noreturn]] void QuitAtOnce(const sigset_t& interrupt) {
  unfinished_outputs::SealAllForExit();
  std::signal(SIGINT, SIG_DFL);
  pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
  raise(SIGINT);
  _exit(128 + SIGINT);  // not reached
}

constexpr int kBarWidth = 30;
constexpr size_t kDefaultColumns = 80;

std::string Bar(int percent) {
  int filled = percent * kBarWidth / 100;
  return "[" + std::string(static_cast<size_t>(filled), '#') +
         std::string(static_cast<size_t>(kBarWidth - filled), ' ') + "]";
}

// A bar line longer than the terminal would wrap, and "\r" could no longer redraw it.
size_t TerminalColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kDefaultColumns;
}

}  // namespace

ConsoleHost::ConsoleHost(bool showProgressBar) : showBar_(showProgressBar) {}

// A thread of its own takes Ctrl-C instead of a handler: sealing the outputs takes locks and
// file writes, which a signal handler may not use. The mask is inherited by every thread
// started later, so this thread is the only one SIGINT reaches.
void ConsoleHost::CatchInterrupt() {
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);
  std::thread([interrupt] {
    int signal = 0;
    sigwait(&interrupt, &signal);
    interruptRequested = true;
    sigwait(&interrupt, &signal);
    QuitAtOnce(interrupt);
  }).detach();
}

void ConsoleHost::Pump() {
  if (!interruptRequested || interrupted_) return;
  interrupted_ = true;
  if (stop_) stop_();
}

void ConsoleHost::RowsCleared() {
  batch_.Reset();
  stopped_.clear();
  skipped_.clear();
  handled_ = 0;
}

void ConsoleHost::OutputSkipped(size_t row, const std::string& reason) {
  if (!list_ || row >= list_->size()) return;
  skipped_.insert(row);
  ++handled_;
  FileSkipped((*list_)[row].filePath, reason);
}

void ConsoleHost::FileSkipped(const std::string& path, const std::string& reason) {
  ClearBar();
  std::printf("skipped\t%s: %s\n", path.c_str(), reason.c_str());
  std::fflush(stdout);
}

void ConsoleHost::SourceEndsEarly(size_t /*row*/, const std::string& sourcePath) {
  ClearBar();
  std::fprintf(stderr, "%s: the file ends early; converting the audio that is there\n",
               sourcePath.c_str());
}

void ConsoleHost::SourceChangesCodec(size_t /*row*/, const std::string& sourcePath,
                                     const std::string& change) {
  ClearBar();
  std::fprintf(stderr, "%s: the audio changes from %s; converting the audio up to the change\n",
               sourcePath.c_str(), change.c_str());
}

void ConsoleHost::RowStateChanged(size_t row, const FileRow& entry) {
  if (entry.state == kStateConverting) {
    batch_.Started(row);
    currentName_ = entry.fileName;
    if (showBar_) wholeBatch_ ? DrawBatchBar() : DrawBar(0);
    return;
  }
  if (batch_.Ended(row, entry.state == kStateFinish) && entry.state == kStateFinish) ++handled_;
  ClearBar();
  currentName_.clear();
  // The row reads "finish" either way; the terminal says which files Ctrl-C cut short.
  const bool stopped = stopped_.erase(row) != 0;
  const std::string shown = stopped && entry.state == kStateFinish ? "stopped" : entry.state;
  std::printf("%s\t%s -> %s\n", shown.c_str(), entry.filePath.c_str(), entry.outputPath.c_str());
  std::fflush(stdout);
  if (stopped)
    std::fprintf(stderr, "stopped before its end: %s -> %s\n", entry.filePath.c_str(),
                 entry.outputPath.c_str());
  if (showBar_ && wholeBatch_ && !batch_.inFlight().empty()) DrawBatchBar();
}

void ConsoleHost::SetProgress(int percent) {
  if (showBar_ && !wholeBatch_ && !currentName_.empty()) DrawBar(percent);
}

void ConsoleHost::FileProgress(size_t row, int percent) {
  batch_.Progress(row, percent);
  if (showBar_ && batch_.inFlight().count(row) != 0) DrawBatchBar();
}

RunProgress ConsoleHost::Progress(double inFlight) const {
  RunProgress progress;
  progress.done = filesBefore_ + handled_;
  progress.total = filesBefore_ + (list_ ? list_->size() : 0);
  if (fileCount_) {
    progress.total = std::max(progress.total, fileCount_->count());
    progress.totalFinal = fileCount_->finished();
  }
  if (progress.total > 0) progress.fraction = (progress.done + inFlight) / progress.total;
  progress.elapsedSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  return progress;
}

std::string ConsoleHost::CountsText(double inFlight) const {
  return ::CountsText(Progress(inFlight));
}

void ConsoleHost::FileStopped(size_t row) { stopped_.insert(row); }

void ConsoleHost::DrawBar(int percent) {
  char head[16];
  std::snprintf(head, sizeof head, " %3d%% ", percent);
  ShowBar(Bar(percent) + head + CountsText(percent / 100.0) + ": " + currentName_);
}

void ConsoleHost::DrawBatchBar() {
  if (!list_ || list_->empty()) return;
  const size_t total = list_->size();
  int flightPercent = 0;
  std::string names;
  for (const auto& [row, percent] : batch_.inFlight()) {
    const std::string& name = row < total ? (*list_)[row].fileName : std::string();
    flightPercent += percent;
    names += (names.empty() ? ": " : ", ") + name + " " + std::to_string(percent) + "%";
  }
  const double inFlightShare = flightPercent / 100.0;
  const int overall = std::clamp(static_cast<int>(Progress(inFlightShare).fraction * 100), 0, 100);
  ShowBar(Bar(overall) + " " + CountsText(inFlightShare) + ", " +
          std::to_string(batch_.inFlight().size()) +
          " in flight" + names);
}

void ConsoleHost::ShowBar(const std::string& line) {
  size_t columns = TerminalColumns();
  std::string shown = line.size() < columns ? line : line.substr(0, columns - 1);
  std::fprintf(stderr, "\r%s\x1b[K", shown.c_str());
  std::fflush(stderr);
  barShown_ = true;
}

void ConsoleHost::ClearBar() {
  if (!barShown_) return;
  std::fprintf(stderr, "\r\x1b[K");
  std::fflush(stderr);
  barShown_ = false;
}

void ConsoleHost::ShowInformation(const std::string& text) {
  ClearBar();
  std::fprintf(stderr, "%s\n", LineBreaksAsLf(text).c_str());
  ++failures_;
}

void ConsoleHost::ShowNotice(const std::string& text) {
  ClearBar();
  std::fprintf(stderr, "%s\n", LineBreaksAsLf(text).c_str());
}

void ConsoleHost::FileRefused(const std::string& path, const std::string& reason) {
  // The line names the file already.
  const std::string naming = "Cannot open " + path + ": ";
  std::string oneLine =
      reason.compare(0, naming.size(), naming) == 0 ? reason.substr(naming.size()) : reason;
  std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
  ShowInformation(path + ": not supported: " + oneLine);
}

void ConsoleHost::FormatRefused(const std::string& text, const std::string& detail) {
  ShowInformation(text + " " + detail + ".");
}

void ConsoleHost::ShowError(const std::string& text) {
  ClearBar();
  ++errors_;
  std::fprintf(stderr, "error: %s\n", LineBreaksAsLf(text).c_str());
  ++failures_;
}
