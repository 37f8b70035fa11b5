#include "settings/dialog/GeneralPage.h"

#include <QFormLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/NamePattern.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace {

namespace keys = settings_keys;

const GeneralRow kGeneralRows[] = {
    {GeneralControl::kNumber, "ud_jobs", "Jobs:",
     "Files converted or normalized at once; 0: as many as the processors this program may run "
     "on. The outputs are the same whatever the number.",
     &keys::kJobs},
    {GeneralControl::kCheck, "cb_keep_tree", "Keep the folder tree",
     "Outputs of files added from a folder go into the same folders below the output folder.",
     &keys::kKeepTree},
    {GeneralControl::kText, "edt_name_pattern", "Name pattern:",
     "Names from the tags, '/' making folders: %artist%/%album%/%track% - %title%. Empty: the "
     "source's name.",
     nullptr, &keys::kNamePattern, &NamePatternProblem},
    {GeneralControl::kChoice, "cb_existing", "Existing outputs:",
     "number: a taken name gets a number. skip: the source is left alone. update: converted "
     "again when the source is newer.",
     nullptr, &keys::kExistingOutputs, nullptr, {"number", "skip", "update"}},
};

}  // namespace

GeneralPage::GeneralPage(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  page->setObjectName(QStringLiteral("GeneralPage"));
  auto* column = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  for (const GeneralRow& row : kGeneralRows) {
    std::unique_ptr<GeneralField> field = MakeGeneralField(row, page);
    if (row.control == GeneralControl::kCheck) {
      form->addRow(field->control());  // a check box carries its own caption
    } else {
      auto* label = new QLabel(QString::fromUtf8(row.label), page);
      label->setBuddy(field->control());
      form->addRow(label, field->control());
    }
    auto* hint = new QLabel(QString::fromUtf8(row.hint), page);
    hint->setWordWrap(true);
    form->addRow(hint);
    rows_.push_back({&row, std::move(field)});
  }
  column->addLayout(form);
  column->addStretch();
  tabs->addTab(page, QStringLiteral("General"));
}

GeneralPage::~GeneralPage() = default;

void GeneralPage::Load(const TIniFile* settings) {
  for (const Row& row : rows_) row.field->Load(settings);
}

std::optional<std::string> GeneralPage::Problem() const {
  for (const Row& row : rows_)
    if (std::optional<std::string> problem = row.field->Problem())
      return std::string(row.row->label) + "\n" + *problem;
  return std::nullopt;
}

void GeneralPage::Store(TIniFile& settings) const {
  for (const Row& row : rows_) row.field->Store(settings);
}

void GeneralPage::SetDefaults() {
  for (const Row& row : rows_) row.field->SetDefault();
}
