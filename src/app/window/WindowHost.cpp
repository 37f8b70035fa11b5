#include "app/window/WindowHost.h"

#include <QCoreApplication>
#include <QProgressBar>

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

void WindowHost::RowStateChanged(size_t row, const FileRow& entry) {
  lv_->rows().StateChanged(row);
  if (!wholeRun_) return;
  if (entry.state == kStateConverting) batch_.Started(row);
  else if (batch_.Ended(row, entry.state == kStateFinish)) ShowWholeRunProgress();
}

// A run with several jobs sets the bar only to 0, at its start and its end.
void WindowHost::SetProgress(int percent) {
  if (wholeRun_) batch_.Reset();
  pb_->setValue(percent);
}

void WindowHost::FileProgress(size_t row, int percent) {
  batch_.Progress(row, percent);
  ShowWholeRunProgress();
}

void WindowHost::ShowWholeRunProgress() {
  pb_->setValue(batch_.Percent(static_cast<size_t>(lv_->rows().rowCount())));
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

void WindowHost::Pump() { QCoreApplication::processEvents(); }

void WindowHost::OpenFolder(const std::string& path) {
  opener_(QUrl::fromLocalFile(QString::fromStdString(path)));
}
