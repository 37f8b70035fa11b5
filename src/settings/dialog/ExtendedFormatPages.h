// The settings dialog's tabs "FLAC", "OPUS" and "M4A", shown in the window's extended face
// only, after the four classic tabs. Each control holds one key of the key table; the tabs are
// described by a table (FormatTabs() in ExtendedFormatPages.cpp), so a new option is one more row.
#pragma once

#include <QString>
#include <optional>
#include <vector>

class QAbstractButton;
class QComboBox;
class QDoubleSpinBox;
class QGridLayout;
class QTabWidget;
class QVBoxLayout;
class QWidget;
class TAudioFile2;
class TIniFile;
struct IntegerKey;
struct FormatPageGroup;
struct FormatPageRow;

class ExtendedFormatPages {
 public:
  // Adds the three tabs after the others.
  explicit ExtendedFormatPages(QTabWidget* tabs);

  // Every control from its stored key; the dialog's default when absent or out of range.
  void Load(const TIniFile* settings);
  // After the classic keys, tab by tab and row by row.
  void Store(TIniFile& settings) const;
  void SetDefaults();

  struct Refusal {
    QWidget* page;  // the tab whose values the encoder refuses
    QString text;   // for the information box
  };
  // The first tab whose values its encoder cannot take, asked in the tabs' order.
  std::optional<Refusal> FirstRefusal(const TAudioFile2& encoder) const;

 private:
  struct Control {
    const IntegerKey* key;
    QComboBox* list = nullptr;
    QDoubleSpinBox* number = nullptr;
    QAbstractButton* check = nullptr;
    int scale = 1;  // a number shown in tenths stores value × 10
    const IntegerKey* switchedBy = nullptr;
    bool enabledWhenTicked = false;
  };

  void AddGroup(QWidget* page, QVBoxLayout* column, const FormatPageGroup& group);
  void AddRow(QGridLayout* grid, const FormatPageRow& row);
  int Value(const IntegerKey& key) const;
  int Value(const Control& control) const;
  void SetValue(const Control& control, int value) const;
  // Rows that a check box switches are enabled exactly when it says so.
  void ApplySwitches() const;

  std::vector<Control> controls_;
  std::vector<QWidget*> pages_;  // in the tabs' order
};
