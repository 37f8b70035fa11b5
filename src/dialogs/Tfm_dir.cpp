#include "dialogs/Tfm_dir.h"

#include "engines/skin/SkinEngine.h"

std::string chosen_dir;

Tfm_dir::Tfm_dir(ISkinEngine& skin, QWidget* parent) : QDialog(parent), skin_(skin) {
  setObjectName("fm_dir");
  setWindowTitle("Output Directory");
}

void Tfm_dir::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  skin_.PrepareWindow(this);
  skin_.ApplyWindowSkin(this, "windows");
}
