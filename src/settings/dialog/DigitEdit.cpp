#include "settings/dialog/DigitEdit.h"

#include <QKeyEvent>

void DigitEdit::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool typesCharacter = text.size() == 1 && text.at(0).isPrint();
  if (typesCharacter && !(text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9'))) {
    if (!isReadOnly()) backspace();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void DigitEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  emit Exited();
}
