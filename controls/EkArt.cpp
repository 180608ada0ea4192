#include "controls/EkArt.h"

#include "controls/Setters.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace {

constexpr int kDefaultSide = 23;

bool isCorner(TEkArtType type) {
    return type >= aatCornerNW && type <= aatCornerSW;
}

bool isEnd(TEkArtType type) {
    return type >= aatEndDown && type <= aatEndRight;
}

} // namespace

TEkArt::TEkArt(QWidget* parent) : QWidget(parent), bitmap_(std::make_unique<TEkBmp>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves are reported without a button held, too.
    setMouseTracking(true);
    resize(kDefaultSide, kDefaultSide);
}

TEkArt::~TEkArt() = default;

// --- properties -------------------------------------------------------------------------------

void TEkArt::changed() {
    dirty_ = true;
    update();
}

void TEkArt::setGradiDark(TColor c) {
    setAndRepaint(*this, clGradiDark_, c, &dirty_);
}
void TEkArt::setGradiLight(TColor c) {
    setAndRepaint(*this, clGradiLight_, c, &dirty_);
}
void TEkArt::setArtStyle(TEkGradyStyle style) {
    setAndRepaint(*this, artStyle_, style, &dirty_);
}
void TEkArt::setArtType(TEkArtType type) {
    setAndRepaint(*this, artType_, type, &dirty_);
}
void TEkArt::setPipeShadow(int value) {
    setAndRepaint(*this, pipeShadow_, std::clamp(value, 0, 255), &dirty_);
}

void TEkArt::setAlign(TAlign value) {
    if (assignChanged(align_, value) && parentWidget() && parentWidget()->layout())
        parentWidget()->layout()->invalidate();
}

void TEkArt::watchNeighbour(TEkGradiLabel* label, Neighbour& slot) {
    disconnect(slot.painted);
    disconnect(slot.destroyed);
    slot.label = label;
    slot.seen = SeenLook();
    if (!label)
        return;
    slot.painted =
        connect(label, &TEkGradiLabel::bitmapPainted, this, [this, &slot] { neighbourPainted(slot); });
    slot.destroyed = connect(label, &QObject::destroyed, this, [this, &slot] {
        // A widget announces its end before its guards are cleared (and is no longer a label
        // by then): forget it without looking at it.
        slot.label = nullptr;
        changed();
    });
}

void TEkArt::setLabelBefore(TEkGradiLabel* label) {
    if (label == before_.label)
        return;
    watchNeighbour(label, before_);
    changed();
}

void TEkArt::setLabelAfter(TEkGradiLabel* label) {
    if (label == after_.label)
        return;
    watchNeighbour(label, after_);
    changed();
}

// --- neighbours -------------------------------------------------------------------------------

namespace {

struct Neighbours {
    TEkGradiLabel* horizontal = nullptr; // beside the piece: its rows continue
    TEkGradiLabel* vertical = nullptr;   // above or below: its columns continue
};

Neighbours neighboursOf(TEkArtType type, TEkGradiLabel* before, TEkGradiLabel* after) {
    switch (type) {
    case aatCornerNW:
    case aatCornerSE:
        return {after, before};
    case aatCornerNE:
    case aatCornerSW:
        return {before, after};
    case aatEndDown:
        return {nullptr, before};
    case aatEndUp:
        return {nullptr, after};
    case aatEndLeft:
        return {after, nullptr};
    case aatEndRight:
        return {before, nullptr};
    default:
        return {};
    }
}

} // namespace

void TEkArt::neighbourPainted(const Neighbour& slot) {
    if (!slot.label)
        return;
    // A piece waiting for its neighbour takes whatever picture comes.
    if (dirty_) {
        update();
        return;
    }
    // The hot and pressed looks come and go with the mouse: the piece keeps continuing the
    // resting look (the neighbour's normal or disabled picture).
    const int state = slot.label->paintedVisualState();
    constexpr int kHot = 1;
    constexpr int kPressed = 2;
    if (state == kHot || state == kPressed)
        return;
    if (slot.label->pictureSerial() != slot.seen.serial || state != slot.seen.state)
        changed();
}

