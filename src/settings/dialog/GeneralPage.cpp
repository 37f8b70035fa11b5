#include "settings/dialog/GeneralPage.h"

#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace {

struct GeneralRow {
  const IntegerKey& key;
  const char* objectName;
  const char* label;
  const char* hint;
};

const GeneralRow kGeneralRows[] = {
    {settings_keys::kJobs, "ud_jobs", "Jobs:",
     "Files converted or normalized at once; 0: as many as the processors this program may run "
     "on. The outputs are the same whatever the number."},
};

}  // namespace

GeneralPage::GeneralPage(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  page->setObjectName(QStringLiteral("GeneralPage"));
  auto* column = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  for (const GeneralRow& row : kGeneralRows) {
    auto* box = new QSpinBox(page);
    box->setObjectName(QString::fromLatin1(row.objectName));
    box->setRange(row.key.low, row.key.high);
    box->setAccessibleName(QString::fromLatin1(row.label));
    box->setToolTip(QString::fromLatin1(row.hint));
    box->setAccessibleDescription(box->toolTip());
    auto* label = new QLabel(QString::fromLatin1(row.label), page);
    label->setBuddy(box);
    form->addRow(label, box);
    auto* hint = new QLabel(QString::fromLatin1(row.hint), page);
    hint->setWordWrap(true);
    form->addRow(hint);
    rows_.push_back({&row.key, box});
  }
  column->addLayout(form);
  column->addStretch();
  tabs->addTab(page, QStringLiteral("General"));
}

void GeneralPage::Load(const TIniFile* settings) {
  for (const Row& row : rows_)
    row.box->setValue(settings ? ReadForDialog(*settings, *row.key) : row.key->dialogDefault);
}

void GeneralPage::Store(TIniFile& settings) const {
  for (const Row& row : rows_) Write(settings, *row.key, row.box->value());
}

void GeneralPage::SetDefaults() {
  for (const Row& row : rows_) row.box->setValue(row.key->buttonDefault);
}
