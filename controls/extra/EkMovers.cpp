#include "controls/extra/EkMovers.h"

#include "controls/Setters.h"

#include <QKeyEvent>
#include <QResizeEvent>
#include <cmath>

bool TMoverRange::setMax(double v) {
    if (v == max || std::isnan(v))
        return false;
    max = v;
    if (max <= min)
        max = min + 1.0;
    if (max < position)
        position = max;
    return true;
}

bool TMoverRange::setMin(double v) {
    if (v == min || std::isnan(v))
        return false;
    min = v;
    if (min >= max)
        min = max - 1.0;
    if (min > position)
        position = min;
    return true;
}

TEkMovers::TEkMovers(QWidget* parent) : TEkCustomControl(parent) {
    setTabStop(true);
}

TEkMovers::~TEkMovers() = default;

void TEkMovers::setClBkgDark(TColor c) {
    setAndRepaint(*this, clBkgDark_, c);
}
void TEkMovers::setClBkgLight(TColor c) {
    setAndRepaint(*this, clBkgLight_, c);
}
void TEkMovers::setClFrontDark(TColor c) {
    setAndRepaint(*this, clFrontDark_, c);
}
void TEkMovers::setClFrontLight(TColor c) {
    setAndRepaint(*this, clFrontLight_, c);
}
void TEkMovers::setClHotBkgDark(TColor c) {
    setAndRepaint(*this, clHotBkgDark_, c);
}
void TEkMovers::setClHotBkgLight(TColor c) {
    setAndRepaint(*this, clHotBkgLight_, c);
}
void TEkMovers::setClHotFrontDark(TColor c) {
    setAndRepaint(*this, clHotFrontDark_, c);
}
void TEkMovers::setClHotFrontLight(TColor c) {
    setAndRepaint(*this, clHotFrontLight_, c);
}

void TEkMovers::setMax(double v) {
    if (!range_.setMax(v))
        return;
    rangeChanged();
    update();
}

void TEkMovers::setMin(double v) {
    if (!range_.setMin(v))
        return;
    rangeChanged();
    update();
}

void TEkMovers::rangeChanged() {}

void TEkMovers::SetBounds(int left, int top, int width, int height) {
    setGeometry(left, top, boundedSide(width), boundedSide(height));
}

void TEkMovers::resizeEvent(QResizeEvent* event) {
    const QSize bounded(boundedSide(width()), boundedSide(height()));
    // A visible widget gets a nested resize event for the corrected size; a hidden one only
    // takes the size, so the base follows it here in either case.
    if (bounded != size())
        resize(bounded);
    TEkCustomControl::resizeEvent(event);
}

bool TEkMovers::event(QEvent* event) {
    // The arrow keys belong to the focused control: no shortcut takes them first.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int k = key->key();
        if ((k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return TEkCustomControl::event(event);
}
