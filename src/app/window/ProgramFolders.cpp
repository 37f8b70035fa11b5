#include "app/window/ProgramFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

std::string ProgramDataFolder() {
  const QString programFolder = QCoreApplication::applicationDirPath();
  const QStringList candidates = {programFolder, programFolder + "/../share/velmora"};
  for (const QString& folder : candidates) {
    if (QFileInfo::exists(folder + "/" + kSkinFileName))
      return QDir::cleanPath(folder).toStdString() + "/";
  }
  return programFolder.toStdString() + "/";
}
