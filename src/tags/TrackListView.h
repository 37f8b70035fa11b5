// The tag editor's track list: a one-column list that reports every mouse click, also one on
// the empty area below the last row, after the list has updated its own selection.
#pragma once

#include <QTreeWidget>

class TrackListView : public QTreeWidget {
  Q_OBJECT
 public:
  using QTreeWidget::QTreeWidget;

 signals:
  void Clicked(const QPoint& at);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};
