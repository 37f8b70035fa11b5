#include "app/window/FileListWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QUrl>

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
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setContextMenuPolicy(Qt::CustomContextMenu);
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
