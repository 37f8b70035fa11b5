// The pieces every tab of the settings dialog is built from, so the tabs look alike: a page
// per tab, group boxes with a four-column grid (label, control, label, control), captions,
// wrapped notes and drop-down lists labelled on their left.
#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QTabWidget;
class QVBoxLayout;
class QWidget;

// Gives `control` the object name the dialog's logic looks it up by, and its label's text as
// accessible name.
template <typename Control>
Control* Named(Control* control, const char* objectName, const QString& accessibleName) {
  control->setObjectName(QString::fromLatin1(objectName));
  control->setAccessibleName(accessibleName.trimmed());
  return control;
}

// Shown on hovering and read out by screen readers after the control's name.
void Hint(QWidget* control, const QString& text);
QLabel* Caption(const QString& text, QWidget* parent);
// A caption that wraps: the longest notes would widen the fixed-size dialog.
QLabel* Note(const QString& text, QWidget* parent);
// A drop-down list that takes no typed text, with its label in the grid cell to its left.
QComboBox* AddList(QGridLayout* grid, int row, int column, const QString& labelText,
                   const char* name, const QStringList& entries);
QGroupBox* Group(const QString& title, QWidget* parent, QGridLayout** grid);
// A new last tab holding a column of groups.
QWidget* Page(QTabWidget* tabs, const QString& title, QVBoxLayout** column);
