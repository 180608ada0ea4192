#include "controls/extra/EkColorPal.h"

#include "controls/Setters.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kDefaultWidth = 200;
constexpr int kDefaultHeight = 100;

// The HLS scale of FindColor: 0..240 for hue, saturation and luminance.
constexpr int kHlsMax = 240;
constexpr int kRgbMax = 255;

// The crosshair: four 13-pixel arms around a 3 x 3 gap, repainted as a 31 x 31 square.
constexpr int kCrossArmStart = 2;
constexpr int kCrossArmLength = 13;
constexpr int kCrossReach = 15;
// Palette grey below which the crosshair is drawn white.
constexpr int kCrossWhiteBelowGrey = 111;

// Hue segments need two pixels each, the lightness axis four entries.
constexpr int kMinHueSegment = 2;
constexpr int kMinLightnessAxis = 4;

// The left button's press, shared by every palette of the program.
bool leftButtonDown = false;
int downX = 0;
int downY = 0;

// One pixel of the 24-bit palette image, in memory order.
struct Bgr {
    uint8_t b, g, r;
};
static_assert(sizeof(Bgr) == 3);

TPixel pixelOf(Bgr c) {
    return makePixel(c.r, c.g, c.b);
}
uint8_t* bytesOf(Bgr* p) {
    return reinterpret_cast<uint8_t*>(p);
}
Bgr* rowOf(QImage& image, int y) {
    return reinterpret_cast<Bgr*>(image.scanLine(y));
}

// The channel shuffles that turn the first hue segment into the other five; each names the
// (red, green, blue) of the result.
Bgr swapRedGreen(Bgr c) {
    return {c.b, c.r, c.g};
}
Bgr swapGreenBlue(Bgr c) {
    return {c.g, c.b, c.r};
}
Bgr swapRedBlue(Bgr c) {
    return {c.r, c.g, c.b};
}
Bgr blueRedGreen(Bgr c) {
    return {c.g, c.r, c.b};
}
Bgr greenBlueRed(Bgr c) {
    return {c.r, c.b, c.g};
}
Bgr brightest(Bgr a, Bgr b) {
    return {std::max(a.b, b.b), std::max(a.g, b.g), std::max(a.r, b.r)};
}

// The lightness axis: `upper` entries from the top colour to the hue, then `lower` entries from
// the hue to the bottom colour. Pastel moves the hue away from the middle, towards the white end.
struct LightnessAxis {
    int length = 0;
    int upper = 0;
    int lower = 0;
    TPixel top = 0;
    TPixel bottom = 0;
};

LightnessAxis lightnessAxis(int length, bool white2Black, uint8_t pastel) {
    const TPixel white = makePixel(255, 255, 255);
    const TPixel black = makePixel(0, 0, 0);
    const int half = length / 2;
    const int shifted = half + (pastel * half) / 256;
    LightnessAxis axis;
    axis.length = length;
    axis.upper = white2Black ? length - shifted : shifted;
    axis.lower = length - axis.upper;
    axis.top = white2Black ? white : black;
    axis.bottom = white2Black ? black : white;
    return axis;
}

// axis.length entries of colour c along the lightness axis. A part of one entry is c itself
// (the ramp's own guard).
void lightnessLine(Bgr* dst, const LightnessAxis& axis, TPixel c) {
    if (axis.upper > 1) {
        fillColorRamp24(bytesOf(dst), axis.upper, axis.top, c);
        fillColorRamp24(bytesOf(dst + axis.upper), axis.lower, c, axis.bottom);
    } else {
        fillColorRamp24(bytesOf(dst), axis.length, c, axis.bottom);
    }
}

// The hue segment along an axis of `extent` pixels: (extent - 3 - graySize) / 6, or 0 when
// that is below two pixels (too short to interpolate).
int hueSegment(int extent, int graySize) {
    const int64_t segment = (int64_t(extent) - 3 - graySize) / 6;
    return segment < kMinHueSegment ? 0 : int(segment);
}

