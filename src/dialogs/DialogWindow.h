// What every dialog does when it is shown: skin itself through the skin engine, take its fixed
// outer size, and sit centred over the window that owns it.
#pragma once

#include <string>

class ISkinEngine;
class QWidget;

// PrepareWindow, then ApplyWindowSkin with the dialog form. A skin failure is reported through
// the prompt seam as the application reports any uncaught error, and the dialog goes on
// unskinned: stopping its show half-way would leave it with stale content (the tag editor
// would then commit the previous opening's working copy).
void SkinDialog(ISkinEngine& skin, QWidget* dialog);

// Resizes so that the window with its frame measures width × height.
void SetOuterSize(QWidget* window, int width, int height);

// Places the window centred over its parent window (over the screen when it has none).
void CentreOverOwner(QWidget* window);

// Title bar with a close box and nothing else.
void UseCloseBoxOnly(QWidget* window);
