// Saves a picture of every dialog (each settings tab on its own), skinned with the given skin
// file, into a folder, for looking at the layouts:
//   xvfb-run ./velmora_dialog_screenshots <folder> data/mp3enc.dll
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QTimer>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "DialogTestSupport.h"
#include "dialogs/Tfm_about.h"
#include "dialogs/Tfm_dir.h"
#include "engines/skin/TSkin.h"
#include "settings/dialog/Tfm_set.h"
#include "tags/Timerec.h"
#include "tags/editor/Tfm_id3.h"

namespace {

void Save(QWidget* dialog, const QString& folder, const QString& name) {
  // Lets the folder tree read and sort its folders first.
  QEventLoop settle;
  QTimer::singleShot(400, &settle, &QEventLoop::quit);
  settle.exec();
  dialog->grab().save(folder + "/" + name + ".png");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) return 2;
  const QString folder = QString::fromLocal8Bit(argv[1]);
  TSkin skin;
  skin.LoadSkinFile(argv[2]);
  QWidget mainWindow;
  mainWindow.setGeometry(200, 150, 485, 324);

  // The extended face: its tabs are the classic four and the ones it adds.
  Tfm_set settings(skin, &mainWindow, WindowFace::kExtended);
  settings.show();
  auto* tabs = settings.findChild<QTabWidget*>("pc");
  for (int tab = 0; tab < tabs->count(); ++tab) {
    tabs->setCurrentIndex(tab);
    Save(&settings, folder, "settings-" + tabs->tabText(tab).toLower());
  }
  settings.hide();

  std::vector<Timerec> table;
  for (const char* title : {"Morning", "Заголовок", "Evening"}) {
    Timerec record;
    record.title = title;
    record.artist = "Some Artist";
    record.year = "2004";
    record.genre = "Contemporary C";
    record.comment = "first line\r\nsecond line";
    table.push_back(record);
  }
  Tfm_id3 editor(skin, &mainWindow);
  editor.Attach(TagEditorSource{
      [] { return std::vector<std::string>{"morning.mp3", "zagolovok.ogg", "evening.wma"}; },
      [&table] { return table; }, {}});
  editor.show();
  Save(&editor, folder, "tag-editor");
  editor.hide();

  Tfm_dir folders(skin, &mainWindow);
  folders.show();
  Save(&folders, folder, "output-folder");
  folders.hide();

  Tfm_about about(skin, &mainWindow);
  about.ShowOver(&mainWindow);
  Save(&about, folder, "about");
  return 0;
}
