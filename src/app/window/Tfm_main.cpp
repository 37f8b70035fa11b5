#include "app/window/Tfm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "app/ConverterCore.h"
#include "app/LibrarySettings.h"
#include "app/ProcessorCount.h"
#include "app/RunSettings.h"
#include "app/window/FileListWidget.h"
#include "app/window/ProgramFolders.h"
#include "app/window/ProgramIcon.h"
#include "dialogs/Tfm_about.h"
#include "dialogs/Tfm_dir.h"
#include "dialogs/UiPrompts.h"
#include "engines/skin/SkinEngine.h"
#include "engines/skin/SkinObject.h"
#include "engines/skin/SkinStrip.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "settings/dialog/Tfm_set.h"
#include "tags/editor/Tfm_id3.h"

const char* const kHomePage = "https://velmora.example.org/";

namespace {

constexpr const char* kFileFilter =
    "All Supported Files (*.mp3 *.wav *.wma *.ogg);;MP3 Files(*.mp3);;WAV Files(*.wav);;"
    "WMA Files(*.wma);;OGG Files(*.ogg);;"
    "Other audio files (*.flac *.opus *.oga *.spx *.m4a *.aac *.aif *.aiff *.ape *.mka)";

constexpr const char* kStopHint =
    "Stop now: the current file ends where it is and keeps what was written; the files after it "
    "are not converted";

// The skin's commands as plain buttons, for a window whose skin could not be loaded.
struct PlainCommand {
  const char* name;
  const char* caption;
  const char* hint;
};
constexpr PlainCommand kPlainCommands[] = {
    {"add", "Add", "Add files to the list"},
    {"del", "Clear", "Remove all files from the list"},
    {"tag", "Tags", "Edit the tags"},
    {"set", "Settings", "Encoder settings"},
    {"convert", "Convert", "Convert every listed file"},
    {"nor", "Normalize", "Normalize every listed file"},
    {"stop", "Stop", kStopHint},
};

void OpenWithDesktop(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace

Tfm_main::Tfm_main(ISkinEngine& skin, SkinEvents& skinEvents, std::string dataFolder,
                   WindowFace face, const DialogFactory& makeDialogs, QWidget* parent)
    : QMainWindow(parent),
      skin_(skin),
      skinEvents_(skinEvents),
      dataFolder_(std::move(dataFolder)),
      face_(face),
      dialogs_(makeDialogs(*this)) {
  setObjectName("fm_main");
  setWindowTitle("fm_main");
  // Set for the whole program, so the dialogs carry it too.
  QApplication::setWindowIcon(ProgramWindowIcon());
  BuildControls();
  BuildActions();
  BuildMenus();
  FixWindowSize();
  CentreOnScreen();
  host_ = std::make_unique<WindowHost>(this, lv, pb, OpenWithDesktop);
  connect(&skinEvents_, &SkinEvents::OnClick, this, &Tfm_main::Skin1Click);
  connect(lv->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (core_) core_->SelectRow(static_cast<size_t>(lv->SelectedRow()));
  });
}

Tfm_main::~Tfm_main() = default;

void Tfm_main::CentreOnScreen() {
  if (const QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

bool Tfm_main::running() const { return core_ && core_->running(); }

bool Tfm_main::ExplainMissingEngine() {
  if (core_ || engineError_.isEmpty() || closed_) return false;
  UiPrompts::Current().Error(this, engineError_);
  return true;
}

template <typename Command>
void Tfm_main::WithCore(Command command) {
  if (!core_) return;
  ++commandDepth_;
  command(*core_);
  --commandDepth_;
  if (commandDepth_ == 0 && closed_) ReleaseSettingsFile();
}

// --- first show and close ---

void Tfm_main::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void Tfm_main::FormShow() {
  SkinThisWindow();
  StartEngine();
  RestoreOutputChoice();
}

void Tfm_main::SkinThisWindow() {
  try {
    skin_.LoadSkinFile(dataFolder_ + kSkinFileName);
    skin_.PrepareWindow(this);
    skin_.ApplyWindowSkin(this, "From");
  } catch (const SkinError& error) {
    ShowErrorWhenShown(QString::fromStdString(error.what()));
    ShowPlainStrip();
  }
}

// A box opened inside the first show would sit over a window not yet drawn; it waits for the
// event loop instead, by when the start-up has finished and the window is on screen.
void Tfm_main::ShowErrorWhenShown(const QString& text) {
  QTimer::singleShot(0, this, [this, text] { UiPrompts::Current().Error(this, text); });
}

void Tfm_main::ShowPlainStrip() {
  plainObjects_.clear();
  std::vector<StripEntry> entries;
  for (const PlainCommand& command : kPlainCommands) {
    plainObjects_.push_back(std::make_unique<SkinObject>(command.name));
    entries.push_back({plainObjects_.back().get(), command.caption, command.hint, QPixmap()});
  }
  BuildSkinStrip(Skin1, entries, skinEvents_);
}

void Tfm_main::StartEngine() {
  settings_file_ = std::make_unique<TIniFile>(SettingsFilePath());
  try {
    core_ = coreFactory_ ? coreFactory_(*settings_file_, *host_)
                         : std::make_unique<ConverterCore>(*settings_file_, *host_);
  } catch (const std::exception& error) {
    engineError_ = QString("The audio engine could not start, so files cannot be listed or "
                           "converted:\n%1").arg(error.what());
    ShowErrorWhenShown(engineError_);
  }
  dialogs_.fm_set.SetSettingsFile(settings_file_.get());
  dialogs_.fm_dir.SetSettingsFile(settings_file_.get());
  if (core_) {
    lv->rows().SetList(&core_->rows());
    core_->SetBackgroundRuns(true);
    UseRunJobs(*core_);
    ConverterCore* core = core_.get();
    dialogs_.fm_id3.Attach(TagEditorSource{
        [core] {
          std::vector<std::string> names;
          for (size_t i = 0; i < core->rows().size(); ++i) names.push_back(core->rows()[i].fileName);
          return names;
        },
        [core] { return core->rows().TagRecords(); },
        [core](const std::vector<Timerec>& records) { core->CommitTagRecords(records); }});
  }
}

void Tfm_main::RestoreOutputChoice() {
  std::string folder = ReadText(*settings_file_, settings_keys::kDir);
  edt_output->setText(QString::fromStdString(folder.empty() ? DefaultOutputFolder() : folder));
  const int format = ReadForRun(*settings_file_, settings_keys::kForint);
  // The classic list has the first four formats; a later one, stored by the extended face,
  // reads as absent there.
  cb_format->setCurrentIndex(format < cb_format->count() ? format : settings_keys::kForint.runDefault);
}

void Tfm_main::closeEvent(QCloseEvent* event) {
  FormCloseQuery();
  event->accept();
  dialogs_.fm_about.hide();
}

void Tfm_main::FormCloseQuery() {
  if (closed_ || !settings_file_) return;
  if (core_) core_->Stop();
  closed_ = true;
  try {
    Write(*settings_file_, settings_keys::kForint, cb_format->currentIndex());
  } catch (const SettingsError& error) {
    UiPrompts::Current().Error(this, QString::fromStdString(error.what()));
  }
  // A run interrupted by the close still ends its file and runs its end steps first.
  if (commandDepth_ == 0) ReleaseSettingsFile();
}

void Tfm_main::ReleaseSettingsFile() {
  dialogs_.fm_set.SetSettingsFile(nullptr);
  dialogs_.fm_dir.SetSettingsFile(nullptr);
  dialogs_.fm_id3.Attach({});
  lv->rows().SetList(nullptr);
  core_.reset();
  settings_file_.reset();
}

size_t Tfm_main::RunJobs() const {
  if (face_ == WindowFace::kClassic) return 1;
  const int stored = ReadForRun(*settings_file_, settings_keys::kJobs);
  return static_cast<size_t>(stored == 0 ? UsableProcessorCount() : stored);
}

// Read at each run's start like the encoder settings, so the "General" tab's OK applies to the
// next run.
void Tfm_main::UseRunJobs(ConverterCore& core) {
  if (core.running()) return;
  const size_t jobs = RunJobs();
  core.SetJobs(jobs);
  host_->ShowWholeRun(jobs > 1);
}

// The classic face runs with the plain library and loudness options, as the classic window
// always has.
template <typename Start>
void Tfm_main::StartRunWith(ConverterCore& core, Start start) {
  if (core.running()) return start();
  UseRunJobs(core);
  const bool extended = face_ == WindowFace::kExtended;
  if (extended) core.SetLibraryOptions(ReadLibraryOptions(*settings_file_));
  // The classic face always normalizes block by block and writes no ReplayGain tags.
  if (extended) core.SetLoudnessOptions(ReadLoudnessOptions(*settings_file_));
  host_->RunStarting(extended);
  start();
  host_->RunEnded();
}

// --- commands ---

void Tfm_main::oOGG1Click() {
  if (ExplainMissingEngine()) return;
  WithCore([this](ConverterCore& core) {
    StartRunWith(core, [&] { core.ConvertFiles(cb_format->currentIndex()); });
  });
}

void Tfm_main::Converter1Click() { oOGG1Click(); }

void Tfm_main::Normalize1Click() {
  if (running() || ExplainMissingEngine()) return;
  WithCore([this](ConverterCore& core) {
    StartRunWith(core, [&] { core.NormalizeFiles(); });
  });
}

void Tfm_main::Stop1Click() {
  if (core_) core_->Stop();
}

void Tfm_main::Stop2Click() { Stop1Click(); }

void Tfm_main::EXit1Click() { close(); }

void Tfm_main::Settings1Click() { ShowModal(dialogs_.fm_set); }

void Tfm_main::SkinSettings1Click() {
  if (!running()) ShowModal(dialogs_.fm_set);
}

void Tfm_main::TagEditor1Click() {
  if (!running()) ShowModal(dialogs_.fm_id3);
}

void Tfm_main::About1Click() {
  host_->Open(QUrl::fromLocalFile(QString::fromStdString(dataFolder_ + kHelpFile)));
}

void Tfm_main::Visitourweb1Click() { host_->Open(QUrl(kHomePage)); }

void Tfm_main::About2Click() {
  dialogs_.fm_about.ShowOver(this);
}

void Tfm_main::AddFile1Click() {
  if (running() || ExplainMissingEngine() || !core_) return;
  if (addFolder_.isEmpty()) addFolder_ = QString::fromStdString(DefaultOutputFolder());
  const QStringList chosen = UiPrompts::Current().OpenFiles(this, "Add File", kFileFilter, addFolder_);
  // The next Add opens where the user last picked files, as people expect of a file dialog.
  if (!chosen.isEmpty()) addFolder_ = QFileInfo(chosen.first()).absolutePath();
  std::vector<std::string> paths;
  for (const QString& path : chosen) paths.push_back(path.toStdString());
  AddFiles(paths);
}

void Tfm_main::AddFolder1Click() {
  if (running() || ExplainMissingEngine() || !core_) return;
  if (addFolder_.isEmpty()) addFolder_ = QString::fromStdString(DefaultOutputFolder());
  const QString chosen = UiPrompts::Current().ChooseFolder(this, "Add Folder", addFolder_);
  if (chosen.isEmpty()) return;
  // The next chooser opens beside this folder, where its neighbours are.
  addFolder_ = QFileInfo(chosen).absolutePath();
  AddFiles({chosen.toStdString()});
}

void Tfm_main::AddFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  // Folders among them (dropped, or named on the command line) add every file under them.
  WithCore([&paths](ConverterCore& core) { core.AddPaths(paths); });
}

void Tfm_main::AddStartFiles(const std::vector<std::string>& paths) { AddFiles(paths); }

void Tfm_main::lvDragDrop(const QStringList& paths) {
  if (ExplainMissingEngine()) return;
  std::vector<std::string> files;
  for (const QString& path : paths) files.push_back(path.toStdString());
  AddFiles(files);
}

void Tfm_main::DelFile1Click() {
  WithCore([](ConverterCore& core) { core.DeleteSelectedFiles(); });
}

void Tfm_main::Clear1Click() {
  WithCore([](ConverterCore& core) { core.ClearFiles(); });
}

void Tfm_main::Button1Click() {
  ShowModal(dialogs_.fm_dir);
  const std::string& chosen = dialogs_.fm_dir.chosen_dir();
  if (!chosen.empty()) edt_output->setText(QString::fromStdString(chosen));
}

void Tfm_main::ShowModal(QDialog& dialog) { dialog.exec(); }

void Tfm_main::Skin1Click(ISkinObject* object) {
  // Names compare exactly, letter case included.
  auto command = skinCommands_.find(object->Name());
  if (command != skinCommands_.end()) command->second->trigger();
}
