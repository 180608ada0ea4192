// A memo that holds its long lines in pieces against one that holds every line whole: random keys
// over texts whose pieces meet at every kind of place, the text and the caret compared after each.
#include "app/DialogTextBoxes.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <array>
#include <gtest/gtest.h>
#include <random>
#include <tuple>

namespace {

// How the two memos may differ after a key.
enum class Kind {
    Exact,    // not at all
    PastJoin, // the pieced one stops where pieces meet: it takes further presses there
    Layout,   // the lines wrap at other places: the whole one is moved to where the pieced one went
    Undo,     // the undo history merges steps by where they were made, which differs where pieces
              // meet (a join is taken out with the text next to it): the pieced one must bring back
              // a text it held before, and the whole one is set to it
};

struct Key {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char16_t* text;
    Kind kind;
    int clicks = 0; // where the caret stands; the mouse moves a little before a triple click is let go
};

constexpr Qt::KeyboardModifiers kNone, kShift = Qt::ShiftModifier, kCtrl = Qt::ControlModifier;
using enum Kind;
// clang-format off
const Key kKeys[] = {
    {"x", Qt::Key_X, kNone, u"x", Exact}, {"blank", Qt::Key_Space, kNone, u" ", Exact},
    {"accent", Qt::Key_unknown, kNone, u"\u0301", Exact}, {"surrogate pair", Qt::Key_unknown, kNone, u"\U00020001", Exact},
    {"ctrl+enter", Qt::Key_Return, kCtrl, u"", Exact}, {"ctrl+a", Qt::Key_A, kCtrl, u"", Exact},
    {"backspace", Qt::Key_Backspace, kNone, u"", Exact}, {"backspace", Qt::Key_Backspace, kNone, u"", Exact},
    {"shift+backspace", Qt::Key_Backspace, kShift, u"", Exact}, {"ctrl+backspace", Qt::Key_Backspace, kCtrl, u"", Exact},
    {"delete", Qt::Key_Delete, kNone, u"", Exact}, {"delete", Qt::Key_Delete, kNone, u"", Exact},
    {"ctrl+delete", Qt::Key_Delete, kCtrl, u"", Exact}, {"shift+delete", Qt::Key_Delete, kShift, u"", Exact},
    {"ctrl+home", Qt::Key_Home, kCtrl, u"", Exact}, {"ctrl+shift+end", Qt::Key_End, kCtrl | kShift, u"", Exact},
    {"ctrl+v", Qt::Key_V, kCtrl, u"", Exact}, {"ctrl+z", Qt::Key_Z, kCtrl, u"", Undo},
    {"left", Qt::Key_Left, kNone, u"", PastJoin}, {"right", Qt::Key_Right, kNone, u"", PastJoin},
    {"shift+left", Qt::Key_Left, kShift, u"", Exact}, {"shift+right", Qt::Key_Right, kShift, u"", Exact},
    {"ctrl+left", Qt::Key_Left, kCtrl, u"", PastJoin}, {"ctrl+right", Qt::Key_Right, kCtrl, u"", PastJoin},
    {"ctrl+shift+left", Qt::Key_Left, kCtrl | kShift, u"", Exact},
    {"ctrl+shift+right", Qt::Key_Right, kCtrl | kShift, u"", Exact}, {"up", Qt::Key_Up, kNone, u"", Layout},
    {"home", Qt::Key_Home, kNone, u"", Layout}, {"end", Qt::Key_End, kNone, u"", Layout},
    {"shift+home", Qt::Key_Home, kShift, u"", Layout}, {"shift+end", Qt::Key_End, kShift, u"", Layout},
    {"down", Qt::Key_Down, kNone, u"", Layout}, {"double click", Qt::Key_unknown, kNone, u"", Exact, 2},
    {"triple click", Qt::Key_unknown, kNone, u"", Exact, 3}};

// The pieces texts are made of, with their weights: runs of letters, blanks, separators, accents,
// surrogate pairs, emoji and Hangul sequences, line breaks. No flags: the text layout splits a
// flag that follows an emoji into its two letters, which it does not see at a block's start.
const std::pair<const char16_t*, int> kAtoms[] = {
    {u"a", 20}, {u"b", 10}, {u"z", 10}, {u" ", 12}, {u".", 2}, {u"-", 2}, {u"e\u0301", 4}, {u"o\u0308\u0323", 2},
    {u"\U0001F600", 3}, {u"\U00020001", 2}, {u"\U0001F469\u200D\U0001F4BB", 1}, {u"\u1100\u1161\u11A8", 1},
    {u"\r\n", 2}, {u"\n", 1}};
// clang-format on

QString randomText(std::mt19937& random, int length) {
    static std::discrete_distribution<int> pick = [] {
        std::vector<int> weights;
        for (const auto& atom : kAtoms)
            weights.push_back(atom.second);
        return std::discrete_distribution<int>(weights.begin(), weights.end());
    }();
    QString text;
    while (text.size() < length)
        text += QString::fromUtf16(kAtoms[pick(random)].first);
    return text;
}

// A memo's text, and its selection as offsets into that text.
struct State {
    QString text;
    int anchor;
    int caret;
    std::vector<int> starts; // where each block starts in the text
    std::vector<bool> joins; // whether a block runs on from the one before in the same line
    bool operator==(const State& o) const { return text == o.text && anchor == o.anchor && caret == o.caret; }
};

State stateOf(const TDialogMemo& memo) {
    State state{memo.text(), 0, 0, {}, {}};
    int offset = 0;
    for (QTextBlock block = memo.document()->firstBlock(); block.isValid(); block = block.next()) {
        const int gap = block == memo.document()->firstBlock()               ? 0
                        : state.text.mid(offset, 2) == QLatin1String("\r\n") ? 2
                        : state.text.mid(offset, 1) == QLatin1String("\n")   ? 1
                                                                             : 0;
        state.joins.push_back(block.blockNumber() > 0 && gap == 0);
        offset += gap;
        state.starts.push_back(offset);
        offset += block.length() - 1;
    }
    const auto offsetOf = [&](int position) {
        const QTextBlock block = memo.document()->findBlock(position);
        return state.starts[block.blockNumber()] + position - block.position();
    };
    state.anchor = offsetOf(memo.textCursor().anchor());
    state.caret = offsetOf(memo.textCursor().position());
    return state;
}

// Selects from `anchor` to `caret` (offsets into the text); where two pieces meet, `later` puts
// an end at the start of the later one.
void select(TDialogMemo& memo, int anchor, int caret, bool later) {
    const State state = stateOf(memo);
    const auto positionOf = [&](int offset) {
        const auto begin = state.starts.begin();
        auto block = std::upper_bound(begin, state.starts.end(), offset) - 1;
        while (!later && block != begin && *block == offset && state.joins[block - begin])
            --block;
        const QTextBlock found = memo.document()->findBlockByNumber(int(block - begin));
        return found.position() + offset - *block;
    };
    QTextCursor cursor(memo.document());
    cursor.setPosition(positionOf(anchor));
    cursor.setPosition(positionOf(caret), QTextCursor::KeepAnchor);
    memo.setTextCursor(cursor);
}

// A random place between characters as the reader sees them, where a caret stands, in the
// `length` characters from `from`.
int randomCaret(std::mt19937& random, const QString& text, int from, int length) {
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    clusters.setPosition(from + int(random() % (length + 1)));
    return int(clusters.isAtBoundary() ? clusters.position() : clusters.toPreviousBoundary());
}

std::string shown(QString text) {
    return text.replace("\r", "\\r").replace("\n", "\\n").toStdString();
}

void press(TDialogMemo& memo, const Key& key) {
    if (key.clicks == 0) {
        QTest::sendKeyEvent(QTest::Click, &memo, key.key, QString::fromUtf16(key.text), key.modifiers);
        return;
    }
    memo.ensureCursorVisible();
    const QPoint at = memo.cursorRect().center();
    const int scrolled = memo.verticalScrollBar()->value();
    QTest::mouseDClick(memo.viewport(), Qt::LeftButton, {}, at);
    if (key.clicks == 3) {
        QTest::mousePress(memo.viewport(), Qt::LeftButton, {}, at);
        if (memo.verticalScrollBar()->value() == scrolled) // the text under the mouse is the same
            QTest::mouseMove(memo.viewport(), at + QPoint(1, 0));
    }
    QTest::mouseRelease(memo.viewport(), Qt::LeftButton, {}, at);
}

// Whether a click where the caret of `memo` stands hits the caret's place: the text edit finds the
// end of the row there after some marks and emoji.
bool aimed(TDialogMemo& memo) {
    memo.ensureCursorVisible();
    return memo.cursorForPosition(memo.cursorRect().center()).position() == memo.textCursor().position();
}

// Whether the caret of `memo` stands where two pieces of a line meet.
bool atJoin(const TDialogMemo& memo) {
    const QTextCursor cursor = memo.textCursor();
    const State state = stateOf(memo);
    const int block = cursor.blockNumber();
    return (cursor.atBlockStart() && state.joins[block]) ||
           (cursor.atBlockEnd() && block + 1 < int(state.joins.size()) && state.joins[block + 1]);
}

// The kinds of place where pieces meet, counted over the texts set: each must come up.
enum Place { InWord, AfterBlank, ByAccent, BySurrogates, ByLineBreak, kPlaces };
const char* const kPlaceNames[] = {"in a word", "after a blank", "by an accent", "by a surrogate pair",
                                   "by a line break"};

void countPlaces(const State& state, std::array<int, kPlaces>& places) {
    const QString& t = state.text;
    for (size_t block = 1; block < state.joins.size(); ++block) {
        if (!state.joins[block])
            continue;
        const int at = state.starts[block];
        const auto mark = [&](int i) {
            return i >= 0 && i < t.size() && t[i].unicode() >= 0x300 && t[i].unicode() < 0x370;
        };
        places[InWord] += t[at - 1].isLetter() && t[at].isLetter() && t[at - 1] < u'\x80' && t[at] < u'\x80';
        places[AfterBlank] += t[at - 1] == u' ';
        places[ByAccent] += mark(at - 1) || mark(at + 1);
        places[BySurrogates] += t[at - 1].isLowSurrogate() || t[at].isHighSurrogate();
        places[ByLineBreak] += t.mid(std::max(at - 3, 0), 6).contains(u'\n');
    }
}

TEST(MemoPieces, KeysActAsOnTheWholeText) {
    constexpr unsigned kSeed = 20240611;
    constexpr int kSequences = 10000;
    constexpr int kWholeLengthSequences = 40; // of them, at the pieces' real length
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr int kKeysPerSequence = 4; // the sanitizers' builds run this too, many times slower
#else
    constexpr int kKeysPerSequence = 10;
#endif
    std::mt19937 random(kSeed);
    TDialogMemo pieced(nullptr), whole(nullptr);
    whole.setBlockLength(std::numeric_limits<int>::max(), 0);
    for (TDialogMemo* memo : {&pieced, &whole})
        memo->resize(240, 120), memo->show();
    std::array<int, kPlaces> places{};
    int keys = 0;
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        const bool realLength = sequence < kWholeLengthSequences;
        const int blockLength = realLength ? 4096 : 6 + int(random() % 20);
        pieced.setBlockLength(blockLength, realLength ? 256 : blockLength / 3);
        const QString text = randomText(random, realLength ? 9000 : 20 + int(random() % 100));
        QGuiApplication::clipboard()->setText(randomText(random, int(random() % 40)));
        pieced.setText(text);
        whole.setText(text);
        State state = stateOf(pieced);
        countPlaces(state, places);
        // At a join at the real length, on either side of it; anywhere in the short texts, whose
        // pieces are short, between characters as the reader sees them, as a caret stands.
        int start = randomCaret(random, text, 0, int(text.size()));
        if (realLength && state.joins.size() > 1)
            start = state.starts[1 + random() % (state.starts.size() - 1)];
        select(pieced, start, start, random() % 2);
        select(whole, start, start, false);
        QStringList pressed;
        QStringList history{text};
        for (int k = 0; k < kKeysPerSequence; ++k, ++keys) {
            const Key& key = kKeys[random() % std::size(kKeys)];
            pressed << key.name;
            if (key.clicks > 0 && !(aimed(pieced) && aimed(whole)))
                continue;
            const State before = stateOf(pieced);
            press(pieced, key);
            const QString cut = QGuiApplication::clipboard()->text();
            press(whole, key);
            State expected = stateOf(whole);
            State got = stateOf(pieced);
            const auto between = [](int x, int a, int b) {
                return std::min(a, b) <= x && x <= std::max(a, b);
            };
            for (int extra = 0; key.kind == PastJoin && got.caret != expected.caret && atJoin(pieced) &&
                                between(got.caret, before.caret, expected.caret) && extra < 64;
                 ++extra) {
                press(pieced, key);
                got = stateOf(pieced);
            }
            if (key.kind == Undo && history.contains(got.text)) {
                if (got.text != expected.text)
                    whole.setText(got.text);
                expected.text = got.text;
            }
            if (key.kind == Layout || key.kind == Undo) {
                select(whole, got.anchor, got.caret, false);
                expected = stateOf(whole);
            }
            history << got.text;
            ASSERT_TRUE(got == expected && cut == QGuiApplication::clipboard()->text())
                << "sequence " << sequence << ", blocks of " << blockLength << ", text " << shown(text)
                << ", caret at " << start << ", keys " << pressed.join(' ').toStdString() << "\n got "
                << shown(got.text) << " " << got.anchor << "-" << got.caret << "\n expected "
                << shown(expected.text) << " " << expected.anchor << "-" << expected.caret;
        }
    }
    for (int place = 0; place < kPlaces; ++place)
        EXPECT_GT(places[place], 100) << kPlaceNames[place];
    std::printf("seed %u: %d sequences, %d keys\n", kSeed, kSequences, keys);
}

