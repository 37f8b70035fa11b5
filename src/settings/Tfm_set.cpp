#include "settings/Tfm_set.h"

#include "engines/skin/SkinEngine.h"

Tfm_set::Tfm_set(ISkinEngine& skin, QWidget* parent) : QDialog(parent), skin_(skin) {
  setObjectName("fm_set");
  setWindowTitle("Settings");
}

void Tfm_set::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  skin_.PrepareWindow(this);
  skin_.ApplyWindowSkin(this, "windows");
}