// Red byte of the HLS-to-RGB conversion at hue 0 (0..240 scale): there red is the conversion's
// upper magic value.
int hlsRedAtHueZero(int luminance, int saturation) {
    const int upper = luminance <= kHlsMax / 2
                          ? (luminance * (kHlsMax + saturation) + kHlsMax / 2) / kHlsMax
                          : luminance + saturation - (luminance * saturation + kHlsMax / 2) / kHlsMax;
    return (upper * kRgbMax + kHlsMax / 2) / kHlsMax;
}

int clampToSide(int v, int side) {
    return std::max(0, std::min(v, side - 1));
}

QRect crossArea(int x, int y) {
    return QRect(x - kCrossReach, y - kCrossReach, 2 * kCrossReach + 1, 2 * kCrossReach + 1);
}

QPoint arrowStep(int key) {
    switch (key) {
    case Qt::Key_Left:
        return QPoint(-1, 0);
    case Qt::Key_Right:
        return QPoint(1, 0);
    case Qt::Key_Up:
        return QPoint(0, -1);
    case Qt::Key_Down:
        return QPoint(0, 1);
    default:
        return QPoint();
    }
}

} // namespace

TEkColorPal::TEkColorPal(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    // The palette covers every pixel: nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Qt's double-click distance is already a distance from the press, half the rectangle.
    clickTolerance_ = QGuiApplication::styleHints()->mouseDoubleClickDistance();
    resize(kDefaultWidth, kDefaultHeight);
}

// --- settings -------------------------------------------------------------------------------------

void TEkColorPal::setGraySize(int value) {
    // A negative band would make the hue part longer than the scan line.
    setAndRepaint(*this, graySize_, std::max(value, 0), &paletteDirty_);
}
void TEkColorPal::setOrientation(TCpOrientation value) {
    setAndRepaint(*this, orientation_, value, &paletteDirty_);
}
void TEkColorPal::setPastel(int value) {
    setAndRepaint(*this, pastel_, uint8_t(std::clamp(value, 0, 255)), &paletteDirty_);
}
void TEkColorPal::setWhite2Black(bool value) {
    setAndRepaint(*this, white2Black_, value, &paletteDirty_);
}
void TEkColorPal::setHotTrack(bool value) {
    setAndRepaint(*this, hotTrack_, value);
}
void TEkColorPal::setNoRightSelect(bool value) {
    setAndRepaint(*this, noRightSelect_, value);
}

// --- building the palette -------------------------------------------------------------------------

void TEkColorPal::followSize() {
    const int cx = width();
    const int cy = height();
    const int oldWidth = paletteBitmap_.width();
    const int oldHeight = paletteBitmap_.height();
    if (oldWidth == cx && oldHeight == cy)
        return;
    if (oldWidth > 0 && oldHeight > 0) {
        // The crosshair keeps its relative place: cursor * new / old, to the nearest pixel.
        cursorX_ = clampToSide(int(cursorX_ * double(cx) / oldWidth + 0.5), cx);
        cursorY_ = clampToSide(int(cursorY_ * double(cy) / oldHeight + 0.5), cy);
    }
    paletteBitmap_ = QImage();
    if (cx > 0 && cy > 0) {
        paletteBitmap_ = QImage(cx, cy, QImage::Format_BGR888);
        paletteBitmap_.fill(Qt::white);
    }
    paletteDirty_ = true;
}

void TEkColorPal::CreateColorPal(const TRect& r) {
    paletteRect_ = r;
    if (orientation_ == tcpHorizontal)
        CreateColorPalHorz(paletteBitmap_, r.width(), r.height(), white2Black_, pastel_);
    else
        CreateColorPalVert(paletteBitmap_, r.width(), r.height(), white2Black_, pastel_);
    paletteDirty_ = false;
}

