// Combo boxes that a screen reader announces by their label.
//
// On Linux Qt reports a combo box's current entry as its accessible name ("MP3", "44100 Hz"),
// whatever name the box was given, so a screen reader reads out the value and never the
// label. Boxes made here report their name (the label) as name and the entry as value; an
// editable box's edit field carries the label too.
#pragma once

class QComboBox;
class QString;
class QWidget;

QComboBox* NewLabelledComboBox(QWidget* parent, const QString& label, bool editable = false);
