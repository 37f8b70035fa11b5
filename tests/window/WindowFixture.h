// A real main window with its four dialogs over scratch settings, data and output folders.
// Boxes and the file dialog are answered by ScriptedPrompts; modal dialogs that a command
// opens are recorded and closed at once; desktop openers are recorded instead of run.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/window/Tfm_main.h"
#include "dialogs/UiPrompts.h"
#include "engines/skin/TSkin.h"
#include "support/TestSupport.h"

class ScriptedPrompts : public UiPrompts {
 public:
  void Information(QWidget*, const QString& title, const QString& text) override {
    information.push_back(title.toStdString() + ": " + text.toStdString());
  }
  bool YesNo(QWidget*, const QString&, const QString& text) override {
    questions.push_back(text.toStdString());
    return answerYes;
  }
  void Error(QWidget*, const QString& text) override { errors.push_back(text.toStdString()); }
  QStringList OpenFiles(QWidget*, const QString&, const QString& filter, const QString& folder) override {
    filters.push_back(filter.toStdString());
    folders.push_back(folder.toStdString());
    return nextFiles;
  }
  QString ChooseFolder(QWidget*, const QString&, const QString& folder) override {
    chooserFolders.push_back(folder.toStdString());
    return nextFolder;
  }

  bool answerYes = true;
  QStringList nextFiles;
  QString nextFolder;
  std::vector<std::string> information, questions, errors, filters, folders, chooserFolders;
};

// Closes every modal dialog as soon as it runs its event loop, noting its name.
class ModalCloser {
 public:
  ModalCloser() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      opened.push_back(modal->objectName().toStdString());
      modal->close();
    });
    timer_.start();
  }
  std::vector<std::string> opened;

 private:
  QTimer timer_;
};

enum class SkinChoice { kShipped, kMissing, kBroken, kDaylight };

class WindowFixture : public ::testing::Test {
 protected:
  WindowFixture() {
    setenv("VELMORA_CONFIG_DIR", config.path().c_str(), 1);
    setenv("XDG_MUSIC_DIR", music.c_str(), 1);
    previous_ = UiPrompts::Install(&prompts);
  }
  ~WindowFixture() override {
    window.reset();
    UiPrompts::Install(previous_);
  }

  // Builds the window as the program entry does and shows it, which runs its first-show steps.
  Tfm_main& Start(SkinChoice choice = SkinChoice::kShipped);
  void StartAgain(SkinChoice choice = SkinChoice::kShipped) {
    window.reset();
    skin = std::make_unique<TSkin>();
    Start(choice);
  }

  // A tone in the work folder; `args` as for ffmpeg, tags included.
  std::string Tone(const std::string& name, const std::string& args = "", double seconds = 1.0) {
    std::string path = work.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    testsupport::MakeTone(path, seconds, 44100, 2, args);
    return path;
  }
  void AddThroughDialog(const std::vector<std::string>& paths);
  std::vector<std::string> ListColumn(int column) const;
  std::string SettingsText() const;
  void Trigger(const char* actionName);
  void ClickSkin(const std::string& name);

  testsupport::TempDir config, work, data, out;
  std::string music = out.file("music");
  ScriptedPrompts prompts;
  std::unique_ptr<TSkin> skin = std::make_unique<TSkin>();
  std::unique_ptr<Tfm_main> window;
  std::vector<QUrl> opened;
  CoreFactory coreFactory;  // when set, how the next Start makes the core
  WindowFace face = WindowFace::kClassic;  // the face the next Start shows

 private:
  UiPrompts* previous_ = nullptr;
};
