#include "settings/dialog/SettingsLayout.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogs/ComboBoxName.h"

void Hint(QWidget* control, const QString& text) {
  control->setToolTip(text);
  control->setAccessibleDescription(text);
}

QLabel* Caption(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QStringLiteral("SkinLabel"));
  return label;
}

QLabel* Note(const QString& text, QWidget* parent) {
  QLabel* label = Caption(text, parent);
  label->setWordWrap(true);
  return label;
}

QComboBox* AddList(QGridLayout* grid, int row, int column, const QString& labelText,
                   const char* name, const QStringList& entries) {
  QWidget* parent = grid->parentWidget();
  auto* label = Caption(labelText, parent);
  QComboBox* list = NewLabelledComboBox(parent, labelText);
  list->setObjectName(QString::fromLatin1(name));
  list->addItems(entries);
  list->setMaxVisibleItems(12);
  label->setBuddy(list);
  grid->addWidget(label, row, column);
  grid->addWidget(list, row, column + 1);
  return list;
}

QGroupBox* Group(const QString& title, QWidget* parent, QGridLayout** grid) {
  auto* group = new QGroupBox(title, parent);
  *grid = new QGridLayout(group);
  (*grid)->setContentsMargins(6, 4, 6, 4);
  (*grid)->setHorizontalSpacing(6);
  (*grid)->setVerticalSpacing(3);
  // Lists on the left and on the right share the width alike.
  (*grid)->setColumnStretch(1, 1);
  (*grid)->setColumnStretch(3, 1);
  return group;
}

QWidget* Page(QTabWidget* tabs, const QString& title, QVBoxLayout** column) {
  auto* page = new QWidget(tabs);
  *column = new QVBoxLayout(page);
  (*column)->setContentsMargins(4, 4, 4, 4);
  (*column)->setSpacing(4);
  tabs->addTab(page, title);
  return page;
}
