#include "settings/dialog/ExtendedFormatPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "app/OutputFormatSetup.h"
#include "app/RunSettings.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "settings/dialog/SettingsLayout.h"

namespace keys = settings_keys;

enum class FormatRowKind { kList, kNumber, kCheck };

struct FormatPageRow {
  FormatRowKind kind;
  const IntegerKey* key;
  const char* objectName;
  const char* text;  // the label on the control's left, or the check box's caption
  int line;
  int column;  // 0: the grid's left pair of cells, 2: the right pair
  std::vector<const char*> entries = {};  // lists: entry i stores i
  int decimals = 0;                       // numbers shown in tenths store value × 10
  const char* suffix = "";
  const IntegerKey* switchedBy = nullptr;  // a check box that enables or disables the row
  bool enabledWhenTicked = false;
};

struct FormatPageGroup {
  const char* title;
  std::vector<FormatPageRow> rows;
  std::vector<const char*> notes;
};

namespace {

struct FormatTab {
  const char* title;
  int formatIndex;
  std::vector<FormatPageGroup> groups;
};

const std::vector<FormatTab>& FormatTabs() {
  static const std::vector<FormatTab> tabs = {
      {"FLAC", kFormatFlac,
       {{"General Options",
         {{FormatRowKind::kNumber, &keys::kFlacCompression, "ud_flac_compression", "Compression: ", 0, 0},
          {FormatRowKind::kList, &keys::kFlacBit, "cb_flac_bit", "Bit Per Sample: ", 1, 0,
           {"As the source", "16 bits", "24 bits"}}},
         {"Compression: 0 - fast speed, big file, 8 - low speed, small file. Every level keeps "
          "the sound exactly. ",
          "As the source: the source's bit depth up to 24 bits; float sources become 24 bits. "}}}},
      {"OPUS", kFormatOpus,
       {{"General Options",
         {{FormatRowKind::kNumber, &keys::kOpusBitrate, "ud_opus_bitrate", "Bitrate: ", 0, 0, {}, 0, " Kbps"},
          {FormatRowKind::kList, &keys::kOpusMode, "cb_opus_mode", "Mode: ", 0, 2,
           {"VBR", "Constrained VBR", "CBR"}},
          {FormatRowKind::kNumber, &keys::kOpusComplexity, "ud_opus_complexity", "Complexity: ", 1, 0}},
         {"6Kbps - poor quality, small file, 510Kbps - good quality, big file",
          "Complexity: 0 - fast speed, 10 - best quality, low speed. ",
          "Opus plays at 48000 Hz: other frequencies are resampled. "}}}},
      {"M4A", kFormatM4a,
       {{"General Options",
         {{FormatRowKind::kNumber, &keys::kM4aBitrate, "ud_m4a_bitrate", "Bitrate: ", 0, 0, {}, 0, " Kbps",
           &keys::kM4aEnableVbr, false}},
         {"32Kbps - poor quality, small file, 320Kbps - good quality, big file"}},
        {"VBR (Variable Bit Rate)",
         {{FormatRowKind::kCheck, &keys::kM4aEnableVbr, "cb_m4a_vbr", "Enable VBR", 0, 0},
          {FormatRowKind::kNumber, &keys::kM4aVbrQuality, "ud_m4a_vbr", "VBR Quality: ", 1, 0, {}, 1, "",
           &keys::kM4aEnableVbr, true}},
         {"VBR Quality: 0.1 - small file, 2.0 - best quality, big file. ",
          "If VBR enabled, the bitrate above is not used. "}}}},
  };
  return tabs;
}

int Scale(int decimals) { return decimals == 0 ? 1 : 10; }

QWidget* Labelled(QGridLayout* grid, const FormatPageRow& row, QWidget* control) {
  auto* label = Caption(QString::fromLatin1(row.text), grid->parentWidget());
  label->setBuddy(control);
  grid->addWidget(label, row.line, row.column);
  grid->addWidget(control, row.line, row.column + 1);
  return control;
}

QDoubleSpinBox* AddNumber(QGridLayout* grid, const FormatPageRow& row) {
  auto* box = Named(new QDoubleSpinBox(grid->parentWidget()), row.objectName, QString::fromLatin1(row.text));
  const double scale = Scale(row.decimals);
  box->setDecimals(row.decimals);
  box->setRange(row.key->low / scale, row.key->high / scale);
  box->setSingleStep(1 / scale);
  box->setSuffix(QString::fromLatin1(row.suffix));
  Labelled(grid, row, box);
  return box;
}

}  // namespace

