// The pictures of skin objects: a few drawing commands on a 24 × 24 canvas, separated by ";".
//   stroke #rrggbb WIDTH | stroke none     fill #rrggbb | fill none
//   line X1 Y1 X2 Y2    rect X Y W H    circle CX CY R
//   polygon X Y X Y ... (closed)        polyline X Y X Y ... (open)
// Numbers may have decimals. Drawn with antialiasing, scaled to any size.
#pragma once

#include <QPixmap>
#include <string>
#include <vector>

class VectorPicture {
 public:
  // Throws std::invalid_argument naming the faulty command.
  static VectorPicture Parse(const std::string& commands);

  QPixmap Render(int size) const;

 private:
  struct Command {
    std::string verb;
    std::string colour;  // stroke and fill; "none" for none
    std::vector<double> numbers;
  };
  static Command ParseCommand(const std::string& text);

  std::vector<Command> commands_;
};
