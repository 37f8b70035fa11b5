// The controls of the settings dialog's "General" tab: one per row of its table, each kept in a
// key of the key table. A number is a spin box, a yes/no a check box, a text a line edit whose
// value may be refused on OK, a choice among fixed texts a drop-down list.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;
class TIniFile;
struct IntegerKey;
struct TextKey;

enum class GeneralControl { kNumber, kCheck, kText, kChoice };

// Why a text cannot be stored; nothing when it can.
using TextProblem = std::optional<std::string> (*)(const std::string& value);

struct GeneralRow {
  GeneralControl control;
  const char* objectName;
  const char* label;
  const char* hint;
  const IntegerKey* number = nullptr;  // kNumber, kCheck
  const TextKey* text = nullptr;       // kText, kChoice
  TextProblem problem = nullptr;       // kText: checked on OK
  std::vector<const char*> choices{};  // kChoice: the stored texts, in the list's order
};

class GeneralField {
 public:
  virtual ~GeneralField() = default;
  virtual QWidget* control() const = 0;
  // The stored value; the dialog's default when there is no settings file or the value is
  // absent or not one the control can show.
  virtual void Load(const TIniFile* settings) = 0;
  virtual void Store(TIniFile& settings) const = 0;
  virtual void SetDefault() = 0;  // the Default button
  virtual std::optional<std::string> Problem() const { return std::nullopt; }
};

// The control of `row`, a child of `page`, named and described for screen readers.
std::unique_ptr<GeneralField> MakeGeneralField(const GeneralRow& row, QWidget* page);
