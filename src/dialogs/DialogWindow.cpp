#include "dialogs/DialogWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QWidget>

#include "dialogs/UiPrompts.h"
#include "engines/skin/SkinEngine.h"

void SkinDialog(ISkinEngine& skin, QWidget* dialog) {
  try {
    skin.PrepareWindow(dialog);
    skin.ApplyWindowSkin(dialog, "windows");
  } catch (const SkinError& error) {
    UiPrompts::Current().Error(dialog, QString::fromStdString(error.what()));
  }
}

void SetOuterSize(QWidget* window, int width, int height) {
  // Without a window manager (or before the first show) the frame is empty and this is the
  // client size.
  const QSize frameExtra = window->frameGeometry().size() - window->geometry().size();
  window->resize(width - frameExtra.width(), height - frameExtra.height());
}

void CentreOverOwner(QWidget* window) {
  const QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
  QRect area;
  if (owner) {
    area = owner->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  } else {
    return;
  }
  const QSize outer = window->frameGeometry().size();
  window->move(area.left() + (area.width() - outer.width()) / 2,
               area.top() + (area.height() - outer.height()) / 2);
}

void UseCloseBoxOnly(QWidget* window) {
  window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
}
