// Every modal box and file dialog of the windows goes through here, so tests can answer them
// without a person: a test installs its own UiPrompts and restores the old one afterwards.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

class UiPrompts {
 public:
  virtual ~UiPrompts() = default;

  // A notice with one OK button.
  virtual void Information(QWidget* parent, const QString& title, const QString& text);
  // True for Yes.
  virtual bool YesNo(QWidget* parent, const QString& title, const QString& text);
  virtual void Error(QWidget* parent, const QString& text);
  // The chosen files, empty when cancelled. `filter` in Qt's "Name (*.a *.b);;..." form; the
  // first entry is preselected. The dialog opens in `folder`.
  virtual QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter,
                                const QString& folder);
  // The chosen folder, empty when cancelled; the chooser opens in `folder`.
  virtual QString ChooseFolder(QWidget* parent, const QString& title, const QString& folder);

  // The prompts in force; the plain Qt ones unless a test installed others.
  static UiPrompts& Current();
  // Installs `prompts` (not owned; nullptr restores the plain ones) and returns the previous.
  static UiPrompts* Install(UiPrompts* prompts);
};