bool TEkColorPal::CreateColorPalHorz(QImage& bitmap, int width, int height, bool toBlack, uint8_t tint) {
    const int seg = hueSegment(width, graySize_);
    if (bitmap.width() < width || bitmap.height() < height || height < kMinLightnessAxis || seg == 0)
        return false;
    const LightnessAxis axis = lightnessAxis(height, toBlack, tint);
    // Column tables: red (c0) and yellow (c1) tinted by the pastel, and the grey band.
    const size_t rows = size_t(height);
    std::vector<Bgr> red(rows), yellow(rows), grey(rows);
    lightnessLine(red.data(), axis, makePixel(255, tint, tint));
    lightnessLine(yellow.data(), axis, makePixel(255, 255, tint));
    fillColorRamp24(bytesOf(grey.data()), height, axis.top, axis.bottom);

    const int run = 2 * seg + 1;
    for (int y = 0; y < height; ++y) {
        Bgr* line = rowOf(bitmap, y);
        fillColorRamp24(bytesOf(line), seg, pixelOf(red[size_t(y)]), pixelOf(yellow[size_t(y)]));
        for (int i = 0; i < seg; ++i)
            line[2 * seg - i] = swapRedGreen(line[i]);
        line[seg] = brightest(line[seg - 1], line[seg + 1]);
        // Red-yellow-green turned into green-cyan-blue and blue-magenta-red; the runs share
        // their end pixels.
        for (int k = 0; k < run; ++k) {
            line[run - 1 + k] = blueRedGreen(line[k]);
            line[2 * run - 1 + k] = greenBlueRed(line[k]);
        }
        std::fill(line + 3 * run - 1, line + width, grey[size_t(y)]);
    }
    hueLength_ = 3 * run - 1;
    return true;
}

bool TEkColorPal::CreateColorPalVert(QImage& bitmap, int width, int height, bool toBlack, uint8_t tint) {
    const int seg = hueSegment(height, graySize_);
    if (bitmap.width() < width || bitmap.height() < height || width < kMinLightnessAxis || seg == 0)
        return false;
    const LightnessAxis axis = lightnessAxis(width, toBlack, tint);
    const size_t entries = size_t(seg);
    std::vector<Bgr> hue(entries);
    fillColorRamp24(bytesOf(hue.data()), seg, makePixel(255, tint, tint), makePixel(255, 255, tint));

    const auto mapRow = [&](int dst, int src, Bgr (*shuffle)(Bgr)) {
        Bgr* to = rowOf(bitmap, dst);
        const Bgr* from = rowOf(bitmap, src);
        for (int x = 0; x < width; ++x)
            to[x] = shuffle(from[x]);
    };
    for (int i = 0; i < seg; ++i) {
        const int j = 2 * seg - i;
        lightnessLine(rowOf(bitmap, i), axis, pixelOf(hue[size_t(i)]));
        mapRow(j, i, swapRedGreen);
        mapRow(i + 2 * seg, i, blueRedGreen);
        mapRow(i + 4 * seg, i + 2 * seg, blueRedGreen);
        mapRow(j + 2 * seg, i + 2 * seg, swapGreenBlue);
        mapRow(j + 4 * seg, i + 4 * seg, swapRedBlue);
    }
    for (int middle : {seg, 3 * seg, 5 * seg}) {
        Bgr* row = rowOf(bitmap, middle);
        const Bgr* above = rowOf(bitmap, middle - 1);
        const Bgr* below = rowOf(bitmap, middle + 1);
        for (int x = 0; x < width; ++x)
            row[x] = brightest(above[x], below[x]);
    }
    hueLength_ = 6 * seg;
    fillColorRamp24(bitmap.scanLine(hueLength_), width, axis.top, axis.bottom);
    for (int y = hueLength_ + 1; y < height; ++y)
        std::memcpy(bitmap.scanLine(y), bitmap.scanLine(hueLength_), size_t(width) * sizeof(Bgr));
    return true;
}

int TEkColorPal::getColorCount() const {
    const int w = paletteBitmap_.width();
    const int h = paletteBitmap_.height();
    std::vector<uint32_t> values;
    values.reserve(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const Bgr* line = reinterpret_cast<const Bgr*>(paletteBitmap_.constScanLine(y));
        for (int x = 0; x < w; ++x)
            values.push_back(uint32_t(line[x].b) << 16 | uint32_t(line[x].g) << 8 | line[x].r);
    }
    std::sort(values.begin(), values.end());
    return int(std::unique(values.begin(), values.end()) - values.begin());
}

