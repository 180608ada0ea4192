#include "platform/gui/DesignScale.h"

#include <QScreen>
#include <QWidget>

int scaleFromDesign(int designPixels, int logicalDpi) {
    return designPixels * logicalDpi / kDesignPixelsPerInch;
}

int scaleFromDesign(int designPixels, const QWidget* widget) {
    if (widget == nullptr)
        return designPixels;
    const QScreen* screen = widget->screen();
    return scaleFromDesign(designPixels,
                           screen ? qRound(screen->logicalDotsPerInch()) : widget->logicalDpiX());
}
