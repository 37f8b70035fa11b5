#include "engines/skin/SkinStyleSheet.h"

#include <utility>
#include <vector>

namespace {

// Style sheet property per skin key, for one selector.
using PropertyMap = std::vector<std::pair<const char*, const char*>>;

class SheetWriter {
 public:
  explicit SheetWriter(const SkinDefinition& skin) : skin_(skin) {}

  void Rule(const QString& selector, const ColourStyle& colours, const PropertyMap& properties) {
    QString body;
    for (const auto& [key, property] : properties) {
      auto colour = colours.find(key);
      if (colour == colours.end()) continue;
      body += QString("  %1: %2;\n").arg(property, QString::fromStdString(colour->second));
    }
    if (!body.isEmpty()) sheet_ += QString("%1 {\n%2}\n").arg(selector, body);
  }

  void StyleRule(const char* kind, const char* selector, const PropertyMap& properties) {
    auto style = skin_.styles.find(kind);
    if (style != skin_.styles.end()) Rule(selector, style->second, properties);
  }

  QString Sheet() const { return sheet_; }

 private:
  const SkinDefinition& skin_;
  QString sheet_;
};

const PropertyMap kBackgroundText = {{"background", "background-color"}, {"text", "color"}};
const PropertyMap kBoxed = {{"background", "background-color"},
                            {"text", "color"},
                            {"border", "border-color"}};

ColourStyle WindowColours(const SkinDefinition& skin, const FormDefinition& form) {
  ColourStyle colours;
  auto window = skin.styles.find("window");
  if (window != skin.styles.end()) colours = window->second;
  for (const auto& [key, value] : form.colours) colours[key] = value;
  return colours;
}

}  // namespace

QString SkinStyleSheet(const SkinDefinition& skin, const FormDefinition& form,
                       const QString& windowSelector) {
  SheetWriter writer(skin);
  writer.Rule(windowSelector, WindowColours(skin, form), kBackgroundText);
  writer.Rule("QWidget#Skin1", form.colours, {{"strip-background", "background-color"}});
  writer.StyleRule("label", "QLabel, QCheckBox, QRadioButton, QGroupBox", {{"text", "color"}});
  writer.StyleRule("edit", "QLineEdit, QSpinBox, QTextEdit, QPlainTextEdit", kBoxed);
  writer.StyleRule("edit", "QLineEdit, QSpinBox", {{"border", "border: 1px solid"}});
  writer.StyleRule("combo", "QComboBox", kBoxed);
  writer.StyleRule("combo", "QComboBox QAbstractItemView",
                   {{"background", "background-color"},
                    {"text", "color"},
                    {"selection", "selection-background-color"}});
  writer.StyleRule("list", "QTableView, QTreeView, QListView",
                   {{"background", "background-color"},
                    {"text", "color"},
                    {"grid", "gridline-color"},
                    {"selection", "selection-background-color"},
                    {"selection-text", "selection-color"}});
  writer.StyleRule("list", "QHeaderView::section",
                   {{"header", "background-color"}, {"header-text", "color"}, {"grid", "border: 1px solid"}});
  writer.StyleRule("progress", "QProgressBar", kBoxed);
  writer.StyleRule("progress", "QProgressBar", {{"border", "border: 1px solid"}});
  writer.StyleRule("progress", "QProgressBar::chunk", {{"bar", "background-color"}});
  writer.StyleRule("button", "QPushButton, QToolButton", kBoxed);
  writer.StyleRule("button", "QPushButton, QToolButton", {{"border", "border: 1px solid"}});
  writer.StyleRule("button", "QPushButton:hover, QToolButton:hover", {{"hover", "background-color"}});
  writer.StyleRule("button", "QPushButton:pressed, QToolButton:pressed",
                   {{"pressed", "background-color"}});
  writer.StyleRule("menu", "QMenuBar, QMenu", kBackgroundText);
  writer.StyleRule("menu", "QMenuBar::item:selected, QMenu::item:selected",
                   {{"selection", "background-color"}, {"selection-text", "color"}});
  return writer.Sheet();
}
