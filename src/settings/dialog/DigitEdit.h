// An edit box for a number typed digit by digit: any other typed character acts as a
// backspace (it erases the character before the caret instead of being inserted), and leaving
// the box is reported so its owner can fill in an emptied box.
#pragma once

#include <QLineEdit>

class DigitEdit : public QLineEdit {
  Q_OBJECT
 public:
  using QLineEdit::QLineEdit;

 signals:
  void Exited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};
