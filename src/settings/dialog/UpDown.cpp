#include "settings/dialog/UpDown.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString GroupedThousands(int value) {
  QString digits = QString::number(value < 0 ? -static_cast<long long>(value) : value);
  for (int at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, QLatin1Char(','));
  return value < 0 ? QStringLiteral("-") + digits : digits;
}

QToolButton* ArrowButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setAutoRepeat(true);
  button->setFocusPolicy(Qt::NoFocus);  // the keyboard steps through the box's arrow keys
  button->setFixedSize(16, 11);
  return button;
}

}  // namespace

UpDown::UpDown(int minimum, int maximum, QLineEdit* buddy, bool thousandsSeparator,
               QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      position_(minimum),
      thousandsSeparator_(thousandsSeparator),
      buddy_(buddy),
      up_(ArrowButton(Qt::UpArrow, this)),
      down_(ArrowButton(Qt::DownArrow, this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up_);
  layout->addWidget(down_);
  connect(up_, &QToolButton::clicked, this, [this] { SetPosition(position_ + 1); });
  connect(down_, &QToolButton::clicked, this, [this] { SetPosition(position_ - 1); });
  buddy_->setText(PositionText());
  buddy_->installEventFilter(this);
}

int UpDown::Clamp(int position) const {
  return position < minimum_ ? minimum_ : (position > maximum_ ? maximum_ : position);
}

QString UpDown::PositionText() const {
  return thousandsSeparator_ ? GroupedThousands(position_) : QString::number(position_);
}

void UpDown::SetPosition(int position) {
  position = Clamp(position);
  if (position == position_) return;
  position_ = position;
  buddy_->setText(PositionText());
  emit PositionChanged(position_);
}

void UpDown::SetPositionKeepingText(int position) {
  position = Clamp(position);
  if (position == position_) return;
  position_ = position;
  emit PositionChanged(position_);
}

void UpDown::NameFor(const QString& label) {
  setAccessibleName(label);
  up_->setAccessibleName(label + QStringLiteral(" up"));
  down_->setAccessibleName(label + QStringLiteral(" down"));
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      SetPosition(position_ + (key == Qt::Key_Up ? 1 : -1));
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}