// From each place where a line's pieces meet, a selection key and then its opposite select as in
// the whole line, the way its text runs (Left goes forward in a right-to-left text), and come
// back to no selection where the whole line has none.
TEST(MemoPieces, SelectionKeysFromAJoinAndBack) {
    const auto seen = [](const TDialogMemo& memo) { // a join alone is a selection of its own
        return std::tuple(stateOf(memo).anchor, stateOf(memo).caret, memo.textCursor().hasSelection());
    };
    const QString rightToLeft = QString::fromUtf16(u"\u05D0\u05D1\u05D2 \u05D3\u05D4 ").repeated(6);
    for (const QString& text : {rightToLeft, QString("abcdefghij k").repeated(4)}) {
        TDialogMemo pieced(nullptr), whole(nullptr);
        pieced.setBlockLength(8, 2);
        whole.setBlockLength(std::numeric_limits<int>::max(), 0);
        pieced.setText(text);
        whole.setText(text);
        const State state = stateOf(pieced);
        for (size_t block = 1; block < state.starts.size(); ++block) {
            for (const auto& [later, modifiers, key] : {std::tuple(false, kShift, Qt::Key_Left),
                                                        {true, kShift, Qt::Key_Right},
                                                        {false, kShift | kCtrl, Qt::Key_Right},
                                                        {true, kShift | kCtrl, Qt::Key_Left}}) {
                select(pieced, state.starts[block], state.starts[block], later);
                select(whole, state.starts[block], state.starts[block], false);
                for (const Qt::Key k : {key, key == Qt::Key_Left ? Qt::Key_Right : Qt::Key_Left}) {
                    QTest::keyClick(&pieced, k, modifiers);
                    QTest::keyClick(&whole, k, modifiers);
                    EXPECT_EQ(seen(pieced), seen(whole))
                        << shown(text) << " from " << state.starts[block] << ", "
                        << QKeySequence(modifiers | k).toString().toStdString();
                }
            }
        }
    }
}

