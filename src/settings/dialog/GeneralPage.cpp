#include "settings/dialog/GeneralPage.h"

#include <QFormLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/LoudnessOptions.h"
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
    {GeneralControl::kChoice, "cb_normalize", "Normalize to:",
     "block peak: each block raised to its own peak. loudness: each whole file brought to the "
     "loudness target by one gain, its true peak kept at or below -1 dB.",
     &keys::kNormalizeKind, nullptr, nullptr, {"block peak", "loudness"}},
    {GeneralControl::kText, "edt_loudness_target", "Loudness target:",
     "In LUFS, from -70 to 0: -18 as ReplayGain, -23 as EBU R128.", nullptr,
     &keys::kLoudnessTarget, &LoudnessTargetProblem},
    {GeneralControl::kChoice, "cb_replaygain", "ReplayGain:",
     "Tags measured while each file is written: track values, or also album values over the "
     "files of a run that share album and album artist.",
     &keys::kReplayGain, nullptr, nullptr, {"off", "track", "album"}},
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
    rows_.push_back({&row, std::move(field)});
  }
  column->addLayout(form);
  // Seven rows with a hint under each do not fit the dialog's fixed size, so each hint is the
  // control's tool tip and accessible description, and one line says where to find them.
  auto* note = new QLabel(QStringLiteral("Rest the pointer on an option to see what it does."), page);
  note->setWordWrap(true);
  column->addWidget(note);
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
