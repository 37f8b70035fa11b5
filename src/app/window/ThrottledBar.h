// Sets the window's progress bar at most ten times a second. A progress bar repaints at once
// for every new value, and under X each repaint is a round trip to the server, made on the
// thread that converts between its pumps: a run that moved the bar every block spent a tenth
// more processor time than the same run on the command line. A value held back is shown by a
// timer, so the last one always shows; 0 and 100, a file's start and end, go through at once.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

class QProgressBar;

class ThrottledBar {
 public:
  explicit ThrottledBar(QProgressBar* bar);
  ThrottledBar(const ThrottledBar&) = delete;
  ThrottledBar& operator=(const ThrottledBar&) = delete;

  void SetValue(int percent);

  static constexpr int kIntervalMs = 100;

 private:
  void Show(int percent);

  QProgressBar* bar_;
  QTimer timer_;
  QElapsedTimer sinceShown_;
  int pending_ = -1;  // the value the timer will show; -1 when none waits
};
