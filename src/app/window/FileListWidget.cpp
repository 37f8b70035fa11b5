#include "app/window/FileListWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLocale>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>

namespace {

struct Column {
  const char* caption;
  int width;
};
constexpr Column kColumns[] = {
    {"File Name", 100}, {"File Path", 160}, {"Time", 70}, {"Size", 65}, {"State", 80}};
constexpr int kSizeColumn = 3;
constexpr int kStateColumn = 4;
constexpr int kLastColumn = kStateColumn;

// The core writes sizes with a point; the list shows the user's decimal separator.
QString LocalisedSize(const std::string& sizeText) {
  return QString::fromStdString(sizeText).replace('.', QLocale().decimalPoint());
}

QStringList LocalFiles(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
}

}  // namespace

FileListWidget::FileListWidget(QWidget* parent) : QTableWidget(0, std::size(kColumns), parent) {
  setObjectName("lv");
  setAccessibleName("File list");
  QStringList captions;
  for (int i = 0; i < columnCount(); ++i) {
    captions << kColumns[i].caption;
    setColumnWidth(i, kColumns[i].width);
  }
  setHorizontalHeaderLabels(captions);
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
}

// The columns fill the list's width exactly, so the vertical scroll bar would push the last
// one out of view behind a horizontal bar; while it shows, the last column gives way to it.
void FileListWidget::FitLastColumn() {
  int width = kColumns[kLastColumn].width;
  if (verticalScrollBar()->isVisibleTo(this)) {
    int others = 0;
    for (int column = 0; column < kLastColumn; ++column) others += columnWidth(column);
    width = std::clamp(viewport()->width() - others, 0, width);
  }
  setColumnWidth(kLastColumn, width);
}

// The viewport narrows and widens as the vertical scroll bar comes and goes.
void FileListWidget::resizeEvent(QResizeEvent* event) {
  QTableWidget::resizeEvent(event);
  FitLastColumn();
}

void FileListWidget::InsertRow(size_t row, const FileRow& entry) {
  const int at = static_cast<int>(row);
  insertRow(at);
  const std::string* texts[] = {&entry.fileName, &entry.filePath, &entry.timeText,
                                &entry.sizeText, &entry.state};
  for (int column = 0; column < columnCount(); ++column)
    setItem(at, column, new QTableWidgetItem(QString::fromStdString(*texts[column])));
  item(at, kSizeColumn)->setText(LocalisedSize(entry.sizeText));
  // The name and path columns are narrow; pointing at a row shows where its file is in full.
  const QString fullPath = QString::fromStdString(entry.filePath);
  for (int column : {0, 1}) item(at, column)->setToolTip(fullPath);
}

void FileListWidget::SetState(size_t row, const std::string& state) {
  QTableWidgetItem* cell = item(static_cast<int>(row), kStateColumn);
  if (!cell) return;
  cell->setText(QString::fromStdString(state));
  // Only runs change states: the row being worked on stays in view.
  scrollToItem(cell);
}

int FileListWidget::SelectedRow() const {
  const QList<QTableWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : selected.first()->row();
}

QString FileListWidget::Text(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell ? cell->text() : QString();
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
