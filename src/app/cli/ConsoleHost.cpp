#include "app/cli/ConsoleHost.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/cli/FileCount.h"

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void OnInterrupt(int) { interruptRequested = 1; }

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

void ConsoleHost::CatchInterrupt() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;  // the next Ctrl-C gets the default: the program ends
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

void ConsoleHost::Pump() {
  if (!interruptRequested || interrupted_) return;
  interrupted_ = true;
  if (stop_) stop_();
}

void ConsoleHost::RowAdded(size_t row, const FileRow& entry) {
  if (row <= rows_.size()) rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(row),
                                        ShownRow{entry.fileName, entry.filePath, ""});
}

void ConsoleHost::RowRemoved(size_t row) {
  if (row < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
}

void ConsoleHost::RowsCleared() {
  rows_.clear();
  handled_ = 0;
}

void ConsoleHost::OutputCreated(size_t row, const std::string& outputPath) {
  if (row < rows_.size()) rows_[row].outputPath = outputPath;
}

void ConsoleHost::OutputSkipped(size_t row, const std::string& reason) {
  if (row >= rows_.size()) return;
  rows_[row].skipped = true;
  ++handled_;
  ClearBar();
  std::printf("skipped\t%s: %s\n", rows_[row].filePath.c_str(), reason.c_str());
  std::fflush(stdout);
}

void ConsoleHost::SourceEndsEarly(size_t /*row*/, const std::string& sourcePath) {
  ClearBar();
  std::fprintf(stderr, "%s: the file ends early; converting the audio that is there\n",
               sourcePath.c_str());
}

void ConsoleHost::RowStateChanged(size_t row, const std::string& state) {
  if (row >= rows_.size()) return;
  ShownRow& entry = rows_[row];
  if (state == kStateConverting) {
    entry.inFlight = true;
    entry.percent = 0;
    currentName_ = entry.fileName;
    if (showBar_) wholeBatch_ ? DrawBatchBar() : DrawBar(0);
    return;
  }
  if (entry.inFlight && state == kStateFinish) ++handled_;
  entry.inFlight = false;
  ClearBar();
  currentName_.clear();
  std::printf("%s\t%s -> %s\n", state.c_str(), entry.filePath.c_str(), entry.outputPath.c_str());
  std::fflush(stdout);
  if (interrupted_)
    std::fprintf(stderr, "stopped before its end: %s -> %s\n", entry.filePath.c_str(),
                 entry.outputPath.c_str());
  bool anyInFlight =
      std::any_of(rows_.begin(), rows_.end(), [](const ShownRow& r) { return r.inFlight; });
  if (showBar_ && wholeBatch_ && anyInFlight) DrawBatchBar();
}

void ConsoleHost::SetProgress(int percent) {
  if (showBar_ && !wholeBatch_ && !currentName_.empty()) DrawBar(percent);
}

void ConsoleHost::FileProgress(size_t row, int percent) {
  // The run returns a file's bar to 0 before it reports the file finished; the batch bar
  // shows that file as done instead.
  if (row >= rows_.size() || !rows_[row].inFlight || percent < rows_[row].percent) return;
  rows_[row].percent = percent;
  if (showBar_) DrawBatchBar();
}

RunProgress ConsoleHost::Progress(double inFlight) const {
  RunProgress progress;
  progress.done = filesBefore_ + handled_;
  progress.total = filesBefore_ + rows_.size();
  if (fileCount_) {
    progress.total = std::max(progress.total, fileCount_->count());
    progress.totalFinal = fileCount_->finished();
  }
  if (progress.total > 0) progress.fraction = (progress.done + inFlight) / progress.total;
  progress.elapsedSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  return progress;
}

// "0:42 left, 3/10 done", the time left once there is a pace.
std::string ConsoleHost::CountsText(double inFlight) const {
  RunProgress progress = Progress(inFlight);
  std::string left = TimeLeftText(progress.elapsedSeconds, progress.fraction);
  return (left.empty() ? "" : left + ", ") + DoneText(progress);
}

void ConsoleHost::DrawBar(int percent) {
  char head[16];
  std::snprintf(head, sizeof head, " %3d%% ", percent);
  ShowBar(Bar(percent) + head + CountsText(percent / 100.0) + ": " + currentName_);
}

void ConsoleHost::DrawBatchBar() {
  if (rows_.empty()) return;
  int inFlight = 0;
  int flightPercent = 0;
  std::string names;
  for (const ShownRow& row : rows_) {
    if (!row.inFlight) continue;
    ++inFlight;
    flightPercent += row.percent;
    names += (names.empty() ? ": " : ", ") + row.fileName + " " + std::to_string(row.percent) + "%";
  }
  const double inFlightShare = flightPercent / 100.0;
  const int overall = std::clamp(static_cast<int>(Progress(inFlightShare).fraction * 100), 0, 100);
  ShowBar(Bar(overall) + " " + CountsText(inFlightShare) + ", " + std::to_string(inFlight) +
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
  std::fprintf(stderr, "%s\n", text.c_str());
  ++failures_;
}

void ConsoleHost::ShowNotice(const std::string& text) {
  ClearBar();
  std::fprintf(stderr, "%s\n", text.c_str());
}

void ConsoleHost::ShowError(const std::string& text) {
  ClearBar();
  ++errors_;
  std::fprintf(stderr, "error: %s\n", text.c_str());
  ++failures_;
}
