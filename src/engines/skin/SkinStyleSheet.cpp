#include "engines/skin/SkinStyleSheet.h"

#include <utility>
#include <vector>

namespace {

// Style sheet declaration per skin key, for one selector; %1 is the colour.
using PropertyMap = std::vector<std::pair<const char*, const char*>>;

class SheetWriter {
 public:
  explicit SheetWriter(const SkinDefinition& skin) : skin_(skin) {}

  void Rule(const QString& selector, const ColourStyle& colours, const PropertyMap& properties) {
    QString body;
    for (const auto& [key, property] : properties) {
      auto colour = colours.find(key);
      if (colour == colours.end()) continue;
      QString declaration(property);
      if (declaration.contains("%1")) declaration = declaration.arg(QString::fromStdString(colour->second));
      body += "  " + declaration + ";\n";
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

const PropertyMap kBackgroundText = {{"background", "background-color: %1"}, {"text", "color: %1"}};
// A style sheet colour wins over the palette's disabled colours, so a skin that colours a
// control must also say how it looks when disabled, or it looks usable when it is not.
const PropertyMap kDisabled = {{"disabled-background", "background-color: %1"},
                               {"disabled-text", "color: %1"}};
const PropertyMap kBoxed = {{"background", "background-color: %1"},
                            {"text", "color: %1"},
                            {"border", "border: 1px solid %1"}};

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
  // Message boxes and file dialogs opened over the window take its labels' colours from this
  // sheet, so they must take its background too, or light text lands on a light box.
  writer.Rule(windowSelector + ", QDialog", WindowColours(skin, form), kBackgroundText);
  writer.Rule("QWidget#Skin1", form.colours, {{"strip-background", "background-color: %1"}});
  writer.StyleRule("label", "QLabel, QCheckBox, QRadioButton, QGroupBox", {{"text", "color: %1"}});
  writer.StyleRule("label", "QLabel:disabled, QCheckBox:disabled, QRadioButton:disabled, QGroupBox:disabled",
                   kDisabled);
  writer.StyleRule("edit", "QLineEdit, QSpinBox, QTextEdit, QPlainTextEdit", kBoxed);
  writer.StyleRule("edit",
                   "QLineEdit:disabled, QSpinBox:disabled, QTextEdit:disabled, QPlainTextEdit:disabled",
                   kDisabled);
  writer.StyleRule("combo", "QComboBox", kBoxed);
  writer.StyleRule("combo", "QComboBox:disabled", kDisabled);
  writer.StyleRule("combo", "QComboBox QAbstractItemView",
                   {{"background", "background-color: %1"},
                    {"text", "color: %1"},
                    {"selection", "selection-background-color: %1"}});
  writer.StyleRule("list", "QTableView, QTreeView, QListView",
                   {{"background", "background-color: %1"},
                    {"text", "color: %1"},
                    {"grid", "gridline-color: %1"},
                    {"selection", "selection-background-color: %1"},
                    {"selection-text", "selection-color: %1"}});
  writer.StyleRule("list", "QTableView:disabled, QTreeView:disabled, QListView:disabled", kDisabled);
  writer.StyleRule("list", "QScrollBar", {{"scrollbar", "background-color: transparent"},
                                          {"scrollbar", "border: none"}});
  writer.StyleRule("list", "QScrollBar:vertical", {{"scrollbar", "width: 12px"}});
  writer.StyleRule("list", "QScrollBar:horizontal", {{"scrollbar", "height: 12px"}});
  writer.StyleRule("list", "QScrollBar::handle", {{"scrollbar", "background-color: %1"},
                                                  {"scrollbar", "border-radius: 4px"},
                                                  {"scrollbar", "margin: 2px"},
                                                  {"scrollbar", "min-height: 24px"},
                                                  {"scrollbar", "min-width: 24px"}});
  writer.StyleRule("list", "QScrollBar::add-line, QScrollBar::sub-line",
                   {{"scrollbar", "width: 0px"}, {"scrollbar", "height: 0px"}});
  writer.StyleRule("list", "QScrollBar::add-page, QScrollBar::sub-page",
                   {{"scrollbar", "background: none"}});
  writer.StyleRule("list", "QHeaderView", {{"header", "background-color: %1"}});
  writer.StyleRule("list", "QHeaderView::section",
                   {{"header", "background-color: %1"}, {"header-text", "color: %1"}, {"grid", "border: 1px solid %1"}});
  writer.StyleRule("progress", "QProgressBar", kBoxed);
  // A styled progress bar no longer centres its text by itself.
  writer.StyleRule("progress", "QProgressBar", {{"text", "text-align: center"}});
  writer.StyleRule("progress", "QProgressBar::chunk", {{"bar", "background-color: %1"}});
  writer.StyleRule("button", "QPushButton, QToolButton", kBoxed);
  writer.StyleRule("button", "QPushButton:hover, QToolButton:hover", {{"hover", "background-color: %1"}});
  writer.StyleRule("button", "QPushButton:pressed, QToolButton:pressed",
                   {{"pressed", "background-color: %1"}});
  writer.StyleRule("button", "QPushButton:disabled, QToolButton:disabled", kDisabled);
  // Tabs are drawn like buttons, the open one like a pressed button.
  writer.StyleRule("button", "QTabBar::tab", {{"background", "background-color: %1"},
                                              {"text", "color: %1"},
                                              {"border", "border: 1px solid %1"},
                                              {"border", "padding: 3px 12px"}});
  writer.StyleRule("button", "QTabBar::tab:selected", {{"pressed", "background-color: %1"}});
  writer.StyleRule("button", "QTabBar::tab:hover:!selected", {{"hover", "background-color: %1"}});
  writer.StyleRule("button", "QTabWidget::pane", {{"border", "border: 1px solid %1"}});
  // The desktop's own line under the tabs would cut across the skin's colours.
  writer.StyleRule("button", "QTabBar", {{"border", "qproperty-drawBase: 0"}});
  writer.StyleRule("menu", "QMenuBar, QMenu", kBackgroundText);
  writer.StyleRule("menu", "QMenuBar::item:selected, QMenu::item:selected",
                   {{"selection", "background-color: %1"}, {"selection-text", "color: %1"}});
  writer.StyleRule("menu", "QMenu::item:disabled", {{"disabled-text", "color: %1"}});
  return writer.Sheet();
}
