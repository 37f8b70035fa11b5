// The row of clickable objects on a window: one tool button per object, with its picture,
// caption and hint. Every click goes out through `events`. Used by the skin for its objects
// and by an unskinned window for plain buttons of the same names.
#pragma once

#include <QPixmap>
#include <QString>
#include <vector>

class QWidget;
class SkinEvents;
class ISkinObject;

struct StripEntry {
  ISkinObject* object;  // not owned; must outlive the strip
  QString caption;
  QString hint;
  QPixmap picture;  // may be null for a plain button
};

// Replaces whatever `host` held with one button per entry, left to right, each named
// "skin_" + the object's name.
void BuildSkinStrip(QWidget* host, const std::vector<StripEntry>& entries, SkinEvents& events);