bool TEkArt::followSize(TEkGradiLabel* horizontal, TEkGradiLabel* vertical) {
    const QSize target(vertical ? vertical->width() : width(), horizontal ? horizontal->height() : height());
    if (target == size()) {
        triedSize_ = QSize();
        return false;
    }
    // A layout that keeps another size wins: the piece stops asking and waits (dirty) for
    // the next change rather than resizing back and forth.
    if (target == triedSize_)
        return true;
    if (!resizeQueued_) {
        resizeQueued_ = true;
        // Resizing from inside a paint would re-enter the layout; do it once the paint is over.
        QTimer::singleShot(0, this, [this] {
            resizeQueued_ = false;
            const Neighbours n = neighboursOf(artType_, before_.label, after_.label);
            const QSize wanted(n.vertical ? n.vertical->width() : width(),
                               n.horizontal ? n.horizontal->height() : height());
            if (wanted != size()) {
                triedSize_ = wanted;
                resize(wanted);
                updateGeometry();
            }
        });
    }
    return true;
}

// --- painting ---------------------------------------------------------------------------------

const TPixel* TEkArt::getScanLine(int row) const {
    return static_cast<const TEkBmp&>(*bitmap_).scanLine(row);
}

void TEkArt::paintOwnBackground() {
    fillGradyStyle(*bitmap_, artStyle_, uint8_t(pipeShadow_), TEkColor(clGradiLight_),
                   TEkColor(clGradiDark_));
}

void TEkArt::fillOwnRamp(TPixel* ramp, int n, bool pipe) const {
    const TPixel light = tColorToPixel(clGradiLight_);
    const TPixel dark = tColorToPixel(clGradiDark_);
    if (!pipe) {
        fillColorRamp32(ramp, n, light, dark);
        return;
    }
    // split = 2n / 5: dark rising to light, then light falling to dark darkened by the shadow
    const int split = (2 * n) / 5;
    fillColorRamp32(ramp, split, dark, light);
    fillColorRamp32(ramp + split, n - split, light, darken(dark, uint8_t(pipeShadow_)));
}

TPixel TEkArt::edgeColour(TEkGradiLabel* neighbour) const {
    return tColorToPixel(neighbour ? neighbour->ClGradiDark() : clGradiDark_);
}

void TEkArt::paintBitmap() {
    if (bitmap_->width() != width() || bitmap_->height() != height())
        bitmap_->setSize(width(), height(), false);
    // A size the painter refuses leaves no pixel memory; the painters below write rows directly.
    bitmap_->checkDc();

    const Neighbours n = neighboursOf(artType_, before_.label, after_.label);
    if (artType_ == aatSpace || (isCorner(artType_) && !n.horizontal))
        paintOwnBackground();

    if (artType_ != aatSpace && !paintBitmapSpecial()) {
        // Stays dirty; a neighbour's bitmapPainted() or the queued resize brings the next try.
        dirty_ = true;
        return;
    }
    dirty_ = false;
    for (Neighbour* n : {&before_, &after_}) {
        if (n->label)
            n->seen = {n->label->pictureSerial(), n->label->paintedVisualState()};
    }
}

bool TEkArt::paintBitmapSpecial() {
    if ((after_.label && !after_.label->GetFullyLoaded()) ||
        (before_.label && !before_.label->GetFullyLoaded()))
        return false;
    const Neighbours n = neighboursOf(artType_, before_.label, after_.label);
    if (isCorner(artType_))
        return paintCorner(n.horizontal, n.vertical);
    if (isEnd(artType_))
        return paintEnd(n.horizontal, n.vertical);
    return false;
}

