#include "tags/editor/TrackListView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalBlocker>

TrackListView::TrackListView(QWidget* parent) : QTableWidget(0, 1, parent) {
  setHorizontalHeaderLabels({QStringLiteral("Track Name")});
  setColumnWidth(0, 162);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  setShowGrid(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setTabKeyNavigation(false);  // Tab moves on to the fields, the arrow keys move the selection
}

void TrackListView::SetTracks(const std::vector<std::string>& names) {
  const QSignalBlocker quiet(this);
  setRowCount(0);
  setRowCount(static_cast<int>(names.size()));
  for (int row = 0; row < rowCount(); ++row)
    setItem(row, 0, new QTableWidgetItem(QString::fromStdString(names[static_cast<size_t>(row)])));
}

void TrackListView::SelectRow(int row) {
  setCurrentCell(row, 0);
  selectRow(row);
}

int TrackListView::SelectedRow() const {
  const QList<QTableWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : selected.first()->row();
}

void TrackListView::mouseReleaseEvent(QMouseEvent* event) {
  QTableWidget::mouseReleaseEvent(event);
  emit Clicked(event->position().toPoint());
}
