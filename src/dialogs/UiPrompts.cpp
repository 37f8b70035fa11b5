#include "dialogs/UiPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "base/LineBreaks.h"

namespace {
UiPrompts plainPrompts;
UiPrompts* installed = nullptr;

// The program's notices break their lines with CR alone; Qt's boxes break only at LF.
QString Shown(const QString& text) { return QString::fromStdString(LineBreaksAsLf(text.toStdString())); }
}  // namespace

void UiPrompts::Information(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::information(parent, title, Shown(text), QMessageBox::Ok);
}

bool UiPrompts::YesNo(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::question(parent, title, Shown(text), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void UiPrompts::Error(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QStringLiteral("Error"), Shown(text), QMessageBox::Ok);
}

QStringList UiPrompts::OpenFiles(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& folder) {
  return QFileDialog::getOpenFileNames(parent, title, folder, filter);
}

QString UiPrompts::ChooseFolder(QWidget* parent, const QString& title, const QString& folder) {
  return QFileDialog::getExistingDirectory(parent, title, folder);
}

UiPrompts& UiPrompts::Current() { return installed ? *installed : plainPrompts; }

UiPrompts* UiPrompts::Install(UiPrompts* prompts) {
  UiPrompts* previous = installed;
  installed = prompts;
  return previous;
}
