// The file list on screen (`lv`): the core's list through FileListModel, five columns, grid
// lines, one whole row selected at a time, no sorting. Files dropped on it are handed on by
// filesDropped. Tab leaves the list; a row whose state changes is scrolled into view.
#pragma once

#include <QStringList>
#include <QTableView>

#include "app/window/FileListModel.h"

class FileListWidget : public QTableView {
  Q_OBJECT
 public:
  explicit FileListWidget(QWidget* parent = nullptr);

  FileListModel& rows() { return model_; }
  int rowCount() const { return model_.rowCount(); }
  int columnCount() const { return model_.columnCount(); }
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

  FileListModel model_;
};
