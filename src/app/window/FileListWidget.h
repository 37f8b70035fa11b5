// The file list on screen (`lv`): five columns, grid lines, one whole row selected at a time,
// no sorting. Files dropped on it are handed on by filesDropped. Tab leaves the list.
#pragma once

#include <QStringList>
#include <QTableWidget>
#include <string>

#include "app/FileList.h"

class FileListWidget : public QTableWidget {
  Q_OBJECT
 public:
  explicit FileListWidget(QWidget* parent = nullptr);

  void InsertRow(size_t row, const FileRow& entry);
  void SetState(size_t row, const std::string& state);
  // The selected row, or -1.
  int SelectedRow() const;
  QString Text(int row, int column) const;

 signals:
  void filesDropped(const QStringList& paths);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FitLastColumn();
};
