// The core's file list as the window's table shows it: five columns, the size with the user's
// decimal separator, the full path as the name and path columns' tool tip. The model reads the
// core's rows directly; the window host tells it of every change as the core makes it.
#pragma once

#include <QAbstractTableModel>
#include <cstddef>

class FileList;

class FileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kStateColumn = 4;

  explicit FileListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // The list shown from now on; null shows none.
  void SetList(const FileList* rows);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The core's changes, announced before and after as it makes them.
  void BeginAdd(size_t first, size_t count);
  void EndAdd() { endInsertRows(); }
  void BeginRemove(size_t row);
  void EndRemove() { endRemoveRows(); }
  void BeginClear() { beginResetModel(); }
  void EndClear() { endResetModel(); }
  void StateChanged(size_t row);

  static int ColumnWidth(int column);

 private:
  const FileList* rows_ = nullptr;
};
