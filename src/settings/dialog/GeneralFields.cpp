#include "settings/dialog/GeneralFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include "settings/SettingsKeys.h"

namespace {

class NumberField : public GeneralField {
 public:
  NumberField(const IntegerKey& key, QWidget* page) : key_(key), box_(new QSpinBox(page)) {
    box_->setRange(key.low, key.high);
  }
  QWidget* control() const override { return box_; }
  void Load(const TIniFile* settings) override {
    box_->setValue(settings ? ReadForDialog(*settings, key_) : key_.dialogDefault);
  }
  void Store(TIniFile& settings) const override { Write(settings, key_, box_->value()); }
  void SetDefault() override { box_->setValue(key_.buttonDefault); }

 private:
  const IntegerKey& key_;
  QSpinBox* box_;
};

class CheckField : public GeneralField {
 public:
  CheckField(const IntegerKey& key, const char* label, QWidget* page)
      : key_(key), box_(new QCheckBox(QString::fromUtf8(label), page)) {}
  QWidget* control() const override { return box_; }
  void Load(const TIniFile* settings) override {
    box_->setChecked(settings ? ReadBoolForDialog(*settings, key_) : key_.dialogDefault != 0);
  }
  void Store(TIniFile& settings) const override { WriteBool(settings, key_, box_->isChecked()); }
  void SetDefault() override { box_->setChecked(key_.buttonDefault != 0); }

 private:
  const IntegerKey& key_;
  QCheckBox* box_;
};

class TextField : public GeneralField {
 public:
  TextField(const TextKey& key, TextProblem problem, QWidget* page)
      : key_(key), problem_(problem), edit_(new QLineEdit(page)) {}
  QWidget* control() const override { return edit_; }
  void Load(const TIniFile* settings) override {
    edit_->setText(QString::fromStdString(settings ? ReadText(*settings, key_) : key_.defaultValue));
  }
  void Store(TIniFile& settings) const override { Write(settings, key_, Value()); }
  void SetDefault() override { edit_->setText(QString::fromUtf8(key_.defaultValue)); }
  std::optional<std::string> Problem() const override {
    return problem_ ? problem_(Value()) : std::nullopt;
  }

 private:
  std::string Value() const { return edit_->text().toStdString(); }

  const TextKey& key_;
  TextProblem problem_;
  QLineEdit* edit_;
};

class ChoiceField : public GeneralField {
 public:
  ChoiceField(const TextKey& key, const std::vector<const char*>& choices, QWidget* page)
      : key_(key), list_(new QComboBox(page)) {
    for (const char* choice : choices) list_->addItem(QString::fromUtf8(choice));
  }
  QWidget* control() const override { return list_; }
  void Load(const TIniFile* settings) override {
    const std::string stored = settings ? ReadText(*settings, key_) : key_.defaultValue;
    const int index = list_->findText(QString::fromStdString(stored));
    list_->setCurrentIndex(index >= 0 ? index : list_->findText(QString::fromUtf8(key_.defaultValue)));
  }
  void Store(TIniFile& settings) const override {
    Write(settings, key_, list_->currentText().toStdString());
  }
  void SetDefault() override { list_->setCurrentText(QString::fromUtf8(key_.defaultValue)); }

 private:
  const TextKey& key_;
  QComboBox* list_;
};

std::unique_ptr<GeneralField> MakeField(const GeneralRow& row, QWidget* page) {
  switch (row.control) {
    case GeneralControl::kNumber: return std::make_unique<NumberField>(*row.number, page);
    case GeneralControl::kCheck: return std::make_unique<CheckField>(*row.number, row.label, page);
    case GeneralControl::kText: return std::make_unique<TextField>(*row.text, row.problem, page);
    case GeneralControl::kChoice: return std::make_unique<ChoiceField>(*row.text, row.choices, page);
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<GeneralField> MakeGeneralField(const GeneralRow& row, QWidget* page) {
  std::unique_ptr<GeneralField> field = MakeField(row, page);
  QWidget* control = field->control();
  control->setObjectName(QString::fromLatin1(row.objectName));
  control->setAccessibleName(QString::fromUtf8(row.label));
  control->setToolTip(QString::fromUtf8(row.hint));
  control->setAccessibleDescription(control->toolTip());
  return field;
}
