#include "app/window/FileListWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>

namespace {

QStringList LocalFiles(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
}

}  // namespace

FileListWidget::FileListWidget(QWidget* parent) : QTableView(parent) {
  setObjectName("lv");
  setAccessibleName("File list");
  setModel(&model_);
  for (int i = 0; i < model_.columnCount(); ++i) setColumnWidth(i, FileListModel::ColumnWidth(i));
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  setShowGrid(true);
  setSortingEnabled(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  // Tab and Shift+Tab go on to the next control; the arrows move within the list.
  setTabKeyNavigation(false);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setContextMenuPolicy(Qt::CustomContextMenu);
  // Only runs change states: the row being worked on stays in view.
  connect(&model_, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& changed) { scrollTo(changed); });
}

// The columns fill the list's width exactly, so the vertical scroll bar would push the last
// one out of view behind a horizontal bar; while it shows, the last column gives way to it.
void FileListWidget::FitLastColumn() {
  const int last = model_.columnCount() - 1;
  int width = FileListModel::ColumnWidth(last);
  if (verticalScrollBar()->isVisibleTo(this)) {
    int others = 0;
    for (int column = 0; column < last; ++column) others += columnWidth(column);
    width = std::clamp(viewport()->width() - others, 0, width);
  }
  setColumnWidth(last, width);
}

// The viewport narrows and widens as the vertical scroll bar comes and goes.
void FileListWidget::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  FitLastColumn();
}

int FileListWidget::SelectedRow() const {
  const QModelIndexList selected = selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.first().row();
}

QString FileListWidget::Text(int row, int column) const {
  return model_.index(row, column).data().toString();
}

void FileListWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void FileListWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void FileListWidget::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalFiles(event->mimeData());
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  emit filesDropped(paths);
}
