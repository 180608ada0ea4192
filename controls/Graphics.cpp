#include "controls/Graphics.h"

#include <QColor>
#include <Qt>

namespace {

struct SystemColour {
    uint32_t index;
    uint32_t rgb; // 0x00BBGGRR
};

// Fixed values of the system colours: the classic light desktop theme, so that pictures are
// the same everywhere.
constexpr SystemColour kSystemColours[] = {
    {0x05, 0xFFFFFF}, // window
    {0x08, 0x000000}, // window text
    {0x0D, 0xFF9933}, // highlight
    {0x0E, 0xFFFFFF}, // highlight text
    {0x0F, 0xF0F0F0}, // button face
    {0x10, 0xA0A0A0}, // button shadow
    {0x11, 0x6D6D6D}, // grey text
    {0x12, 0x000000}, // button text
    {0x14, 0xFFFFFF}, // button highlight
    {0x1A, 0xCC6600}, // hot-tracked item
};

} // namespace

TColor colorToRGB(TColor c) {
    if (!isSystemColor(c))
        return c;
    const uint32_t index = c.value & 0x00FFFFFFu;
    for (const SystemColour& s : kSystemColours)
        if (s.index == index)
            return TColor(s.rgb);
    return clBlack;
}

QColor toQColor(TColor c) {
    const uint32_t v = colorToRGB(c).value;
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TColor fromQColor(const QColor& c) {
    return TColor(uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16));
}

int qtTextFlags(unsigned format) {
    int flags = 0;
    if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        if (format & DT_VCENTER)
            flags |= Qt::AlignVCenter;
        else if (format & DT_BOTTOM)
            flags |= Qt::AlignBottom;
        else
            flags |= Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & DT_WORDBREAK)
            flags |= Qt::TextWordWrap;
    }
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    return flags;
}
