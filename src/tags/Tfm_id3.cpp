#include "tags/Tfm_id3.h"

#include "engines/skin/SkinEngine.h"

Tfm_id3::Tfm_id3(ISkinEngine& skin, QWidget* parent) : QDialog(parent), skin_(skin) {
  setObjectName("fm_id3");
  setWindowTitle("ID3 Edit");
}

void Tfm_id3::AttachTables(TagTable* tagTable, TagTable* tagWork,
                           std::function<std::vector<std::string>()> trackNames) {
  tag_table_ = tagTable;
  tag_work_ = tagWork;
  trackNames_ = std::move(trackNames);
}

void Tfm_id3::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  skin_.PrepareWindow(this);
  skin_.ApplyWindowSkin(this, "windows");
}
