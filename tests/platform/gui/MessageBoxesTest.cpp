#include "platform/gui/MessageBoxes.h"

#include "platform/core/SysUtils.h"
#include "tests/support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace platform;

namespace {

// Calls each box function the same way and turns its result into an answer number.
int callBox(MessageBoxKind kind, const QString& caption, const QString& text) {
    switch (kind) {
    case MessageBoxKind::Info:
        showInfo(caption, text);
        return IdOk;
    case MessageBoxKind::Error:
        showError(caption, text);
        return IdOk;
    case MessageBoxKind::ErrorBox:
        showErrorBox(caption, text);
        return IdOk;
    case MessageBoxKind::YesNo:
        return askYesNo(caption, text) ? IdYes : IdNo;
    case MessageBoxKind::YesNoCancel:
        return askYesNoCancel(caption, text);
    }
    return -1;
}

std::string kindName(MessageBoxKind kind) {
    switch (kind) {
    case MessageBoxKind::Info:
        return "Info";
    case MessageBoxKind::Error:
        return "Error";
    case MessageBoxKind::ErrorBox:
        return "ErrorBox";
    case MessageBoxKind::YesNo:
        return "YesNo";
    case MessageBoxKind::YesNoCancel:
        return "YesNoCancel";
    }
    return "Unknown";
}

struct SeamRow {
    MessageBoxKind kind;
    int scripted;
    int expected;
};

void PrintTo(const SeamRow& row, std::ostream* os) {
    *os << kindName(row.kind) << " answered " << row.scripted << ", expects " << row.expected;
}

class MessageBoxSeam : public ::testing::TestWithParam<SeamRow> {};

} // namespace

TEST_P(MessageBoxSeam, RecordsTheBoxAndReadsTheScriptedAnswer) {
    const SeamRow row = GetParam();
    ScopedMessageBoxResponder responder;
    responder.answer({row.scripted});

    EXPECT_EQ(callBox(row.kind, "File Error", "Wrong password for:\r\nx.IniCry"), row.expected);

    ASSERT_EQ(responder.records.size(), 1);
    EXPECT_EQ(responder.records[0].caption, "File Error");
    EXPECT_EQ(responder.records[0].text, "Wrong password for:\r\nx.IniCry");
    EXPECT_EQ(responder.records[0].kind, row.kind);
    EXPECT_TRUE(responder.answers.empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, MessageBoxSeam,
                         ::testing::Values(SeamRow{MessageBoxKind::Info, IdOk, IdOk},
                                           SeamRow{MessageBoxKind::Error, IdCancel, IdOk},
                                           SeamRow{MessageBoxKind::ErrorBox, IdOk, IdOk},
                                           SeamRow{MessageBoxKind::YesNo, IdYes, IdYes},
                                           SeamRow{MessageBoxKind::YesNo, IdNo, IdNo},
                                           SeamRow{MessageBoxKind::YesNo, IdCancel, IdNo},
                                           SeamRow{MessageBoxKind::YesNoCancel, IdYes, IdYes},
                                           SeamRow{MessageBoxKind::YesNoCancel, IdNo, IdNo},
                                           SeamRow{MessageBoxKind::YesNoCancel, IdCancel, IdCancel},
                                           // An answer no box gives must not leak out as a button number.
                                           SeamRow{MessageBoxKind::YesNoCancel, 42, IdCancel},
                                           SeamRow{MessageBoxKind::YesNoCancel, IdOk, IdCancel}),
                         [](const auto& info) {
                             return testsupport::caseName(kindName(info.param.kind) + "_answers_" +
                                                              std::to_string(info.param.scripted),
                                                          info.index);
                         });

TEST(MessageBoxResponder, AnswersInOrderThenTheDefault) {
    ScopedMessageBoxResponder responder(IdNo);
    responder.answer({IdYes, IdCancel});
    EXPECT_EQ(askYesNoCancel("a", "1"), IdYes);
    EXPECT_EQ(askYesNoCancel("a", "2"), IdCancel);
    EXPECT_EQ(askYesNoCancel("a", "3"), IdNo);
    EXPECT_FALSE(askYesNo("a", "4"));
    ASSERT_EQ(responder.records.size(), 4);
    EXPECT_EQ(responder.records[3].kind, MessageBoxKind::YesNo);
}

TEST(MessageBoxResponder, NestedRespondersRestoreTheOuterOne) {
    ScopedMessageBoxResponder outer(IdYes);
    {
        ScopedMessageBoxResponder inner(IdNo);
        EXPECT_FALSE(askYesNo("c", "inner"));
        EXPECT_EQ(inner.records.size(), 1);
    }
    EXPECT_TRUE(askYesNo("c", "outer"));
    ASSERT_EQ(outer.records.size(), 1);
    EXPECT_EQ(outer.records[0].text, "outer");
}

TEST(MessageBoxResponder, ModelMessagesBecomeInformationBoxes) {
    ScopedMessageBoxResponder responder;
    ScopedSeam sink(messageSink, {});
    QApplication::setApplicationDisplayName("Velquin");
    installModelMessageBoxes();
    ShowMessage("UTF-32 is not supported");

    ASSERT_EQ(responder.records.size(), 1);
    EXPECT_EQ(responder.records[0].kind, MessageBoxKind::Info);
    EXPECT_EQ(responder.records[0].caption, "Velquin");
    EXPECT_EQ(responder.records[0].text, "UTF-32 is not supported");
}

TEST(MessageBoxOwner, ADestroyedOwnerIsForgotten) {
    auto owner = std::make_unique<QWidget>();
    setMessageBoxOwner(owner.get());
    EXPECT_EQ(messageBoxOwner(), owner.get());
    owner.reset();
    EXPECT_EQ(messageBoxOwner(), nullptr);
}

// --- The real boxes, answered by a timer that finds the open box ------------------------------

namespace {

struct Seen {
    bool found = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* parent = nullptr;
};

// Waits for the modal box, notes what it shows and lets `act` answer it. Gives up after two
// seconds by closing every top-level window, so a wrong expectation fails instead of hanging.
void answerNextBox(Seen& seen, std::function<void(QMessageBox*)> act) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, &seen, act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (clock->elapsed() > 2000) {
                timer->deleteLater();
                timer->stop();
                QApplication::closeAllWindows();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        seen.found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.format = box->textFormat();
        seen.parent = box->parentWidget();
        act(box);
    });
    timer->start(10);
}

