#include "app/ImageLists.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// One palette for every glyph, so the set reads as one family.
const QColor kOutline(0x2E, 0x3F, 0x5C);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kBlue(0x3B, 0x88, 0xD1);
const QColor kGreen(0x2E, 0x9E, 0x4F);
const QColor kGrey(0x8A, 0x93, 0xA0);
const QColor kRed(0xD0, 0x2B, 0x2B);
const QColor kAmber(0xE8, 0xA8, 0x2E);
const QColor kFolder(0xF2, 0xC1, 0x4E);

QImage blankImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

template <typename Draw> QImage drawImage(int size, Draw draw) {
    QImage image = blankImage(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    draw(painter);
    return image;
}

// --- 12 x 12 row glyphs --------------------------------------------------------------------

QImage blankLineGlyph() {
    // A line end with nothing before it: a return arrow on an empty sheet.
    return drawImage(12, [](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(1.5, 1.5, 9, 9), 2, 2);
        p.setPen(QPen(kBlue, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath arrow;
        arrow.moveTo(8.3, 3.6);
        arrow.lineTo(8.3, 7.2);
        arrow.lineTo(3.9, 7.2);
        arrow.moveTo(5.6, 5.5);
        arrow.lineTo(3.9, 7.2);
        arrow.lineTo(5.6, 8.9);
        p.drawPath(arrow);
    });
}

QImage valueGlyph() {
    // A coloured dot with an equals sign: a name=value line.
    return drawImage(12, [](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kGreen);
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.setPen(QPen(kPaper, 1.3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 5), QPointF(8, 5));
        p.drawLine(QPointF(4, 7.2), QPointF(8, 7.2));
    });
}

QImage commentGlyph() {
    // A semicolon on grey: a comment line.
    return drawImage(12, [](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kGrey);
        p.drawRoundedRect(QRectF(1.5, 1.5, 9, 9), 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(5, 3, 2, 2));
        p.drawEllipse(QRectF(5, 6.3, 2, 2));
        p.setPen(QPen(kPaper, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6.8, 7.5), QPointF(5.6, 9.6));
    });
}

QImage errorGlyph() {
    // An exclamation mark on red: a line without "=".
    return drawImage(12, [](QPainter& p) {
        QPainterPath triangle;
        triangle.moveTo(6, 1);
        triangle.lineTo(11, 10.5);
        triangle.lineTo(1, 10.5);
        triangle.closeSubpath();
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kRed);
        p.drawPath(triangle);
        p.setPen(QPen(kPaper, 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 4.2), QPointF(6, 7));
        p.drawPoint(QPointF(6, 9));
    });
}

QImage sectionGlyph() {
    // A folder tab in brackets: a section.
    return drawImage(12, [](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kFolder);
        QPainterPath folder;
        folder.moveTo(1.5, 3);
        folder.lineTo(4.5, 3);
        folder.lineTo(5.5, 4.2);
        folder.lineTo(10.5, 4.2);
        folder.lineTo(10.5, 10.5);
        folder.lineTo(1.5, 10.5);
        folder.closeSubpath();
        p.drawPath(folder);
        p.setPen(QPen(kOutline, 1));
        p.drawLine(QPointF(3.5, 7.3), QPointF(8.5, 7.3));
    });
}

QImage badgeGlyph(const QColor& colour, QChar mark) {
    return drawImage(12, [&](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(1.5, 1.5, 9, 9), 2.5, 2.5);
        p.setPen(QPen(kPaper, 1.5, Qt::SolidLine, Qt::RoundCap));
        if (mark == QLatin1Char('+')) {
            p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
            p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
        } else if (mark == QLatin1Char('x')) {
            p.drawLine(QPointF(4, 4), QPointF(8, 8));
            p.drawLine(QPointF(8, 4), QPointF(4, 8));
        } else if (mark == QLatin1Char('>')) {
            p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
            p.drawLine(QPointF(6.5, 4), QPointF(8.5, 6));
            p.drawLine(QPointF(6.5, 8), QPointF(8.5, 6));
        } else if (mark == QLatin1Char('/')) {
            p.drawLine(QPointF(4, 8.5), QPointF(8.5, 4));
        } else {
            p.drawRect(QRectF(4, 4, 4, 4));
        }
    });
}

QImage valuesOnlyGlyph(bool on, bool hot) {
    // Off: a white sheet of mixed lines (values, a comment, an error); on: a green sheet of
    // value lines only. The hot looks keep those and take a blue frame and a lighter sheet.
    return drawImage(12, [&](QPainter& p) {
        const QColor sheet =
            on ? (hot ? kGreen.lighter(125) : kGreen) : (hot ? QColor(0xCF, 0xEF, 0xFF) : kPaper);
        p.setPen(QPen(hot ? kBlue : kOutline, 1));
        p.setBrush(sheet);
        p.drawRoundedRect(QRectF(0.5, 0.5, 11, 11), 2, 2);
        const QColor mixed[3] = {kGreen, kGrey, kRed};
        for (int i = 0; i < 3; ++i) {
            p.setPen(QPen(on ? kPaper : mixed[i], 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3, 3.5 + 2.5 * i), QPointF(9, 3.5 + 2.5 * i));
        }
    });
}

// --- 16 x 16 button glyphs -----------------------------------------------------------------

void drawSheet(QPainter& p) {
    QPainterPath sheet;
    sheet.moveTo(3.5, 1.5);
    sheet.lineTo(10, 1.5);
    sheet.lineTo(12.5, 4);
    sheet.lineTo(12.5, 14.5);
    sheet.lineTo(3.5, 14.5);
    sheet.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.setPen(QPen(kGrey, 1));
    for (int y = 6; y <= 12; y += 2)
        p.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
}