// --- finding colours --------------------------------------------------------------------------------

int TEkColorPal::findPastel([[maybe_unused]] int hue, int saturation, int luminance) {
    // Worked in double; both divisors kept at 1 or more, so a control only a pixel or two high
    // still gives a number.
    const int h = height();
    const double halfHeight = std::max(1, h / 2);
    const double red = hlsRedAtHueZero(luminance, saturation);
    const double distance = std::max(1, luminance > 0 ? h * luminance / kHlsMax : 0);
    double angle = std::atan(red / distance);
    if (!(angle > 0))
        angle = 0.1;
    const double v = 255 / std::tan(angle);
    // Clamped before the conversion to int, which truncates towards zero.
    setPastel(int(std::clamp((v - halfHeight) / halfHeight * 256, -1.0, 256.0)));
    return pastel_;
}

int TEkColorPal::FindColor(int hue, int saturation, int luminance, bool applyPastel) {
    hue = std::clamp(hue, 0, kHlsMax);
    saturation = std::clamp(saturation, 0, kHlsMax);
    luminance = std::clamp(luminance, 0, kHlsMax);
    const int p =
        saturation == 0 ? 255 : (saturation == kHlsMax ? 0 : findPastel(hue, saturation, luminance));
    if (applyPastel)
        setPastel(p);
    const int alongHue = hue * hueLength_ / kHlsMax;
    const bool horizontal = orientation_ == tcpHorizontal;
    const int across = horizontal ? height() : width();
    const int v = luminance > 0 ? across * luminance / kHlsMax : 0;
    const int alongLightness = white2Black_ ? across - v : v;
    if (horizontal)
        moveCursor(alongHue, alongLightness);
    else
        moveCursor(alongLightness, alongHue);
    return p;
}

TEkColor TEkColorPal::pixelColor(int x, int y) const {
    if (x < 0 || y < 0 || x >= paletteBitmap_.width() || y >= paletteBitmap_.height())
        return TEkColor();
    const Bgr c = reinterpret_cast<const Bgr*>(paletteBitmap_.constScanLine(y))[x];
    return TEkColor(c.r, c.g, c.b);
}

TEkColor TEkColorPal::getColor() {
    color_ = pixelColor(cursorX_, cursorY_);
    return color_;
}

void TEkColorPal::SetCrossPos(int x, int y) {
    color_ = pixelColor(x, y);
    emit colorChange(color_);
    moveCursor(x, y);
}

// --- the crosshair ------------------------------------------------------------------------------------

void TEkColorPal::moveCursor(int x, int y) {
    x = clampToSide(x, width());
    y = clampToSide(y, height());
    if (x == cursorX_ && y == cursorY_)
        return;
    update(crossArea(cursorX_, cursorY_));
    cursorX_ = x;
    cursorY_ = y;
    update(crossArea(cursorX_, cursorY_));
}

void TEkColorPal::drawCursor(QPainter& canvas, int x, int y) const {
    const TEkColor under = pixelColor(x, y);
    const bool dark = greyLevel(colorToPixel(under)) < kCrossWhiteBelowGrey;
    const QColor pen = dark ? Qt::white : Qt::black;
    const int nearArm = kCrossArmStart;
    const int farArm = kCrossArmStart + kCrossArmLength - 1;
    canvas.fillRect(QRect(x - farArm, y, kCrossArmLength, 1), pen);
    canvas.fillRect(QRect(x + nearArm, y, kCrossArmLength, 1), pen);
    canvas.fillRect(QRect(x, y - farArm, 1, kCrossArmLength), pen);
    canvas.fillRect(QRect(x, y + nearArm, 1, kCrossArmLength), pen);
}

void TEkColorPal::changeCursor(bool hide) {
    if (hide)
        setCursor(Qt::BlankCursor);
    else
        unsetCursor();
}

