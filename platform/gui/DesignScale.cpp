#include "platform/gui/DesignScale.h"

#include <QScreen>
#include <QWidget>

int scaleFromDesign(int designPixels, qreal logicalDpi) {
    return qRound(designPixels * logicalDpi / designPixelsPerInch);
}

int scaleFromDesign(int designPixels, const QWidget* widget) {
    if (widget == nullptr)
        return designPixels;
    const QScreen* screen = widget->screen();
    return scaleFromDesign(designPixels,
                           screen ? screen->logicalDotsPerInch() : qreal(widget->logicalDpiX()));
}
