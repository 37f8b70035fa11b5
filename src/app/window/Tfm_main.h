// The main window `fm_main`: output folder and format, the file list, the progress bar, the
// menus and the skin's tool strip. It routes every command to the core or to a dialog.
//
// Changed from the classic behaviour: a missing or broken skin file no longer stops the first
// show before the settings file is open. The window shows the skin's error once, goes on
// unskinned with plain buttons for the same seven skin commands, and finishes its start-up.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
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
class QDialog;
class QLabel;
class QAction;
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

class Tfm_main;
// The four dialogs, created by the program entry after the main window and with it as their
// parent, so they live as long as it does.
struct WindowDialogs {
  Tfm_about& fm_about;
  Tfm_dir& fm_dir;
  Tfm_set& fm_set;
  Tfm_id3& fm_id3;
};
// Called once, by the main window's constructor, once the window exists to be their parent.
using DialogFactory = std::function<WindowDialogs(Tfm_main& parent)>;

class Tfm_main : public QMainWindow {
  Q_OBJECT
 public:
  // `dataFolder` holds the skin file and the help, with a trailing '/'. The classic face is
  // the window as it has always been; the extended face adds (WindowFace.h).
  Tfm_main(ISkinEngine& skin, SkinEvents& skinEvents, std::string dataFolder, WindowFace face,
           const DialogFactory& makeDialogs, QWidget* parent = nullptr);
  ~Tfm_main() override;
  WindowFace face() const { return face_; }
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
  // The extended face's "Add Folder": a folder chooser, then every file under the folder.
  void AddFolder1Click();
  void DelFile1Click();
  void Clear1Click();
  void Converter1Click();
  void Stop2Click();
  void Button1Click();
  // The strip's commands that no menu has: "set" (refused during a run) and "tag".
  void SkinSettings1Click();
  void TagEditor1Click();
  // Triggers the action of the skin command the object names; other names do nothing.
  void Skin1Click(ISkinObject* object);
  void lvDragDrop(const QStringList& paths);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildActions();
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
  void ShowModal(QDialog& dialog);
  QAction* Action(const char* name) const { return actions_.at(name); }
  // Commands that need the engine say again why they cannot run; false when they can.
  bool ExplainMissingEngine();
  // Files converted at once by the next run: 1 in the classic face, the stored jobs in the
  // extended one.
  size_t RunJobs() const;
  void UseRunJobs(ConverterCore& core);
  // Runs `start` (a convert or normalize command) with the run's jobs, the extended face's
  // library options and its progress text; a command heard during a run only gets through.
  template <typename Start>
  void StartRunWith(ConverterCore& core, Start start);

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

  WindowDialogs dialogs_;
  // Every command, by its action's object name; the menus, the pop-up, the keys and the
  // strip use these.
  std::map<std::string, QAction*> actions_;
  // The skin's command names and the actions they trigger.
  std::map<std::string, QAction*> skinCommands_;

  std::unique_ptr<WindowHost> host_;
  std::unique_ptr<TIniFile> settings_file_;
  CoreFactory coreFactory_;
  std::unique_ptr<ConverterCore> core_;
  QString engineError_;  // why the engine could not start; empty when it did
  QString addFolder_;    // where "Add File" and "Add Folder" open: the music folder, then the
                         // last folder used
  std::vector<std::unique_ptr<SkinObject>> plainObjects_;
  bool shown_ = false;
  bool closed_ = false;
  int commandDepth_ = 0;
};