void sendMouse(QWidget* viewport, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, viewport->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

// A double click, and the drag after it with the button down, select whole words of the line
// where its pieces cut them: the text edit takes the start or the end of the piece of a word
// nearer the mouse.
TEST(MemoPieces, DoubleClickDragsByTheLinesWords) {
    for (const auto& [name, clicked, draggedTo, anchor, caret] :
         {std::tuple("from a word's later piece on to the end of a word cut in two", 10, 23, 4, 25),
          {"back to the start of a word cut in two", 28, 9, 31, 4},
          {"back onto the other piece of the word clicked", 10, 5, 4, 12}}) {
        TDialogMemo memo(nullptr);
        memo.resize(240, 120), memo.show();
        memo.setBlockLength(8, 0);
        memo.setText("one twothree four fivesix seven"); // pieces "one twot", "hree fou", "r fivesi"
        select(memo, draggedTo, draggedTo, true);
        const QPoint to = memo.cursorRect().center();
        select(memo, clicked, clicked, true);
        const QPoint at = memo.cursorRect().center();
        sendMouse(memo.viewport(), QEvent::MouseButtonPress, at);
        sendMouse(memo.viewport(), QEvent::MouseButtonDblClick, at);
        sendMouse(memo.viewport(), QEvent::MouseMove, to);
        sendMouse(memo.viewport(), QEvent::MouseButtonRelease, to);
        const State got = stateOf(memo);
        EXPECT_EQ(std::pair(got.anchor, got.caret), std::pair(anchor, caret)) << name;
    }
}

// A selection dragged with the mouse and dropped elsewhere in the memo, moved or copied, or taken
// by another box or program, as the text kept whole would have it; one undo takes the drop back.
TEST(MemoPieces, DragsActAsOnTheWholeText) {
    constexpr unsigned kSeed = 20240612;
    constexpr int kDrags = 3000, kWholeLengthDrags = 30;
    std::mt19937 random(kSeed);
    TDialogMemo memo(nullptr);
    memo.resize(240, 600);
    memo.show();
    for (int drag = 0; drag < kDrags; ++drag) {
        const bool realLength = drag < kWholeLengthDrags;
        memo.setBlockLength(realLength ? 4096 : 6 + int(random() % 20), realLength ? 256 : int(random() % 8));
        QString text = randomText(random, realLength ? 9000 : 20 + int(random() % 100));
        if (realLength) // one line
            text.replace(u'\r', u' ').replace(u'\n', u' ');
        memo.setText(text);
        // At the real length, around the first join, all in view.
        const int from = realLength ? memo.document()->firstBlock().length() - 61 : 0;
        const int length = realLength ? 120 : int(text.size());
        int a = randomCaret(random, text, from, length), b = randomCaret(random, text, from, length);
        int d = randomCaret(random, text, from, length), pressed = std::min(a, b);
        const bool later = random() % 2, out = random() % 4 == 0;
        const Qt::DropAction action = random() % 3 ? Qt::MoveAction : Qt::CopyAction;
        while (pressed < std::max(a, b) && (text[pressed] == u'\r' || text[pressed] == u'\n'))
            ++pressed; // on a character, which a line break is not
        select(memo, a, b, later);
        memo.centerCursor();
        const State selected = stateOf(memo);
        select(memo, pressed, pressed, true);
        const QPoint press = memo.cursorRect().center() + QPoint(2, 0);
        select(memo, d, d, random() % 2);
        const QPoint drop = memo.cursorRect().center();
        memo.setTextCursor(memo.cursorForPosition(drop));
        d = stateOf(memo).caret;
        select(memo, a, b, later);
        if (a > b)
            std::swap(a, b);
        const QString kept = action == Qt::MoveAction ? text.left(a) + text.mid(b) : text;
        const int to = (action == Qt::CopyAction || d <= a ? d : d >= b ? d - (b - a) : a);
        const State expected =
            out && action == Qt::CopyAction ? selected
            : out                           ? State{kept, a, a, {}, {}}
                  : State{kept.left(to) + text.mid(a, b - a) + kept.mid(to), to + b - a, to + b - a, {}, {}};
        memo.setDragSeam([&](const QMimeData* data, Qt::DropActions) {
            // The memo takes the drop once it has taken the drag entering it.
            QDragEnterEvent enter(drop, action, data, Qt::LeftButton, Qt::NoModifier);
            QDropEvent event(drop, action, data, Qt::LeftButton, Qt::NoModifier);
            if (!out) {
                QApplication::sendEvent(memo.viewport(), &enter);
                QApplication::sendEvent(memo.viewport(), &event);
            }
            return out || event.isAccepted() ? action : Qt::IgnoreAction;
        });
        if (pressed == b) // the selection holds no character
            continue;
        ASSERT_TRUE(memo.viewport()->rect().contains(press) && memo.viewport()->rect().contains(drop));
        sendMouse(memo.viewport(), QEvent::MouseButtonPress, press);
        sendMouse(memo.viewport(), QEvent::MouseMove, press + QPoint(QApplication::startDragDistance(), 0));
        const State got = stateOf(memo);
        memo.undo();
        ASSERT_TRUE(got == expected && memo.text() == text)
            << "drag " << drag << ": " << a << "-" << b << (out ? " out " : " to ") << d << " " << action
            << " in " << shown(text) << "\n got " << shown(got.text) << " " << got.anchor << "-" << got.caret
            << ", undone " << shown(memo.text());
    }
}

} // namespace
