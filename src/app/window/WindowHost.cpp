#include "app/window/WindowHost.h"

#include <QCoreApplication>
#include <QProgressBar>

#include "app/ProgressText.h"
#include "app/window/FileListWidget.h"
#include "base/LineBreaks.h"
#include "dialogs/UiPrompts.h"

namespace {

const QString kInformationTitle = QStringLiteral("Information");
const QString kConfirmTitle = QStringLiteral("Confirm");

// The core's texts break lines with a carriage return, which a Qt label does not show.
QString Displayed(const std::string& text) {
  return QString::fromStdString(LineBreaksAsLf(text));
}

}  // namespace

WindowHost::WindowHost(QWidget* window, FileListWidget* lv, QProgressBar* pb, UrlOpener opener)
    : window_(window), lv_(lv), pb_(pb), opener_(std::move(opener)) {}

void WindowHost::RowsAboutToBeAdded(size_t first, size_t count) {
  lv_->rows().BeginAdd(first, count);
}

void WindowHost::RowsAdded(const FileList&, size_t, size_t) { lv_->rows().EndAdd(); }

void WindowHost::RowAboutToBeRemoved(size_t row) { lv_->rows().BeginRemove(row); }

void WindowHost::RowRemoved(size_t) { lv_->rows().EndRemove(); }

void WindowHost::RowsAboutToBeCleared() { lv_->rows().BeginClear(); }

void WindowHost::RowsCleared() { lv_->rows().EndClear(); }

// A file's start or end shows on the bar at once, with the counts that go with it.
void WindowHost::RowStateChanged(size_t row, const FileRow& entry) {
  lv_->rows().StateChanged(row);
  if (!FollowsFiles()) return;
  if (entry.state == kStateConverting) batch_.Started(row);
  else if (!batch_.Ended(row, entry.state == kStateFinish)) return;
  ShowCounts();
  if (wholeRun_) ShowBar(WholeRunPercent(), true);
}

void WindowHost::OutputSkipped(size_t row, const std::string&) {
  lv_->rows().StateChanged(row);
  if (!FollowsFiles()) return;
  batch_.Skipped();
  ShowCounts();
  if (wholeRun_) ShowBar(WholeRunPercent(), true);
}

// A run with several jobs sets the bar only to 0, at its start and its end; a run with one
// sets it to the current file's percent.
void WindowHost::SetProgress(int percent) {
  if (wholeRun_) batch_.Reset();
  else
    for (const auto& file : batch_.inFlight()) batch_.Progress(file.first, percent);
  ShowCounts();
  ShowBar(percent, percent == 0 || percent == 100);
}

// One file in flight at a time: the bar is that file's; with several, the whole run's.
void WindowHost::FileProgress(size_t row, int percent) {
  batch_.Progress(row, percent);
  ShowCounts();
  ShowBar(wholeRun_ ? WholeRunPercent() : percent, false);
}

int WindowHost::WholeRunPercent() const {
  return batch_.Percent(static_cast<size_t>(lv_->rows().rowCount()));
}

// A value shows at the next pump, unless `now`: the bar repaints at once whenever its value
// changes, and under X each repaint waits on the display server, so a batch of events the
// run posted repaints it once.
void WindowHost::ShowBar(int percent, bool now) {
  pendingBar_ = percent;
  if (now) ShowPendingBar();
}

// The text was set first, so whoever hears the value change reads the text that goes with it.
void WindowHost::ShowPendingBar() {
  if (pendingBar_ < 0) return;
  pb_->setValue(pendingBar_);
  pendingBar_ = -1;
}

void WindowHost::RunStarting(bool showCounts) {
  batch_.Reset();
  counting_ = showCounts && lv_->rows().rowCount() > 1;
  started_ = std::chrono::steady_clock::now();
}

void WindowHost::RunEnded() {
  ShowPendingBar();
  counting_ = false;
  pb_->resetFormat();
}

void WindowHost::ShowCounts() {
  if (!counting_) return;
  RunProgress progress;
  progress.total = static_cast<size_t>(lv_->rows().rowCount());
  progress.done = batch_.finished();
  progress.fraction = batch_.Fraction(progress.total);
  progress.elapsedSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  pb_->setFormat(QStringLiteral("%p% \u00b7 ") + QString::fromStdString(CountsText(progress)));
}

void WindowHost::ShowInformation(const std::string& text) {
  UiPrompts::Current().Information(window_, kInformationTitle, Displayed(text));
}

bool WindowHost::AskYesNo(const std::string& text) {
  return UiPrompts::Current().YesNo(window_, kConfirmTitle, Displayed(text));
}

void WindowHost::ShowError(const std::string& text) {
  UiPrompts::Current().Error(window_, Displayed(text));
}

void WindowHost::Pump() {
  ShowPendingBar();
  QCoreApplication::processEvents();
}

void WindowHost::OpenFolder(const std::string& path) {
  opener_(QUrl::fromLocalFile(QString::fromStdString(path)));
}
