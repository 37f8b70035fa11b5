// The settings dialog's "General" tab, shown in the window's extended face only: one row per
// option of the program's own, each a number kept in a key of the key table. A new option is
// one more entry in kGeneralRows (GeneralPage.cpp).
#pragma once

#include <vector>

class QSpinBox;
class QTabWidget;
class TIniFile;
struct IntegerKey;

class GeneralPage {
 public:
  // Adds the tab after the others.
  explicit GeneralPage(QTabWidget* tabs);

  // Every row from the stored key (the dialog's default when absent or out of range).
  void Load(const TIniFile* settings);
  // After the classic keys, in the rows' order.
  void Store(TIniFile& settings) const;
  void SetDefaults();

 private:
  struct Row {
    const IntegerKey* key;
    QSpinBox* box;
  };
  std::vector<Row> rows_;
};