void drawFloppy(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(0xE6, 0xEC, 0xF3));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

void drawPencil(QPainter& p, double x, double y) {
    p.save();
    p.translate(x, y);
    p.rotate(-45);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kAmber);
    p.drawRect(QRectF(0, -1.5, 7, 3));
    QPainterPath tip;
    tip.moveTo(0, -1.5);
    tip.lineTo(-2.5, 0);
    tip.lineTo(0, 1.5);
    tip.closeSubpath();
    p.setBrush(kPaper);
    p.drawPath(tip);
    p.restore();
}

void drawCorner(QPainter& p, const QImage& corner) {
    p.drawImage(4, 4, corner);
}

// A section or item command: the row glyph of what it works on, and at the lower right what it
// does: a green plus (add), a blue arrow (insert), a pencil (edit) or a red cross (delete).
void drawListCommand(QPainter& p, int index) {
    const bool section = index >= btnSectionAdd && index <= btnSectionDelete;
    p.drawImage(0, 2, section ? sectionGlyph() : valueGlyph());
    switch (index) {
    case btnSectionAdd:
    case btnItemAdd:
        drawCorner(p, badgeGlyph(kGreen, QLatin1Char('+')));
        break;
    case btnSectionInsert:
    case btnItemInsert:
        drawCorner(p, badgeGlyph(kBlue, QLatin1Char('>')));
        break;
    case btnSectionEdit:
    case btnItemEdit:
        drawPencil(p, 8, 13);
        break;
    default:
        drawCorner(p, badgeGlyph(kRed, QLatin1Char('x')));
        break;
    }
}

QImage buttonGlyph(int index) {
    return drawImage(16, [index](QPainter& p) {
        switch (index) {
        case btnNew:
            drawSheet(p);
            p.setPen(QPen(kAmber, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12, 9), QPointF(12, 14));
            p.drawLine(QPointF(9.5, 11.5), QPointF(14.5, 11.5));
            break;
        case btnOpen: {
            p.setPen(QPen(kOutline, 1));
            p.setBrush(kFolder.darker(115));
            p.drawRect(QRectF(1.5, 3.5, 12, 10));
            QPainterPath flap;
            flap.moveTo(3.5, 6.5);
            flap.lineTo(15, 6.5);
            flap.lineTo(13, 13.5);
            flap.lineTo(1.5, 13.5);
            flap.closeSubpath();
            p.setBrush(kFolder);
            p.drawPath(flap);
            break;
        }
        case btnReload: {
            p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 280 * 16);
            QPainterPath head;
            head.moveTo(10, 1);
            head.lineTo(15, 4.5);
            head.lineTo(10, 7);
            head.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(kGreen);
            p.drawPath(head);
            break;
        }
        case btnSave:
            drawFloppy(p);
            break;
        case btnSaveAs:
            drawFloppy(p);
            drawPencil(p, 9, 11);
            break;
        case btnSearch:
            p.setPen(QPen(kOutline, 1.5));
            p.setBrush(QColor(0xCF, 0xEF, 0xFF));
            p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
            p.setPen(QPen(kOutline, 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
            break;
        case btnSectionAdd:
        case btnItemAdd:
        case btnSectionInsert:
        case btnItemInsert:
        case btnSectionEdit:
        case btnItemEdit:
        case btnSectionDelete:
        case btnItemDelete:
            drawListCommand(p, index);
            break;
        case btnSectionCopy:
            p.drawImage(0, 0, sectionGlyph());
            p.drawImage(4, 4, sectionGlyph());
            break;
        case btnShortcut: {
            drawSheet(p);
            p.setPen(QPen(kOutline, 1));
            p.setBrush(kPaper);
            p.drawRect(QRectF(0.5, 8.5, 7, 7));
            p.setPen(QPen(kBlue, 1.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(2.5, 13.5), QPointF(5.5, 10.5));
            p.drawLine(QPointF(3.5, 10.5), QPointF(5.5, 10.5));
            p.drawLine(QPointF(5.5, 10.5), QPointF(5.5, 12.5));
            break;
        }
        default:
            break;
        }
    });
}

} // namespace

void addItemImages(TImageList& list) {
    list.add(blankLineGlyph());                     // imgBlank
    list.add(valueGlyph());                         // imgValue
    list.add(commentGlyph());                       // imgComment
    list.add(errorGlyph());                         // imgError
    list.add(sectionGlyph());                       // imgSection
    list.add(badgeGlyph(kGreen, QLatin1Char('+'))); // 5 add
    list.add(badgeGlyph(kBlue, QLatin1Char('>')));  // 6 insert
    list.add(badgeGlyph(kAmber, QLatin1Char('/'))); // 7 edit
    list.add(badgeGlyph(kRed, QLatin1Char('x')));   // 8 delete
    list.add(badgeGlyph(kBlue, QLatin1Char('#')));  // 9 copy
    list.add(blankImage(12));                       // 10 spare
    list.add(valuesOnlyGlyph(false, false));        // imgValuesOnlyOff
    list.add(valuesOnlyGlyph(true, false));         // imgValuesOnlyOn
    list.add(valuesOnlyGlyph(false, true));         // imgValuesOnlyOffHot
    list.add(valuesOnlyGlyph(true, true));          // imgValuesOnlyOnHot
}

void addButtonImages(TImageList& list) {
    for (int i = 0; i < btnCount; ++i)
        list.add(buttonGlyph(i));
}
