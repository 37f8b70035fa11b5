#include "settings/GeneralPage.h"

#include <QFormLayout>
#include <QLabel>
#include <QScrollArea>
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
     "Files added from a folder go into the same folders below the output folder as below the "
     "added one. Off: every output goes straight into the output folder.",
     &keys::kKeepTree},
    {GeneralControl::kText, "edt_name_pattern", "Name pattern:",
     "Names outputs from their tags, '/' making folders: %artist%/%album%/%track% - %title%. "
     "Fields: title, artist, album, year, comment, genre, track; an empty field takes the "
     "source's name. Empty: every output keeps its source's name.",
     nullptr, &keys::kNamePattern, &NamePatternProblem},
    {GeneralControl::kChoice, "cb_existing", "Existing outputs:",
     "number: a taken output name gets a number. skip: a source whose output is there is left "
     "alone. update: only sources newer than their output are converted again; the new output "
     "replaces the old one once it is whole.",
     nullptr, &keys::kExistingOutputs, nullptr, {"number", "skip", "update"}},
};

}  // namespace

GeneralPage::GeneralPage(QTabWidget* tabs) {
  // The rows scroll once there are more than the dialog's fixed size shows.
  auto* scroll = new QScrollArea(tabs);
  scroll->setObjectName(QStringLiteral("GeneralPage"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* page = new QWidget(scroll);
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
  scroll->setWidget(page);
  tabs->addTab(scroll, QStringLiteral("General"));
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
