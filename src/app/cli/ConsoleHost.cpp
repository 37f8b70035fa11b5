#include "app/cli/ConsoleHost.h"

#include <cstdio>
#include <cstring>


namespace {

volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void OnInterrupt(int) { interruptRequested = 1; }

constexpr int kBarWidth = 30;

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

void ConsoleHost::RowsCleared() { rows_.clear(); }

void ConsoleHost::OutputCreated(size_t row, const std::string& outputPath) {
  if (row < rows_.size()) rows_[row].outputPath = outputPath;
}

void ConsoleHost::RowStateChanged(size_t row, const std::string& state) {
  if (row >= rows_.size()) return;
  const ShownRow& entry = rows_[row];
  if (state == kStateConverting) {
    currentName_ = entry.fileName;
    if (showBar_) DrawBar(0);
    return;
  }
  ClearBar();
  currentName_.clear();
  std::printf("%s\t%s -> %s\n", state.c_str(), entry.filePath.c_str(), entry.outputPath.c_str());
  std::fflush(stdout);
}

void ConsoleHost::SetProgress(int percent) {
  if (showBar_ && !currentName_.empty()) DrawBar(percent);
}

void ConsoleHost::DrawBar(int percent) {
  int filled = percent * kBarWidth / 100;
  std::fprintf(stderr, "\r[%.*s%*s] %3d%% %s\x1b[K", filled, "##############################",
               kBarWidth - filled, "", percent, currentName_.c_str());
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

void ConsoleHost::ShowError(const std::string& text) {
  ClearBar();
  std::fprintf(stderr, "error: %s\n", text.c_str());
  ++failures_;
}
