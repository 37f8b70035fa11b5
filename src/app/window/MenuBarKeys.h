// The menu bar from the keyboard. F10 puts the bar into the keyboard mode that Alt gives:
// "File" highlighted, Left and Right move along the whole bar, Down or Enter opens a menu,
// Escape goes back to the control that had the focus. Enter on a bar item without a menu
// ("Settings") leaves the mode first, so the focus is back in place when its dialog closes.
#pragma once

#include <QObject>

class QMenu;
class QMenuBar;

class MenuBarKeys : public QObject {
 public:
  // `first` is the bar's first menu. Lives as long as the bar.
  MenuBarKeys(QMenuBar* bar, QMenu* first);
  // F10.
  void Enter();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMenuBar* bar_;
  QMenu* first_;
};