struct RealRow {
    MessageBoxKind kind;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton click; // NoButton: press Esc
    int expected;
};

void PrintTo(const RealRow& row, std::ostream* os) {
    *os << kindName(row.kind) << (row.click == QMessageBox::NoButton ? " escaped" : " clicked")
        << ", expects " << row.expected;
}

class RealMessageBox : public ::testing::TestWithParam<RealRow> {};

} // namespace

TEST_P(RealMessageBox, ShowsIconButtonsAndOwnerAndAnswers) {
    const RealRow row = GetParam();
    // The test program answers unexpected boxes; this test wants the real one.
    ScopedSeam realBoxes(messageBoxResponder, {});
    QWidget owner;
    setMessageBoxOwner(&owner);
    Seen seen;
    answerNextBox(seen, [&row](QMessageBox* box) {
        if (row.click == QMessageBox::NoButton) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(box, &escape);
        } else
            box->button(row.click)->click();
    });

    const int result = callBox(row.kind, "Velquin", "<b>not bold</b>");
    setMessageBoxOwner(nullptr);

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, "Velquin");
    EXPECT_EQ(seen.text, "<b>not bold</b>");
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.icon, row.icon);
    EXPECT_EQ(seen.buttons, row.buttons);
    EXPECT_EQ(seen.parent, &owner);
    EXPECT_EQ(result, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RealMessageBox,
    ::testing::Values(
        RealRow{MessageBoxKind::Info, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok, IdOk},
        RealRow{MessageBoxKind::Error, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, IdOk},
        RealRow{MessageBoxKind::ErrorBox, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, IdOk},
        RealRow{MessageBoxKind::YesNo, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes, IdYes},
        RealRow{MessageBoxKind::YesNo, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::NoButton, IdNo},
        RealRow{MessageBoxKind::YesNoCancel, QMessageBox::Question,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No, IdNo},
        RealRow{MessageBoxKind::YesNoCancel, QMessageBox::Question,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoButton, IdCancel}),
    [](const auto& info) {
        return testsupport::caseName(kindName(info.param.kind) +
                                         (info.param.click == QMessageBox::NoButton ? "_escape" : "_click"),
                                     info.index);
    });

// A box is wide enough for its title in a window manager's title bar (room for the bold title
// and five frame buttons a line high at least); one whose text is wider keeps Qt's width.
TEST(RealMessageBoxWidth, FitsTheTitleAndKeepsTheTextsWidth) {
    ScopedSeam realBoxes(messageBoxResponder, {});
    QFont bold = QApplication::font("QMdiSubWindowTitleBar");
    bold.setBold(true);
    const QFontMetrics title(bold);
    const std::pair<QString, QString> rows[] = {{"Velquin Search", "No Mach Vere Found!"},
                                                {"Version Check Error!", "x"},
                                                {"File Error", QString(60, 'W')}};
    for (const auto& [caption, text] : rows) {
        QMessageBox plain(QMessageBox::Information, caption, text);
        plain.show(); // sized by Qt alone
        Seen seen;
        int width = 0;
        answerNextBox(seen, [&width](QMessageBox* box) {
            width = box->width(), box->button(QMessageBox::Ok)->click();
        });
        showInfo(caption, text);
        EXPECT_GE(width, title.horizontalAdvance(caption) + 5 * title.height()) << caption.toStdString();
        EXPECT_EQ(width, std::max(plain.width(), titleBarWidth(caption))) << caption.toStdString();
    }
}
