// velmora: the window program.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/ConverterCore.h"
#include "base/MemoryReuse.h"
#include "app/window/ProgramFolders.h"
#include "app/window/Tfm_main.h"
#include "dialogs/Tfm_about.h"
#include "dialogs/Tfm_dir.h"
#include "engines/skin/TSkin.h"
#include "settings/IniFile.h"
#include "settings/dialog/Tfm_set.h"
#include "tags/editor/Tfm_id3.h"

namespace {

// --extended and --classic choose the face and store it for the next starts; without either,
// the stored face.
WindowFace ChosenFace(std::vector<std::string>& args) {
  TIniFile settings(SettingsFilePath());
  std::optional<WindowFace> asked = TakeFaceOption(args);
  if (!asked) return ReadWindowFace(settings);
  try {
    WriteWindowFace(settings, *asked);
  } catch (const SettingsError& error) {  // this start still uses the face asked for
    std::fprintf(stderr, "velmora: %s\n", error.what());
  }
  return *asked;
}

// For the bench/ scripts, which time the window: "listed N rows" once every file named on the
// command line is a row on screen; with VELMORA_BENCH=convert the window then converts them as
// "Converter" does, says "run finished" and ends.
void ReportForBench(Tfm_main& window, const QByteArray& what) {
  std::printf("listed %zu rows\n", window.core() ? window.core()->rows().size() : 0);
  std::fflush(stdout);
  if (what != "convert") return;
  window.oOGG1Click();
  std::printf("run finished\n");
  std::fflush(stdout);
  QApplication::quit();
}

}  // namespace

int main(int argc, char** argv) {
  KeepFreedMemoryForReuse();
  QApplication app(argc, argv);
  // Qt takes the user's locale for everything; the core's number texts and the libraries it
  // calls expect C numerics. The window localises what it shows itself.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName("velmora");
  // No display name: Qt would append it to every title bar, and the captions are the windows' own.
  QApplication::setDesktopFileName("velmora");

  std::vector<std::string> args;
  for (const QString& argument : QApplication::arguments().mid(1)) args.push_back(argument.toStdString());
  const WindowFace face = ChosenFace(args);
  auto filesOnly = std::find(args.begin(), args.end(), "--");
  if (filesOnly != args.end()) args.erase(filesOnly);

  TSkin Skin1;
  // The main window comes first so it is the application's main window; then the dialogs, in
  // the order about, folder, settings, tags, each with the main window as parent: they live
  // hidden until a command shows them, and go with it.
  auto* fm_main = new Tfm_main(Skin1, Skin1, ProgramDataFolder(), face, [&](Tfm_main& main) {
    return WindowDialogs{*new Tfm_about(Skin1, &main), *new Tfm_dir(Skin1, &main),
                         *new Tfm_set(Skin1, &main, face), *new Tfm_id3(Skin1, &main)};
  });

  fm_main->show();
  std::vector<std::string> files;
  for (const std::string& argument : args)
    files.push_back(QFileInfo(QString::fromStdString(argument)).absoluteFilePath().toStdString());
  fm_main->AddStartFiles(files);
  if (qEnvironmentVariableIsSet("VELMORA_BENCH"))
    QTimer::singleShot(0, fm_main, [fm_main] { ReportForBench(*fm_main, qgetenv("VELMORA_BENCH")); });

  int status = app.exec();
  delete fm_main;
  return status;
}
