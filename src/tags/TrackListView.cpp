#include "tags/TrackListView.h"

#include <QMouseEvent>

void TrackListView::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidget::mouseReleaseEvent(event);
  emit Clicked(event->position().toPoint());
}
