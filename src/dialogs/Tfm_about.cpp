#include "dialogs/Tfm_about.h"

#include "engines/skin/SkinEngine.h"

Tfm_about::Tfm_about(ISkinEngine& skin, QWidget* parent) : QDialog(parent), skin_(skin) {
  setObjectName("fm_about");
  setWindowTitle("About");
}

void Tfm_about::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  skin_.PrepareWindow(this);
  skin_.ApplyWindowSkin(this, "windows");
}