bool TEkArt::paintCorner(TEkGradiLabel* horizontal, TEkGradiLabel* vertical) {
    if (followSize(horizontal, vertical))
        return false;
    const int w = width();
    const int h = height();
    std::vector<TPixel> ramp(size_t(w) + 1);
    fillOwnRamp(ramp.data(), w, artStyle_ == agsHorzPipe);
    const TPixel* columns = vertical ? vertical->getScanLine(0) : ramp.data();
    // b(y) = y * w / h rounded half up: (10 * y * w + 5) / (10 * h)
    const auto diagonal = [w, h](int y) { return int((10LL * y * w + 5) / (10LL * h)); };
    const auto rowColour = [horizontal](int y) { return horizontal->getScanLine(y)[0]; };
    const auto copyColumns = [&](int y, int from, int to) { // columns from..to-1
        TPixel* row = bitmap_->rowAddress(y);
        std::copy(columns + from, columns + to, row + from);
    };

    for (int y = 0; y < h; ++y) {
        const int b = diagonal(y);
        TPixel* row = bitmap_->rowAddress(y);
        switch (artType_) {
        case aatCornerNW:
            if (horizontal)
                fillPixels(row + b, w - b, rowColour(y));
            if (y >= 1)
                copyColumns(y, 0, b);
            break;
        case aatCornerNE:
            if (horizontal)
                fillPixels(row, w - b, rowColour(y));
            if (y >= 1)
                copyColumns(y, w - b - 1, w);
            break;
        case aatCornerSE:
            if (horizontal && y >= 1)
                fillPixels(row, b, rowColour(y));
            copyColumns(y, b, w);
            break;
        default: // aatCornerSW
            if (horizontal && y >= 1)
                fillPixels(row + w - b - 1, b + 1, rowColour(y));
            copyColumns(y, 0, w - b);
            break;
        }
    }
    return true;
}

bool TEkArt::paintEnd(TEkGradiLabel* horizontal, TEkGradiLabel* vertical) {
    if (followSize(horizontal, vertical))
        return false;
    const int w = width();
    const int h = height();
    const TPixel edge = edgeColour(horizontal ? horizontal : vertical);

    if (artType_ == aatEndLeft || artType_ == aatEndRight) {
        std::vector<TPixel> ramp(size_t(h) + 1);
        fillOwnRamp(ramp.data(), h, artStyle_ == agsVertPipe);
        for (int y = 0; y < h; ++y) {
            const TPixel c = horizontal ? horizontal->getScanLine(y)[0] : ramp[size_t(y)];
            if (artType_ == aatEndLeft)
                fillColorRampEased(bitmap_->rowAddress(y), w, true, edge, c); // c at the right
            else
                fillColorRampEased(bitmap_->rowAddress(y), w, false, c, edge); // c at the left
        }
        return true;
    }

    std::vector<TPixel> ramp(size_t(w) + 1);
    fillOwnRamp(ramp.data(), w, artStyle_ == agsVertPipe);
    const TPixel* columns = vertical ? vertical->getScanLine(0) : ramp.data();
    std::vector<TPixel> column(size_t(h) + 1);
    for (int x = 0; x < w; ++x) {
        if (artType_ == aatEndDown)
            fillColorRamp32(column.data(), h, columns[x], edge); // neighbour colour in row 0
        else
            fillColorRamp32(column.data(), h, edge, columns[x]); // neighbour colour in row h-1
        for (int y = 0; y < h; ++y)
            bitmap_->rowAddress(y)[x] = column[size_t(y)];
    }
    return true;
}

void TEkArt::paintEvent(QPaintEvent*) {
    if (width() < 1 || height() < 1)
        return;
    try {
        if (dirty_ || bitmap_->width() != width() || bitmap_->height() != height())
            paintBitmap();
        QPainter painter(this);
        bitmap_->bitBlt(painter, 0, 0);
        emit paintOver(this, &painter);
    } catch (const EInvalidGraphicOperation& e) {
        qWarning("TEkArt: %s", qPrintable(e.message()));
    }
}

void TEkArt::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit mouseMoved(event->buttons(), event->modifiers(), event->position().toPoint());
}

void TEkArt::mouseDoubleClickEvent(QMouseEvent* event) {
    QPointer<TEkArt> self(this);
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    if (self)
        QWidget::mouseDoubleClickEvent(event);
}

void TEkArt::contextMenuEvent(QContextMenuEvent* event) {
    QPointer<TEkArt> self(this);
    bool handled = false;
    emit contextPopup(event->pos(), &handled);
    // A piece that is gone can pass nothing on.
    event->setAccepted(handled || !self);
}

void TEkArt::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dirty_ = true;
}

void TEkArt::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    dirty_ = true;
}
