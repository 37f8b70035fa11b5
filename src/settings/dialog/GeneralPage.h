// The settings dialog's "General" tab, shown in the window's extended face only: one row per
// option of the program's own, each kept in a key of the key table. A new option is one more
// entry in kGeneralRows (GeneralPage.cpp).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/dialog/GeneralFields.h"

class QTabWidget;
class TIniFile;

class GeneralPage {
 public:
  // Adds the tab after the others.
  explicit GeneralPage(QTabWidget* tabs);
  ~GeneralPage();

  // Every row from the stored key (the dialog's default when absent or out of range).
  void Load(const TIniFile* settings);
  // Why the first row that cannot be stored cannot be, naming the row; nothing when all can.
  std::optional<std::string> Problem() const;
  // After the classic keys, in the rows' order.
  void Store(TIniFile& settings) const;
  void SetDefaults();

 private:
  struct Row {
    const GeneralRow* row;
    std::unique_ptr<GeneralField> field;
  };
  std::vector<Row> rows_;
};
