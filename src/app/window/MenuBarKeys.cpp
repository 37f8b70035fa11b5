#include "app/window/MenuBarKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace {

void PressEscape(QWidget* widget) {
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(widget, &escape);
}

bool IsConfirmKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space; }

}  // namespace

MenuBarKeys::MenuBarKeys(QMenuBar* bar, QMenu* first) : QObject(bar), bar_(bar), first_(first) {
  bar_->installEventFilter(this);
}

// Qt has no call for the bar's keyboard mode, but a menu the bar opened falls back into it on
// Escape; so F10 opens "File" and closes it again at once. A style without that mode keeps
// "File" open instead.
void MenuBarKeys::Enter() {
  bar_->setActiveAction(first_->menuAction());
  PressEscape(first_);
  if (!bar_->activeAction()) bar_->setActiveAction(first_->menuAction());
}

bool MenuBarKeys::eventFilter(QObject* watched, QEvent* event) {
  if (watched != bar_ || event->type() != QEvent::KeyPress) return false;
  QAction* item = bar_->activeAction();
  if (!item || item->menu() || !IsConfirmKey(static_cast<QKeyEvent*>(event)->key())) return false;
  PressEscape(bar_);
  item->trigger();
  return true;
}
