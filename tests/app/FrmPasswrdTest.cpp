#include "app/FrmPasswrd.h"
#include "tests/support/DialogResponders.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QPushButton* okButton(TFormPassword& dialog) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == "OK")
            return button;
    return nullptr;
}

QLineEdit* passwordEdit(QWidget* dialog) {
    return dialog->findChild<QLineEdit*>();
}

// Device-independent pixels of a length given at 144 pixels per inch.
int scaled(const QWidget& widget, int design) {
    return qRound(design * widget.screen()->logicalDotsPerInch() / 144);
}

} // namespace

TEST(FormPassword, OkNeedsFiveCharacters) {
    TFormPassword dialog(TFormPassword::Mode::Open);
    dialog.show();
    QLineEdit* edit = passwordEdit(&dialog);
    QPushButton* ok = okButton(dialog);
    ASSERT_TRUE(edit && ok);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);

    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClicks(edit, "abcd");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(dialog.acceptable());
    QTest::keyClicks(edit, "e");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.password(), "abcde");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_FALSE(ok->isEnabled());

    edit->clear();
    QTest::keyClicks(edit, "     ");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.password(), "     ");
    EXPECT_EQ(edit->displayText(), "*****");
}

TEST(FormPassword, OpenModeHidesTheWarningAndIsShorterByItsHeight) {
    TFormPassword open(TFormPassword::Mode::Open);
    TFormPassword save(TFormPassword::Mode::Save);
    open.show();
    save.show();

    const auto warningOf = [](TFormPassword& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->text() == "Do not loose this password !!")
                return label;
        return static_cast<QLabel*>(nullptr);
    };
    ASSERT_TRUE(warningOf(open) && warningOf(save));
    EXPECT_FALSE(warningOf(open)->isVisible());
    EXPECT_TRUE(warningOf(save)->isVisible());
    EXPECT_TRUE(warningOf(save)->font().bold());

    EXPECT_EQ(save.width(), scaled(save, 408));
    EXPECT_EQ(save.height() - open.height(), scaled(save, 35));
    // The dialog ends right below the buttons' panel: 30 + 35 + 97 design pixels.
    EXPECT_NEAR(save.height(), scaled(save, 162), 2);
    EXPECT_EQ(save.windowTitle(), "File Password");
}

TEST(FormPassword, PaintsTheDialogGradient) {
    TFormPassword dialog(TFormPassword::Mode::Open);
    dialog.show();
    const QImage image = dialog.grab().toImage();
    const auto near = [](QColor seen, QColor wanted) {
        return std::abs(seen.red() - wanted.red()) <= 3 && std::abs(seen.green() - wanted.green()) <= 3 &&
               std::abs(seen.blue() - wanted.blue()) <= 3;
    };
    // 0xFFEBDE and 0xD8B4A3 are stored blue-green-red.
    const QColor top = image.pixelColor(0, 0);
    const QColor bottom = image.pixelColor(0, image.height() - 1);
    EXPECT_TRUE(near(top, QColor(0xDE, 0xEB, 0xFF))) << top.name().toStdString();
    EXPECT_TRUE(near(bottom, QColor(0xA3, 0xB4, 0xD8))) << bottom.name().toStdString();
}

namespace {

// Answers the next modal password dialog by typing `text` and pressing `key`.
void answerDialog(const QString& text, Qt::Key key) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, text, key] {
        QWidget* modal = QApplication::activeModalWidget();
        if (qobject_cast<TFormPassword*>(modal) == nullptr)
            return;
        timer->stop();
        timer->deleteLater();
        QTest::keyClicks(passwordEdit(modal), text);
        QTest::keyClick(modal, key);
    });
    timer->start(10);
}

} // namespace

TEST(FormPassword, AskPasswordGivesTheTypedPasswordOnOk) {
    answerDialog("my secret", Qt::Key_Return);
    EXPECT_EQ(TFormPassword::askPassword(TFormPassword::Mode::Save, nullptr),
              std::optional<QString>("my secret"));
}

TEST(FormPassword, EscapeAndATooShortPasswordGiveNothing) {
    answerDialog("long enough", Qt::Key_Escape);
    EXPECT_EQ(TFormPassword::askPassword(TFormPassword::Mode::Open, nullptr), std::nullopt);

    // Return with four characters does not accept: OK is disabled. Esc then cancels.
    answerDialog("four", Qt::Key_Return);
    QTimer::singleShot(300, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(TFormPassword::askPassword(TFormPassword::Mode::Open, nullptr), std::nullopt);
}

TEST(FormPassword, TheResponderAnswersWithoutADialog) {
    {
        ScopedPasswordResponder responder(QString("scripted"));
        EXPECT_EQ(TFormPassword::askPassword(TFormPassword::Mode::Open, nullptr),
                  std::optional<QString>("scripted"));
        responder.answer = std::nullopt;
        EXPECT_EQ(TFormPassword::askPassword(TFormPassword::Mode::Save, nullptr), std::nullopt);
        EXPECT_EQ(responder.asked,
                  QList<TFormPassword::Mode>({TFormPassword::Mode::Open, TFormPassword::Mode::Save}));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_FALSE(TFormPassword::responder); // the guard took its responder away again
}
