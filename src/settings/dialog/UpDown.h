// An up-down counter attached to an edit box: it holds a position within fixed bounds (no
// wrap-around), writes the position into the box whenever the position changes, and steps with
// its two arrow buttons or the arrow keys pressed in the box.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class UpDown : public QWidget {
  Q_OBJECT
 public:
  // `thousandsSeparator` writes 1000 as "1,000". The box shows the starting position (`minimum`).
  UpDown(int minimum, int maximum, QLineEdit* buddy, bool thousandsSeparator,
         QWidget* parent = nullptr);

  int Position() const { return position_; }
  // Clamped to the bounds; the box is rewritten only when the position changes.
  void SetPosition(int position);
  // Clamped as well, but the box is left alone (an emptied box stays empty).
  void SetPositionKeepingText(int position);
  QString PositionText() const;
  // Gives the arrow buttons accessible names built from the label of the counted value.
  void NameFor(const QString& label);

 signals:
  void PositionChanged(int position);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int Clamp(int position) const;

  int minimum_;
  int maximum_;
  int position_;
  bool thousandsSeparator_;
  QLineEdit* buddy_;
  QToolButton* up_;
  QToolButton* down_;
};