void TEkColorPal::trackTo(int x, int y) {
    moveCursor(x, y);
    color_ = pixelColor(cursorX_, cursorY_);
    emit colorChange(color_);
}

// --- painting and events ----------------------------------------------------------------------------

void TEkColorPal::paintEvent(QPaintEvent*) {
    followSize();
    const TRect r(0, 0, width(), height());
    if (r != paletteRect_ || paletteDirty_)
        CreateColorPal(r);
    {
        QPainter canvas(this);
        canvas.drawImage(paletteRect_.left, paletteRect_.top, paletteBitmap_);
        drawCursor(canvas, cursorX_, cursorY_);
    }
    emit colorChange(getColor());
    emit paintDone();
}

void TEkColorPal::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    followSize();
}

bool TEkColorPal::tracking(Qt::KeyboardModifiers modifiers) const {
    return hotTrack_ != modifiers.testFlag(Qt::ControlModifier);
}

void TEkColorPal::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        leftButtonDown = true;
        downX = p.x();
        downY = p.y();
        moveCursor(p.x(), p.y());
        if (tracking(event->modifiers()) && paletteRect_.contains(p.x(), p.y())) {
            leftPick_ = pixelColor(p.x(), p.y());
            emit colorPickLeft(leftPick_);
        } else {
            color_ = pixelColor(p.x(), p.y());
            emit colorChange(color_);
        }
    } else if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        if (!noRightSelect_ && paletteRect_.contains(p.x(), p.y())) {
            rightPick_ = pixelColor(p.x(), p.y());
            emit colorPickRight(rightPick_);
            moveCursor(p.x(), p.y());
        }
    }
}

void TEkColorPal::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    const QPoint p = event->position().toPoint();
    const bool track = tracking(event->modifiers());
    changeCursor(track);
    if ((leftButtonDown || track) && paletteRect_.contains(p.x(), p.y()))
        trackTo(p.x(), p.y());
}

void TEkColorPal::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    const bool click = std::abs(p.x() - downX) < clickTolerance_ && std::abs(p.y() - downY) < clickTolerance_;
    if (!tracking(event->modifiers()) && click) {
        leftPick_ = pixelColor(downX, downY);
        if (isSignalConnected(QMetaMethod::fromSignal(&TEkColorPal::colorPickLeft))) {
            emit colorPickLeft(leftPick_);
            moveCursor(downX, downY);
        }
        color_ = leftPick_;
        emit colorChange(color_);
    }
    leftButtonDown = false;
}

void TEkColorPal::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    // Qt's enter events carry no modifiers: the keyboard is asked as it is now.
    if (!QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier))
        changeCursor(true);
}

void TEkColorPal::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    changeCursor(false);
}

void TEkColorPal::keyPressEvent(QKeyEvent* event) {
    if (arrowStep(event->key()).isNull()) {
        QWidget::keyPressEvent(event);
        return;
    }
    ArrowKey(event->key(), event->modifiers());
    event->accept();
}

void TEkColorPal::ArrowKey(int key, [[maybe_unused]] Qt::KeyboardModifiers modifiers) {
    const QPoint step = arrowStep(key);
    if (step.isNull())
        return;
    if (!hotTrack_) {
        trackTo(cursorX_ + step.x(), cursorY_ + step.y());
        return;
    }
    // The pointer moves and the crosshair follows it through the mouse-move handling.
    QPoint local = mapFromGlobal(QCursor::pos() + step);
    if (!rect().contains(local))
        local = QPoint(cursorX_, cursorY_);
    local = QPoint(clampToSide(local.x(), width()), clampToSide(local.y(), height()));
    const QPoint target = mapToGlobal(local);
    QCursor::setPos(target);
    // A platform that lets no program move the pointer (Wayland) leaves it where it was; the
    // crosshair then moves by itself, one step from where it stands.
    if (QCursor::pos() != target)
        trackTo(cursorX_ + step.x(), cursorY_ + step.y());
}
