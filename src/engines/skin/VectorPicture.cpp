#include "engines/skin/VectorPicture.h"

#include "engines/skin/SkinColour.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

constexpr double kCanvas = 24.0;

// How many numbers each shape takes; -1: an even count of at least four (point lists).
const std::map<std::string, int> kShapeArity = {
    {"line", 4}, {"rect", 4}, {"circle", 3}, {"polygon", -1}, {"polyline", -1}};

double ParseNumber(const std::string& word, const std::string& command) {
  std::istringstream in(word);
  double value = 0;
  if (!(in >> value) || !in.eof()) throw std::invalid_argument("not a number \"" + word +
                                                               "\" in \"" + command + "\"");
  return value;
}

QPolygonF Points(const std::vector<double>& numbers) {
  QPolygonF points;
  for (size_t i = 0; i + 1 < numbers.size(); i += 2) points << QPointF(numbers[i], numbers[i + 1]);
  return points;
}

}  // namespace

VectorPicture::Command VectorPicture::ParseCommand(const std::string& text) {
  std::istringstream words(text);
  Command command;
  words >> command.verb;
  if (command.verb == "stroke" || command.verb == "fill") {
    words >> command.colour;
    if (command.colour != "none" && !IsSkinColour(command.colour))
      throw std::invalid_argument("\"" + text + "\" needs a colour #rrggbb or none");
  }
  std::string word;
  while (words >> word) command.numbers.push_back(ParseNumber(word, text));
  if (command.verb == "stroke" || command.verb == "fill") {
    size_t wanted = command.verb == "stroke" && command.colour != "none" ? 1 : 0;
    if (command.numbers.size() != wanted)
      throw std::invalid_argument("\"" + text + "\" has the wrong number of values");
    return command;
  }
  auto shape = kShapeArity.find(command.verb);
  if (shape == kShapeArity.end()) throw std::invalid_argument("unknown drawing command \"" + text + "\"");
  size_t count = command.numbers.size();
  bool fits = shape->second < 0 ? count >= 4 && count % 2 == 0
                                : count == static_cast<size_t>(shape->second);
  if (!fits) throw std::invalid_argument("\"" + text + "\" has the wrong number of values");
  return command;
}

VectorPicture VectorPicture::Parse(const std::string& commands) {
  VectorPicture picture;
  std::istringstream in(commands);
  std::string part;
  while (std::getline(in, part, ';')) {
    if (part.find_first_not_of(" \t") == std::string::npos) continue;
    picture.commands_.push_back(ParseCommand(part));
  }
  if (picture.commands_.empty()) throw std::invalid_argument("the picture is empty");
  return picture;
}

QPixmap VectorPicture::Render(int size) const {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / kCanvas, size / kCanvas);
  QPen pen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  for (const Command& command : commands_) {
    const std::vector<double>& n = command.numbers;
    if (command.verb == "stroke") {
      if (command.colour == "none") {
        painter.setPen(Qt::NoPen);
      } else {
        pen.setColor(QColor(QString::fromStdString(command.colour)));
        pen.setWidthF(n[0]);
        painter.setPen(pen);
      }
    } else if (command.verb == "fill") {
      painter.setBrush(command.colour == "none" ? QBrush(Qt::NoBrush)
                                                : QBrush(QColor(QString::fromStdString(command.colour))));
    } else if (command.verb == "line") {
      painter.drawLine(QPointF(n[0], n[1]), QPointF(n[2], n[3]));
    } else if (command.verb == "rect") {
      painter.drawRect(QRectF(n[0], n[1], n[2], n[3]));
    } else if (command.verb == "circle") {
      painter.drawEllipse(QPointF(n[0], n[1]), n[2], n[2]);
    } else if (command.verb == "polygon") {
      painter.drawPolygon(Points(n));
    } else if (command.verb == "polyline") {
      painter.drawPolyline(Points(n));
    }
  }
  return pixmap;
}
