// The settings dialog's "General" tab, shown in the window's extended face only: one row per
// option of the program's own, each kept in a key of the key table: a number, a choice among
// texts (its index stored) or a loudness in LUFS. A new option is one more entry in
// kGeneralRows (GeneralPage.cpp).
#pragma once

#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class QTabWidget;
class TIniFile;
struct IntegerKey;
struct TextKey;
struct GeneralRow;
class QWidget;

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
    const IntegerKey* key = nullptr;
    const TextKey* textKey = nullptr;
    QSpinBox* number = nullptr;
    QComboBox* choice = nullptr;
    QDoubleSpinBox* lufs = nullptr;
  };
  // The row's control, kept in `made`.
  static QWidget* MakeControl(const GeneralRow& row, QWidget* page, Row& made);
  void LoadRow(const Row& row, const TIniFile* settings);
  void StoreRow(const Row& row, TIniFile& settings) const;

  std::vector<Row> rows_;
};
