#include "engines/skin/SkinStrip.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "engines/skin/SkinObject.h"

namespace {

constexpr int kPictureSize = 20;

void ClearHost(QWidget* host) {
  for (QWidget* child : host->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    delete child;
  delete host->layout();
}

QToolButton* MakeButton(QWidget* host, const StripEntry& entry, SkinEvents& events) {
  auto* button = new QToolButton(host);
  button->setObjectName(QString::fromStdString("skin_" + entry.object->Name()));
  button->setText(entry.caption);
  button->setAccessibleName(entry.caption);
  button->setToolTip(entry.hint);
  button->setAccessibleDescription(entry.hint);
  button->setFocusPolicy(Qt::StrongFocus);
  button->setAutoRaise(true);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  if (!entry.picture.isNull()) {
    button->setIcon(QIcon(entry.picture));
    button->setIconSize(QSize(kPictureSize, kPictureSize));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  } else {
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(false);
  }
  ISkinObject* object = entry.object;
  QObject::connect(button, &QToolButton::clicked, &events, [&events, object] { events.Click(object); });
  return button;
}

}  // namespace

void BuildSkinStrip(QWidget* host, const std::vector<StripEntry>& entries, SkinEvents& events) {
  ClearHost(host);
  auto* layout = new QHBoxLayout(host);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->setSpacing(2);
  for (const StripEntry& entry : entries) layout->addWidget(MakeButton(host, entry, events));
}
