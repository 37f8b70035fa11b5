#include "settings/dialog/GeneralPage.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <sstream>

#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

// A row holds a number when it has neither choices nor a text key.
struct GeneralRow {
  const IntegerKey* key;
  const TextKey* textKey;  // a loudness in LUFS
  const char* objectName;
  const char* label;
  const char* hint;
  std::initializer_list<const char*> choices;  // the texts of values 0, 1, …
};

namespace {

const GeneralRow kGeneralRows[] = {
    {&settings_keys::kJobs, nullptr, "ud_jobs", "Jobs:",
     "Files converted or normalized at once; 0: as many as the processors this program may run "
     "on. The outputs are the same whatever the number.",
     {}},
    {&settings_keys::kNormalizeKind, nullptr, "cb_normalize", "Normalize to:",
     "Block peak raises each block of a file to its own peak. Loudness brings each whole file "
     "to the target below with one gain, kept at or below -1 dB true peak.",
     {"block peak", "loudness"}},
    {nullptr, &settings_keys::kLoudnessTarget, "ud_target", "Target:",
     "The loudness a loudness normalize reaches, in LUFS (-18 as ReplayGain, -23 as EBU R128).",
     {}},
    {&settings_keys::kReplayGain, nullptr, "cb_replaygain", "ReplayGain:",
     "Converted files get ReplayGain tags measured while they are written: track values, or "
     "track and album values (the files of one run that share album and album artist).",
     {"off", "track", "album"}},
};

// Loudness targets the control offers, in LUFS.
constexpr double kLowestLufs = -70.0;
constexpr double kHighestLufs = 0.0;

double ParsedLufs(const std::string& text, double fallback) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !std::isfinite(value)) return fallback;
  if (value < kLowestLufs || value > kHighestLufs) return fallback;
  return value;
}

std::string LufsText(double lufs) {
  std::ostringstream text;
  text << lufs;
  return text.str();
}

}  // namespace

GeneralPage::GeneralPage(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  page->setObjectName(QStringLiteral("GeneralPage"));
  auto* column = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  for (const GeneralRow& row : kGeneralRows) {
    rows_.push_back(Row{row.key, row.textKey});
    QWidget* control = MakeControl(row, page, rows_.back());
    control->setObjectName(QString::fromLatin1(row.objectName));
    control->setAccessibleName(QString::fromLatin1(row.label));
    control->setToolTip(QString::fromLatin1(row.hint));
    control->setAccessibleDescription(control->toolTip());
    auto* label = new QLabel(QString::fromLatin1(row.label), page);
    label->setBuddy(control);
    form->addRow(label, control);
    auto* hint = new QLabel(QString::fromLatin1(row.hint), page);
    hint->setWordWrap(true);
    form->addRow(hint);
  }
  column->addLayout(form);
  column->addStretch();
  tabs->addTab(page, QStringLiteral("General"));
}

QWidget* GeneralPage::MakeControl(const GeneralRow& row, QWidget* page, Row& made) {
  if (row.textKey) {
    made.lufs = new QDoubleSpinBox(page);
    made.lufs->setRange(kLowestLufs, kHighestLufs);
    made.lufs->setDecimals(1);
    made.lufs->setSuffix(QStringLiteral(" LUFS"));
    return made.lufs;
  }
  if (row.choices.size() > 0) {
    made.choice = new QComboBox(page);
    for (const char* text : row.choices) made.choice->addItem(QString::fromLatin1(text));
    return made.choice;
  }
  made.number = new QSpinBox(page);
  made.number->setRange(row.key->low, row.key->high);
  return made.number;
}

void GeneralPage::Load(const TIniFile* settings) {
  for (const Row& row : rows_) LoadRow(row, settings);
}

void GeneralPage::LoadRow(const Row& row, const TIniFile* settings) {
  if (row.lufs) {
    const double fallback = ParsedLufs(row.textKey->defaultValue, kHighestLufs);
    const std::string text = settings ? ReadText(*settings, *row.textKey) : "";
    row.lufs->setValue(ParsedLufs(text, fallback));
    return;
  }
  const int value = settings ? ReadForDialog(*settings, *row.key) : row.key->dialogDefault;
  if (!row.choice) return row.number->setValue(value);  // the box keeps it within its range
  const bool listed = value >= row.key->low && value <= row.key->high;
  row.choice->setCurrentIndex(listed ? value : row.key->dialogDefault);
}

void GeneralPage::Store(TIniFile& settings) const {
  for (const Row& row : rows_) StoreRow(row, settings);
}

void GeneralPage::StoreRow(const Row& row, TIniFile& settings) const {
  if (row.lufs) Write(settings, *row.textKey, LufsText(row.lufs->value()));
  else Write(settings, *row.key, row.choice ? row.choice->currentIndex() : row.number->value());
}

void GeneralPage::SetDefaults() {
  for (const Row& row : rows_) {
    if (row.lufs) row.lufs->setValue(ParsedLufs(row.textKey->defaultValue, kHighestLufs));
    else if (row.choice) row.choice->setCurrentIndex(row.key->buttonDefault);
    else row.number->setValue(row.key->buttonDefault);
  }
}
