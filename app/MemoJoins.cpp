#include "app/MemoJoins.h"

#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

namespace memojoins {

namespace {

// Whether a position starts a word depends on a few characters on either side of it: a step is
// found in a stretch of the line that reaches this far past both its ends.
constexpr int kWordContext = 64;

// Where the first block of `line` (longer than `length`) ends: after a blank within `reach` of
// the limit, otherwise at the last boundary between characters as the reader sees them. Only a
// made-up text holds a cluster longer than a block; it is cut between code points.
qsizetype firstCut(QStringView line, qsizetype length, qsizetype reach) {
    // Finding clusters costs more than laying out a block; below U+0300 no character joins its
    // neighbour (a line holds no line break), so most texts never need it.
    std::optional<QTextBoundaryFinder> clusters;
    const auto between = [&](qsizetype at) {
        if (line[at - 1].unicode() < 0x300 && line[at].unicode() < 0x300)
            return true;
        // Whether a position is a boundary depends on the code point after it, so the finder
        // sees one past the limit; the block starts at a boundary, so nothing before it counts.
        if (!clusters)
            clusters.emplace(QTextBoundaryFinder::Grapheme, line.left(length + 2));
        clusters->setPosition(at);
        return clusters->isAtBoundary();
    };
    for (qsizetype blank = line.left(length).lastIndexOf(u' '); blank >= length - reach;
         blank = line.left(blank).lastIndexOf(u' ')) {
        if (between(blank + 1))
            return blank + 1;
    }
    if (between(length))
        return length;
    if (const qsizetype cut = clusters->toPreviousBoundary(); cut > 0)
        return cut;
    return line[length - 1].isHighSurrogate() ? length - 1 : length;
}

} // namespace

QString breakBefore(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    return format.hasProperty(kBreakBefore) ? format.stringProperty(kBreakBefore) : QStringLiteral("\n");
}

qsizetype blockBreakAt(QStringView text, qsizetype i) {
    switch (text[i].unicode()) {
    case u'\r':
        return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
    case u'\n':
    case 0x2029:
    case 0xFDD0:
    case 0xFDD1:
        return 1;
    default:
        return 0;
    }
}

bool continuesLine(const QTextBlock& block) {
    return block.isValid() && block.previous().isValid() && breakBefore(block).isEmpty();
}

bool inLongLine(const QTextBlock& block) {
    return continuesLine(block) || continuesLine(block.next());
}

int blockEnd(const QTextBlock& block) {
    return block.position() + block.length() - 1;
}

void insertLine(QTextCursor& cursor, QStringView line, qsizetype length, qsizetype reach) {
    QTextBlockFormat joined;
    joined.setProperty(kBreakBefore, QString());
    while (line.size() > length) {
        const qsizetype cut = firstCut(line, length, reach);
        cursor.insertText(line.left(cut).toString());
        cursor.insertBlock(joined);
        line = line.mid(cut);
    }
    if (!line.isEmpty())
        cursor.insertText(line.toString());
}

LineStretch::LineStretch(const QTextBlock& first, const QTextBlock& last) {
    for (QTextBlock block = first;; block = block.next()) {
        blocks_.push_back({block.position(), int(text_.size())});
        text_ += block.text();
        if (block == last)
            break;
    }
}

bool LineStretch::contains(int position) const {
    return position >= blocks_.front().position &&
           position - blocks_.back().position <= text_.size() - blocks_.back().offset;
}

int LineStretch::offsetOf(int position) const {
    auto block = std::prev(std::upper_bound(blocks_.begin(), blocks_.end(), position,
                                            [](int p, const Block& b) { return p < b.position; }));
    return block->offset + position - block->position;
}

int LineStretch::positionOf(int offset, bool later) const {
    auto block = std::prev(std::upper_bound(blocks_.begin(), blocks_.end(), offset,
                                            [](int o, const Block& b) { return o < b.offset; }));
    if (!later && block != blocks_.begin() && block->offset == offset)
        --block;
    return block->position + offset - block->offset;
}

namespace {

// The stretch of the line of `block` around the document position `at`, with what `find` finds
// there: two offsets in its text, from the text and the offset of `at`. The stretch grows until
// they lie well inside it, or at the line's start or end, for a word may run on over several
// blocks.
template <typename Find> LineStep findInLine(const QTextBlock& block, int at, Find find) {
    QTextBlock first = block;
    QTextBlock last = block;
    for (int more = 1;; more *= 2) {
        LineStretch stretch(first, last);
        const int offset = stretch.offsetOf(at);
        const int size = int(stretch.text().size());
        const bool roomBefore = !continuesLine(first) || offset >= kWordContext;
        const bool roomAfter = !continuesLine(last.next()) || size - offset >= kWordContext;
        std::pair found(offset, offset);
        if (roomBefore && roomAfter)
            found = find(stretch.text(), offset);
        const auto [low, high] = std::minmax({offset, found.first, found.second});
        const bool wantBefore = continuesLine(first) && low < kWordContext;
        const bool wantAfter = continuesLine(last.next()) && size - high < kWordContext;
        if (!wantBefore && !wantAfter)
            return {std::move(stretch), found.first, found.second};
        for (int i = 0; i < more; ++i) {
            if (wantBefore && continuesLine(first))
                first = first.previous();
            if (wantAfter && continuesLine(last.next()))
                last = last.next();
        }
    }
}

} // namespace

LineStep stepInLine(const QTextBlock& block, int at, QTextLayout::CursorMode mode, bool back) {
    return findInLine(block, at, [&](const QString& text, int offset) {
        const QTextLayout layout(text);
        return std::pair(offset, back ? layout.previousCursorPosition(offset, mode)
                                      : layout.nextCursorPosition(offset, mode));
    });
}

LineStep wordInLine(const QTextBlock& block, int at) {
    return findInLine(block, at, [](const QString& text, int offset) {
        // The text cursor finds a word's ends in a block of its own.
        QTextDocument line(text);
        QTextCursor cursor(&line);
        cursor.setPosition(offset);
        cursor.select(QTextCursor::WordUnderCursor);
        return std::pair(cursor.anchor(), cursor.position());
    });
}

bool removalNeedsCare(const QTextDocument* document, int start, int end) {
    const QTextBlock first = document->findBlock(start);
    const QTextBlock last = document->findBlock(end);
    return start == first.position() &&
           ((first.previous().isValid() && first != last && breakBefore(first) != breakBefore(last)) ||
            (end == blockEnd(last) && (continuesLine(first) || continuesLine(last.next()))));
}

void removeRange(QTextCursor& edit, int anchor, int position) {
    const QTextDocument* document = edit.document();
    int start = std::min(anchor, position);
    int end = std::max(anchor, position);
    if (const QTextBlock first = document->findBlock(start), last = document->findBlock(end);
        start == first.position() && end == blockEnd(last)) {
        if (continuesLine(last.next()))
            end = last.next().position();
        else if (continuesLine(first))
            start = first.position() - 1;
    }
    const QTextBlock first = document->findBlock(start);
    const bool restore = start == first.position() && first != document->findBlock(end);
    const QTextBlockFormat format = first.blockFormat();
    edit.setPosition(anchor < position ? start : end);
    edit.setPosition(anchor < position ? end : start, QTextCursor::KeepAnchor);
    edit.beginEditBlock();
    edit.removeSelectedText();
    if (restore)
        edit.setBlockFormat(format);
    edit.endEditBlock();
}

QTextCursor wholeLines(QTextCursor cursor) {
    const QTextDocument* document = cursor.document();
    QTextBlock first = document->findBlock(cursor.selectionStart());
    while (continuesLine(first))
        first = first.previous();
    int end = cursor.selectionEnd();
    if (QTextBlock last = document->findBlock(end); end != last.position() || continuesLine(last)) {
        while (continuesLine(last.next()))
            last = last.next();
        end = last.next().isValid() ? last.next().position() : blockEnd(last);
    }
    const bool forward = cursor.anchor() <= cursor.position();
    cursor.setPosition(forward ? first.position() : end);
    cursor.setPosition(forward ? end : first.position(), QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace memojoins
