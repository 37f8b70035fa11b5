// The tag editor's track list: one column "Track Name" with grid lines, one whole row selected
// at a time. It reports every mouse click, also one on the empty area below the last row,
// after it has updated its own selection.
#pragma once

#include <QTableWidget>
#include <string>
#include <vector>

class TrackListView : public QTableWidget {
  Q_OBJECT
 public:
  explicit TrackListView(QWidget* parent = nullptr);

  // Replaces the rows, one per name, without announcing selection changes.
  void SetTracks(const std::vector<std::string>& names);
  void SelectRow(int row);
  // The selected row, or -1.
  int SelectedRow() const;

 signals:
  void Clicked(const QPoint& at);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};