ExtendedFormatPages::ExtendedFormatPages(QTabWidget* tabs) {
  for (const FormatTab& tab : FormatTabs()) {
    QVBoxLayout* column;
    QWidget* page = Page(tabs, QString::fromLatin1(tab.title), &column);
    pages_.push_back(page);
    for (const FormatPageGroup& group : tab.groups) AddGroup(page, column, group);
    column->addStretch();
  }
}

void ExtendedFormatPages::AddGroup(QWidget* page, QVBoxLayout* column, const FormatPageGroup& group) {
  QGridLayout* grid;
  QGroupBox* box = Group(QString::fromLatin1(group.title), page, &grid);
  for (const FormatPageRow& row : group.rows) AddRow(grid, row);
  const int firstNoteLine = grid->rowCount();
  for (size_t i = 0; i < group.notes.size(); ++i)
    grid->addWidget(Note(QString::fromLatin1(group.notes[i]), box), firstNoteLine + static_cast<int>(i), 0, 1, 4);
  column->addWidget(box);
}

void ExtendedFormatPages::AddRow(QGridLayout* grid, const FormatPageRow& row) {
  Control control{row.key};
  control.scale = Scale(row.decimals);
  control.switchedBy = row.switchedBy;
  control.enabledWhenTicked = row.enabledWhenTicked;
  const QString text = QString::fromLatin1(row.text);
  switch (row.kind) {
    case FormatRowKind::kList: {
      QStringList entries;
      for (const char* entry : row.entries) entries << QString::fromLatin1(entry);
      control.list = AddList(grid, row.line, row.column, text, row.objectName, entries);
      break;
    }
    case FormatRowKind::kNumber: control.number = AddNumber(grid, row); break;
    case FormatRowKind::kCheck:
      control.check = Named(new QCheckBox(text, grid->parentWidget()), row.objectName, text);
      grid->addWidget(control.check, row.line, row.column, 1, 2);
      QObject::connect(control.check, &QAbstractButton::toggled, control.check, [this] { ApplySwitches(); });
      break;
  }
  controls_.push_back(control);
}

void ExtendedFormatPages::Load(const TIniFile* settings) {
  for (const Control& control : controls_) {
    const IntegerKey& key = *control.key;
    const int stored = settings ? ReadForDialog(*settings, key) : key.dialogDefault;
    // What a run would not take shows as what it takes instead: the dialog's default.
    SetValue(control, stored >= key.low && stored <= key.high ? stored : key.dialogDefault);
  }
  ApplySwitches();
}

void ExtendedFormatPages::Store(TIniFile& settings) const {
  for (const Control& control : controls_) Write(settings, *control.key, Value(control));
}

void ExtendedFormatPages::SetDefaults() {
  for (const Control& control : controls_) SetValue(control, control.key->buttonDefault);
  ApplySwitches();
}

std::optional<ExtendedFormatPages::Refusal> ExtendedFormatPages::FirstRefusal(
    const TAudioFile2& encoder) const {
  const KeyValue shown = [this](const IntegerKey& key) { return Value(key); };
  OutputFormatSettings format;
  format.flac = FlacRunSettings(shown);
  format.opus = OpusRunSettings(shown);
  format.m4a = M4aRunSettings(shown);
  for (size_t i = 0; i < FormatTabs().size(); ++i) {
    const FormatTab& tab = FormatTabs()[i];
    format.formatIndex = tab.formatIndex;
    if (std::optional<FormatRefusal> refusal = OutputFormatRefusal(format, encoder))
      return Refusal{pages_[i], QString::fromStdString(refusal->text) +
                                    QStringLiteral(" \rPlease adjust the settings on the %1 tab.")
                                        .arg(QString::fromLatin1(tab.title))};
  }
  return std::nullopt;
}

int ExtendedFormatPages::Value(const IntegerKey& key) const {
  for (const Control& control : controls_)
    if (control.key == &key) return Value(control);
  return key.dialogDefault;
}

int ExtendedFormatPages::Value(const Control& control) const {
  if (control.list) return control.list->currentIndex();
  if (control.check) return control.check->isChecked() ? 1 : 0;
  return static_cast<int>(std::lround(control.number->value() * control.scale));
}

void ExtendedFormatPages::SetValue(const Control& control, int value) const {
  if (control.list) control.list->setCurrentIndex(value);
  else if (control.check) control.check->setChecked(value != 0);
  else control.number->setValue(static_cast<double>(value) / control.scale);
}

void ExtendedFormatPages::ApplySwitches() const {
  for (const Control& control : controls_) {
    if (!control.switchedBy) continue;
    const bool ticked = Value(*control.switchedBy) != 0;
    QWidget* widget = control.list ? static_cast<QWidget*>(control.list) : control.number;
    widget->setEnabled(ticked == control.enabledWhenTicked);
  }
}
