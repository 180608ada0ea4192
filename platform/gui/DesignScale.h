// Window and control sizes are designed at 144 pixels per inch; the screen decides the rest.
#pragma once

#include <QtGlobal>

class QWidget;

inline constexpr int kDesignPixelsPerInch = 144;

// designPixels * logicalDpi / 144 in integer division (so 24 becomes 16 at 96 dpi).
int scaleFromDesign(int designPixels, int logicalDpi);

// The same with the logical dots per inch of the screen `widget` is on (its own DPI when it has
// no screen yet; 144 for a null widget, which leaves the size as designed).
int scaleFromDesign(int designPixels, const QWidget* widget);
