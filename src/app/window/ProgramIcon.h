// The program's icon for title bars, the task bar and window switchers.
#pragma once

#include <QIcon>

// The shipped SVG icon drawn at the sizes desktops ask for (no SVG renderer needed at run time).
QIcon ProgramWindowIcon();
