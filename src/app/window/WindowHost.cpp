#include "app/window/WindowHost.h"

#include <QCoreApplication>
#include <QProgressBar>

#include "app/window/FileListWidget.h"
#include "dialogs/UiPrompts.h"

namespace {

const QString kInformationTitle = QStringLiteral("Information");
const QString kConfirmTitle = QStringLiteral("Confirm");

// The core's texts break lines with a carriage return, which a Qt label does not show.
QString Displayed(const std::string& text) {
  return QString::fromStdString(text).replace("\r\n", "\n").replace('\r', '\n');
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

void WindowHost::RowStateChanged(size_t row, const FileRow&) { lv_->rows().StateChanged(row); }

void WindowHost::SetProgress(int percent) { pb_->setValue(percent); }

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
