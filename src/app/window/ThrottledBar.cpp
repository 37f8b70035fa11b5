#include "app/window/ThrottledBar.h"

#include <QProgressBar>

ThrottledBar::ThrottledBar(QProgressBar* bar) : bar_(bar) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (pending_ >= 0) Show(pending_);
  });
}

void ThrottledBar::SetValue(int percent) {
  const bool due = !sinceShown_.isValid() || sinceShown_.elapsed() >= kIntervalMs;
  if (due || percent == 0 || percent == 100) return Show(percent);
  pending_ = percent;
  if (!timer_.isActive())
    timer_.start(static_cast<int>(kIntervalMs - sinceShown_.elapsed()));
}

void ThrottledBar::Show(int percent) {
  pending_ = -1;
  timer_.stop();
  sinceShown_.restart();
  bar_->setValue(percent);
}
