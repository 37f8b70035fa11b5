// What the dialog tests share: a skin engine that records its calls, prompts that record what
// they were asked to show, and a scratch settings file.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialogs/UiPrompts.h"
#include "engines/skin/SkinEngine.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"

class FakeSkin : public ISkinEngine {
 public:
  struct Call {
    std::string operation;
    QWidget* window;
    std::string formName;
  };
  void LoadSkinFile(const std::string& path) override { calls.push_back({"LoadSkinFile", nullptr, path}); }
  void PrepareWindow(QWidget* window) override { calls.push_back({"PrepareWindow", window, ""}); }
  void ApplyWindowSkin(QWidget* window, const std::string& formName) override {
    calls.push_back({"ApplyWindowSkin", window, formName});
    if (failApply) throw SkinError("The window cannot be skinned");
  }
  std::vector<Call> calls;
  bool failApply = false;
};

class RecordingPrompts : public UiPrompts {
 public:
  RecordingPrompts() : previous_(UiPrompts::Install(this)) {}
  ~RecordingPrompts() override { UiPrompts::Install(previous_); }
  void Information(QWidget*, const QString& title, const QString& text) override {
    information.push_back((title + "|" + text).toStdString());
  }
  bool YesNo(QWidget*, const QString&, const QString&) override { return true; }
  void Error(QWidget*, const QString& text) override { errors.push_back(text.toStdString()); }
  QStringList OpenFiles(QWidget*, const QString&, const QString&, const QString&) override { return {}; }

  std::vector<std::string> information;
  std::vector<std::string> errors;

 private:
  UiPrompts* previous_;
};

// VELMORA_CONFIG_DIR points at a scratch folder for the test's lifetime.
class ScratchSettingsFile {
 public:
  ScratchSettingsFile() {
    setenv("VELMORA_CONFIG_DIR", dir_.path().c_str(), 1);
    ini = std::make_unique<TIniFile>(SettingsFilePath());
  }
  ~ScratchSettingsFile() { unsetenv("VELMORA_CONFIG_DIR"); }
  std::string Path() const { return ini->FileName(); }
  std::string Content() const {
    if (!testsupport::FileExists(Path())) return std::string();
    std::vector<uint8_t> bytes = testsupport::ReadFileBytes(Path());
    return std::string(bytes.begin(), bytes.end());
  }
  void SetContent(const std::string& text) const { testsupport::WriteFileText(Path(), text); }

  std::unique_ptr<TIniFile> ini;

 private:
  testsupport::TempDir dir_;
};

// Every control a user works has a name a screen reader can speak: its own, or its caption.
inline std::vector<std::string> ControlsWithoutAccessibleName(QWidget* dialog) {
  std::vector<std::string> unnamed;
  for (QWidget* w : dialog->findChildren<QWidget*>()) {
    const bool control = w->inherits("QComboBox") || w->inherits("QLineEdit") ||
                         w->inherits("QAbstractButton") || w->inherits("QAbstractItemView") ||
                         w->inherits("QPlainTextEdit") || w->inherits("QTabWidget") ||
                         w->inherits("QAbstractSpinBox");
    QWidget* parent = w->parentWidget();
    const bool innerPart = parent && (parent->inherits("QComboBox") || parent->inherits("QTabBar") ||
                                      parent->inherits("QAbstractItemView") ||
                                      parent->inherits("QAbstractSpinBox"));
    if (!control || innerPart || w->window() != dialog) continue;  // popups are part of their combo
    const QString caption = w->inherits("QAbstractButton") ? w->property("text").toString() : QString();
    if (w->accessibleName().isEmpty() && caption.trimmed().isEmpty())
      unnamed.push_back(w->objectName().toStdString() + " (" + w->metaObject()->className() + ")");
  }
  return unnamed;
}

// Types text key by key into the widget, characters outside ASCII included.
inline void TypeText(QWidget* widget, const QString& text) {
  for (QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &release);
  }
}

template <typename T>
T* Child(QWidget* dialog, const char* name) {
  T* child = dialog->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}
