#include "app/window/ProgramIcon.h"

QIcon ProgramWindowIcon() {
  Q_INIT_RESOURCE(window_icons);  // a static library's resources are linked only when named
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256})
    icon.addFile(QString(":/window/velmora-%1.png").arg(size), QSize(size, size));
  return icon;
}
