// The main window `fm_main`: output folder and format, the file list, the progress bar, the
// menus and the skin's tool strip. It routes every command to the core or to a dialog.
//
// Changed from the classic behaviour: a missing or broken skin file no longer stops the first
// show before the settings file is open. The window shows the skin's error once, goes on
// unskinned with plain buttons for the same seven skin commands, and finishes its start-up.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/WindowHost.h"
#include "settings/WindowFace.h"

class ConverterCore;
class FileListWidget;
class ISkinEngine;
class ISkinObject;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class SkinEvents;
class SkinObject;
class TIniFile;
class Tfm_about;
class Tfm_dir;
class Tfm_id3;
class Tfm_set;

// The program's home page, opened by "Visit our web".
extern const char* const kHomePage;

// Makes the core, which starts the audio engine; it throws when the engine cannot start.
using CoreFactory = std::function<std::unique_ptr<ConverterCore>(TIniFile&, RunHost&)>;

class Tfm_main : public QMainWindow {
  Q_OBJECT
 public:
  // `dataFolder` holds the skin file and the help, with a trailing '/'. The classic face is
  // the window as it has always been; the extended face adds (WindowFace.h).
  Tfm_main(ISkinEngine& skin, SkinEvents& skinEvents, std::string dataFolder,
           WindowFace face = WindowFace::kClassic, QWidget* parent = nullptr);
  ~Tfm_main() override;
  WindowFace face() const { return face_; }

  void AttachDialogs(Tfm_about* about, Tfm_dir* dir, Tfm_set* set, Tfm_id3* id3);
  // Files named on the command line, added once the window is up.
  void AddStartFiles(const std::vector<std::string>& paths);
  void SetUrlOpener(UrlOpener opener) { host_->SetOpener(std::move(opener)); }
  // Before the first show: how the core is made (tests make one whose engine fails).
  void SetCoreFactory(CoreFactory factory) { coreFactory_ = std::move(factory); }

  // Null before the first show, after close, and when the audio engine could not start.
  ConverterCore* core() const { return core_.get(); }
  bool running() const;

  // Command handlers, named after the control and event they answer.
  void oOGG1Click();
  void Normalize1Click();
  void Stop1Click();
  void EXit1Click();
  void Settings1Click();
  void About1Click();
  void Visitourweb1Click();
  void About2Click();
  void AddFile1Click();
  void DelFile1Click();
  void Clear1Click();
  void Converter1Click();
  void Stop2Click();
  void Button1Click();
  void Skin1Click(ISkinObject* object);
  void lvDragDrop(const QStringList& paths);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void FixWindowSize();
  void CentreOnScreen();
  void FormShow();
  void FormCloseQuery();
  void SkinThisWindow();
  void ShowPlainStrip();
  void ShowErrorWhenShown(const QString& text);
  void StartEngine();
  void RestoreOutputChoice();
  void ReleaseSettingsFile();
  void AddFiles(const std::vector<std::string>& paths);
  // Runs a core command; a settings file released by a close during the command goes once
  // the outermost command has returned.
  template <typename Command>
  void WithCore(Command command);
  void ShowModal(QWidget* dialog);
  // Commands that need the engine say again why they cannot run; false when they can.
  bool ExplainMissingEngine();
  // Files converted at once by the next run: 1 in the classic face, the stored jobs in the
  // extended one.
  size_t RunJobs() const;
  void UseRunJobs(ConverterCore& core);

  ISkinEngine& skin_;
  SkinEvents& skinEvents_;
  std::string dataFolder_;
  WindowFace face_;

  QLabel* SkinLabel1 = nullptr;
  QLineEdit* edt_output = nullptr;
  QPushButton* Button1 = nullptr;
  QLabel* SkinLabel2 = nullptr;
  QComboBox* cb_format = nullptr;
  FileListWidget* lv = nullptr;
  QProgressBar* pb = nullptr;
  QWidget* Skin1 = nullptr;
  QMenu* PopupMenu1 = nullptr;

  Tfm_about* fm_about = nullptr;
  Tfm_dir* fm_dir = nullptr;
  Tfm_set* fm_set = nullptr;
  Tfm_id3* fm_id3 = nullptr;

  std::unique_ptr<WindowHost> host_;
  std::unique_ptr<TIniFile> settings_file_;
  CoreFactory coreFactory_;
  std::unique_ptr<ConverterCore> core_;
  QString engineError_;  // why the engine could not start; empty when it did
  QString addFolder_;    // where "Add File" opens: the music folder, then the last folder used
  std::vector<std::unique_ptr<SkinObject>> plainObjects_;
  bool shown_ = false;
  bool closed_ = false;
  int commandDepth_ = 0;
};
