#include "app/window/FileListModel.h"

#include <QLocale>
#include <iterator>

#include "app/FileList.h"

namespace {

struct Column {
  const char* caption;
  int width;
};
constexpr Column kColumns[] = {
    {"File Name", 100}, {"File Path", 160}, {"Time", 70}, {"Size", 65}, {"State", 80}};
constexpr int kNameColumn = 0;
constexpr int kPathColumn = 1;
constexpr int kSizeColumn = 3;

QString ColumnText(const FileRow& row, int column) {
  const std::string* texts[] = {&row.fileName, &row.filePath, &row.timeText, &row.sizeText,
                                &row.state};
  QString text = QString::fromStdString(*texts[column]);
  // The core writes sizes with a point; the list shows the user's decimal separator.
  if (column == kSizeColumn) text.replace('.', QLocale().decimalPoint());
  return text;
}

}  // namespace

void FileListModel::SetList(const FileList* rows) {
  beginResetModel();
  rows_ = rows;
  endResetModel();
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !rows_ ? 0 : static_cast<int>(rows_->size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(std::size(kColumns));
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!rows_ || !index.isValid() || static_cast<size_t>(index.row()) >= rows_->size())
    return QVariant();
  const FileRow& row = (*rows_)[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) return ColumnText(row, index.column());
  // The name and path columns are narrow; pointing at a row shows where its file is in full.
  if (role == Qt::ToolTipRole && (index.column() == kNameColumn || index.column() == kPathColumn))
    return QString::fromStdString(row.filePath);
  return QVariant();
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= columnCount())
    return QVariant();
  return QString(kColumns[section].caption);
}

void FileListModel::BeginAdd(size_t first, size_t count) {
  beginInsertRows(QModelIndex(), static_cast<int>(first), static_cast<int>(first + count - 1));
}

void FileListModel::BeginRemove(size_t row) {
  beginRemoveRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row));
}

void FileListModel::StateChanged(size_t row) {
  const QModelIndex cell = index(static_cast<int>(row), kStateColumn);
  emit dataChanged(cell, cell, {Qt::DisplayRole});
}

int FileListModel::ColumnWidth(int column) { return kColumns[column].width; }
