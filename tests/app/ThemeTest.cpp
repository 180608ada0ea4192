// The main window's two bars: their labels and end pieces, the colour theme, the labels'
// binding to the actions, hot and pressed looks with the real mouse events, press and hold on
// Open, and the window's minimum width.
#include "app/ImageLists.h"
#include "app/PasswrdFrm.h"
#include "app/Unit1.h"
#include "controls/EkArt.h"
#include "controls/EkGradiLabel.h"
#include "controls/ImgList.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/TextFileDialog.h"
#include "tests/support/DialogResponders.h"
#include "tests/support/Rgb.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLayout>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace {

using testsupport::Rgb;
using testsupport::rgbAt;

Rgb rgbOf(TColor c) {
    return testsupport::rgbOfColorValue(c);
}

// What the widget shows (its paint event copies the off-screen picture).
QImage shown(QWidget* w) {
    return w->grab().toImage();
}

// Children of a bar, left to right.
QStringList namesLeftToRight(QWidget* bar) {
    QList<QWidget*> children = bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::sort(children.begin(), children.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    QStringList names;
    for (QWidget* w : children)
        names << w->objectName();
    return names;
}

const QByteArray kSample = "[General]\r\nName=Value\r\n; note\r\n";

class BarsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form = std::make_unique<TForm1>();
    }

    void showForm() {
        // The pointer stays where an earlier test left it: put it off the window, or a label
        // that comes to lie under it starts hot.
        QCursor::setPos(QPoint(-1000, -1000));
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->layout()->activate();
    }

    QString writeSample() {
        const QString p = dir.filePath("sample.ini");
        EXPECT_TRUE(testsupport::writeFile(p, kSample));
        return p;
    }

    QList<TEkGradiLabel*> labels() const {
        return form->PnlTop->findChildren<TEkGradiLabel*>() + form->PnlBottom->findChildren<TEkGradiLabel*>();
    }
    QList<TEkArt*> pieces() const {
        return form->PnlTop->findChildren<TEkArt*>() + form->PnlBottom->findChildren<TEkArt*>();
    }

    QTemporaryDir dir;
    platform::ScopedMessageBoxResponder boxes{platform::IdCancel};
    platform::ScopedTextFileResponder dialogs;
    std::unique_ptr<TForm1> form;
};

// --- Layout -------------------------------------------------------------------------------------

TEST_F(BarsTest, BarsHoldTheirGroupsBetweenEndPieces) {
    showForm();
    EXPECT_EQ(namesLeftToRight(form->PnlTop),
              QStringList(
                  {"EkArt1",       "GlNew",         "GlOpen",          "GlReload",        "GlSave",
                   "GlSaveAs",     "GlSearch",      "EkArt2",          "GlSpaceSections", "EkArt5",
                   "GlSectionAdd", "GlSectionCopy", "GlSectionInsert", "GlSectionEdit",   "GlSectionDdelete",
                   "EkArt6",       "GlSpaceItems",  "EkArt3",          "GlItemAdd",       "GlItemInsert",
                   "GlItemEdit",   "GlItemDelete",  "EkArt4"}));
    EXPECT_EQ(namesLeftToRight(form->PnlBottom),
              QStringList(
                  {"EkArt7",         "EkGradiLabel10", "LbLoadTime",        "EkArt8",        "EkArt9",
                   "EkGradiLabel20", "LbShowTime",     "EkArt10",           "EkArt11",       "LbSectionCount",
                   "LbValueCount",   "LbCommentCount", "LbErrorCount",      "LbEmptyCount",  "GlValuesOnly",
                   "EkArt12",        "EkArt13",        "ButCreateShortcut", "EkGradiLabel1", "GlHelp",
                   "GlInfo",         "EkArt14"}));
    // The last group sits at the right edge of the status bar.
    EXPECT_EQ(form->EkArt14->geometry().right(), form->PnlBottom->width() - 1);
    for (QWidget* bar : {form->PnlTop, form->PnlBottom}) {
        for (QWidget* w : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_EQ(w->y(), 0);
            EXPECT_EQ(w->height(), bar->height());
        }
    }
}

TEST_F(BarsTest, SpacersKeepTheToolBarsGroupsApartAndDrawNothing) {
    showForm();
    const auto all = labels();
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](auto* l) { return l->LabelType() == altButton; }), 21);
    for (TEkGradiLabel* spacer : {form->GlSpaceSections, form->GlSpaceItems}) {
        SCOPED_TRACE(spacer->objectName().toStdString());
        EXPECT_TRUE(!spacer->Alive() && !spacer->AutoSize() && spacer->Caption().isEmpty());
        ASSERT_GT(spacer->width(), 0);
        QTest::mouseMove(form->PnlTop, spacer->geometry().center()); // no hot look either
        const QImage bar = shown(form->PnlTop);
        for (int x = spacer->x(); x <= spacer->geometry().right(); ++x)
            EXPECT_EQ(rgbAt(bar, x, bar.height() / 2), rgbOf(0xD8B4A3)) << x; // the bar's colour
    }
}

TEST_F(BarsTest, EndPiecesCloseTheirGroupsFromOutside) {
    struct Row {
        TEkArt* piece;
        TEkArtType type;
        TEkGradiLabel* before;
        TEkGradiLabel* after;
    };
    const Row rows[] = {
        {form->EkArt1, aatEndLeft, nullptr, form->GlNew},
        {form->EkArt2, aatEndRight, form->GlSearch, nullptr},
        {form->EkArt5, aatEndLeft, nullptr, form->GlSectionAdd},
        {form->EkArt6, aatEndRight, form->GlSectionDdelete, nullptr},
        {form->EkArt3, aatEndLeft, nullptr, form->GlItemAdd},
        {form->EkArt4, aatEndRight, form->GlItemDelete, nullptr},
        {form->EkArt7, aatEndLeft, nullptr, form->EkGradiLabel10},
        {form->EkArt8, aatEndRight, form->LbLoadTime, nullptr},
        {form->EkArt9, aatEndLeft, nullptr, form->EkGradiLabel20},
        {form->EkArt10, aatEndRight, form->LbShowTime, nullptr},
        {form->EkArt11, aatEndLeft, nullptr, form->LbSectionCount},
        {form->EkArt12, aatEndRight, form->GlValuesOnly, nullptr},
        {form->EkArt13, aatEndLeft, nullptr, form->ButCreateShortcut},
        {form->EkArt14, aatEndRight, form->GlInfo, nullptr},
    };
    ASSERT_EQ(pieces().size(), std::size(rows));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.piece->objectName().toStdString());
        EXPECT_EQ(row.piece->ArtType(), row.type);
        EXPECT_EQ(row.piece->LabelBefore(), row.before);
        EXPECT_EQ(row.piece->LabelAfter(), row.after);
    }
}

TEST_F(BarsTest, MinimumWidthIsTheRightEdgeOfTheLastEndPiece) {
    showForm();
    const int rightEdge = form->EkArt4->mapTo(form.get(), QPoint(form->EkArt4->width(), 0)).x();
    EXPECT_EQ(form->minimumWidth(), rightEdge);
    for (QWidget* w : form->PnlTop->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_LE(w->geometry().right(), form->EkArt4->geometry().right()) << w->objectName().toStdString();
    form->resize(100, form->height());
    EXPECT_EQ(form->width(), rightEdge);
}

// --- Colour theme -------------------------------------------------------------------------------

TEST_F(BarsTest, DefaultThemeReachesEveryLabelAndPiece) {
    // The window design's colour of the "?" and "i" buttons, until the theme replaces it.
    EXPECT_EQ(form->GlHelp->fontColor(), 12072974u);
    showForm();
    for (QWidget* bar : {form->PnlTop, form->PnlBottom})
        EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(163, 180, 216));
    // A pixel of the top bar right of its last end piece shows the bar's own colour.
    const QImage top = shown(form->PnlTop);
    EXPECT_EQ(rgbAt(top, top.width() - 1, top.height() / 2), rgbOf(0xD8B4A3));

    ASSERT_EQ(labels().size(), 31);
    for (TEkGradiLabel* label : labels()) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_EQ(label->ClGradiLight(), 0xFBF2EAu);
        EXPECT_EQ(label->ClGradiDark(), 0xD8B4A3u);
        EXPECT_EQ(label->ClHotLight(), 0xCFEFFFu);
        EXPECT_EQ(label->ClHotDark(), 0x3B88D1u);
        EXPECT_EQ(label->ClPressLight(), 0xCFEFFFu);
        EXPECT_EQ(label->ClPressDark(), 0x3B88D1u);
        EXPECT_EQ(label->ClFontHot(), 0xD50000u);
        EXPECT_EQ(label->fontColor(), 9243666u);
    }
    for (TEkArt* piece : pieces()) {
        SCOPED_TRACE(piece->objectName().toStdString());
        EXPECT_EQ(piece->ClGradiLight(), 0xFBF2EAu);
        EXPECT_EQ(piece->ClGradiDark(), 0xD8B4A3u);
    }
}

TEST_F(BarsTest, ToolBarButtonOf26RowsShadesFromTheDarkToTheLightThemeColour) {
    showForm();
    form->PnlTop->setFixedHeight(26);
    form->layout()->activate();
    ASSERT_EQ(form->GlNew->height(), 26);
    // Column 0 lies in the margin, left of the image: background only.
    const QImage button = shown(form->GlNew);
    EXPECT_EQ(rgbAt(button, 0, 0), (Rgb{163, 180, 216}));  // 0xD8B4A3
    EXPECT_EQ(rgbAt(button, 0, 9), (Rgb{233, 241, 250}));  // the ramp towards 0xFBF2EA
    EXPECT_EQ(rgbAt(button, 0, 10), (Rgb{234, 242, 251})); // 0xFBF2EA
    EXPECT_EQ(rgbAt(button, 0, 25), (Rgb{124, 137, 165})); // 0xD8B4A3 darkened by the pipe shadow
    // The end piece beside it continues its rows at its right edge.
    const QImage piece = shown(form->EkArt1);
    for (int y : {0, 10, 25})
        EXPECT_EQ(rgbAt(piece, piece.width() - 1, y), rgbAt(button, 0, y)) << "row " << y;
}

TEST_F(BarsTest, AllZeroThemePaintsBarsAndButtonsBlack) {
    showForm();
    form->themeColours.fill(0);
    form->applyTheme();
    EXPECT_EQ(form->PnlBottom->palette().color(QPalette::Window), QColor(0, 0, 0));
    // A letter button holds no image: every pixel is background or text, all black.
    for (TEkGradiLabel* letter : {form->GlHelp, form->GlInfo, form->EkGradiLabel1}) {
        const QImage image = shown(letter);
        int notBlack = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                notBlack += rgbAt(image, x, y) == Rgb{0, 0, 0} ? 0 : 1;
        EXPECT_EQ(notBlack, 0) << letter->objectName().toStdString();
    }
    const QImage button = shown(form->GlNew);
    EXPECT_EQ(rgbAt(button, 0, button.height() / 2), (Rgb{0, 0, 0}));
    const QImage piece = shown(form->EkArt1);
    EXPECT_EQ(rgbAt(piece, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(rgbAt(piece, piece.width() - 1, piece.height() / 2), (Rgb{0, 0, 0}));
}

// --- Actions ------------------------------------------------------------------------------------

TEST_F(BarsTest, ButtonsFollowTheirActions) {
    struct Row {
        TEkGradiLabel* button;
        QAction* action;
    };
    const Row rows[] = {
        {form->GlNew, form->ActNewFile},
        {form->GlOpen, form->ActOpenFile},
        {form->GlReload, form->ActReload},
        {form->GlSave, form->ActSave},
        {form->GlSaveAs, form->ActSaveAs},
        {form->GlSearch, form->ActSearch},
        {form->GlSectionAdd, form->ActAddSection},
        {form->GlSectionInsert, form->ActInsertSection},
        {form->GlSectionEdit, form->ActEditSection},
        {form->GlSectionDdelete, form->ActDeleteSection},
        {form->GlItemAdd, form->ActAddItem},
        {form->GlItemInsert, form->ActInsertItem},
        {form->GlItemEdit, form->ActEditItem},
        {form->GlItemDelete, form->ActDeleteItem},
        {form->GlValuesOnly, form->ActValuesOnly},
    };
    const auto expectFollowing = [&](const char* when) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(when) + " " + row.button->objectName().toStdString());
            EXPECT_EQ(row.button->isEnabled(), row.action->isEnabled());
            EXPECT_EQ(row.button->visualState(), row.action->isEnabled() ? 0 : 3);
            EXPECT_EQ(row.button->Caption(), row.action->text());
            EXPECT_EQ(row.button->toolTip(), row.action->toolTip());
        }
    };
    showForm();
    expectFollowing("at start");
    EXPECT_FALSE(form->GlSave->isEnabled());
    EXPECT_FALSE(form->GlSearch->isEnabled());

    dialogs.answer(writeSample(), 4);
    form->ActOpenFile->trigger();
    ASSERT_FALSE(form->fileName.isEmpty());
    expectFollowing("after open");
    EXPECT_TRUE(form->GlSearch->isEnabled());
    EXPECT_TRUE(form->ButCreateShortcut->isEnabled());

    form->ActNewFile->trigger();
    expectFollowing("after new");
    EXPECT_FALSE(form->ButCreateShortcut->isEnabled());
}

TEST_F(BarsTest, ButtonsShowTheirImagesAndGreyedOnesWhenDisabled) {
    showForm();
    EXPECT_EQ(form->GlSave->Images(), form->IlButtons);
    EXPECT_EQ(form->GlSave->ImageIndex(), form->ActSave->property(kActionImageIndexProperty).toInt());
    const QImage normal = form->IlButtons->image(form->GlSave->ImageIndex());
    const QImage greyed = form->IlButtons->image(form->GlSave->ImageDisabledIndex());
    ASSERT_FALSE(greyed.isNull());
    ASSERT_EQ(greyed.size(), normal.size());
    for (int y = 0; y < greyed.height(); ++y) {
        for (int x = 0; x < greyed.width(); ++x) {
            const QRgb p = greyed.pixel(x, y);
            ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
            ASSERT_EQ(qAlpha(p), qAlpha(normal.pixel(x, y)));
        }
    }
}

TEST_F(BarsTest, LetterButtonsKeepTheirLettersAndTheToggleChangesItsImages) {
    showForm();
    EXPECT_EQ(form->GlHelp->Caption(), "?");
    EXPECT_EQ(form->GlInfo->Caption(), "i");
    EXPECT_EQ(form->EkGradiLabel1->Caption(), "P");
    EXPECT_EQ(form->GlValuesOnly->ImageIndex(), 11);
    EXPECT_EQ(form->GlValuesOnly->ImageHotIndex(), 13);
    form->ActValuesOnly->trigger();
    EXPECT_EQ(form->GlValuesOnly->ImageIndex(), 12);
    EXPECT_EQ(form->GlValuesOnly->ImageHotIndex(), 14);
}

TEST_F(BarsTest, LetterButtonsRunTheirActions) {
    showForm();
    struct Row {
        TEkGradiLabel* button;
        QAction* action;
    };
    // Help and about are left out: they would open a browser and a dialog.
    platform::ScopedSeam generator(TPasswordFrm::responder, [](bool) { return std::optional<QString>(); });
    for (const Row& row : {Row{form->EkGradiLabel1, form->ActGeneratePassword}}) {
        QSignalSpy triggered(row.action, &QAction::triggered);
        row.action->setEnabled(false);
        EXPECT_FALSE(row.button->isEnabled());
        row.action->setEnabled(true);
        EXPECT_TRUE(row.button->isEnabled());
        EXPECT_EQ(row.button->toolTip(), row.action->toolTip());
        QTest::mouseClick(row.button, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(triggered.count(), 1);
    }
}

TEST_F(BarsTest, ClickingOpenRunsTheOpenCommand) {
    showForm();
    const QString name = writeSample();
    dialogs.answer(name, 4);
    QTest::mouseClick(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(dialogs.records.size(), 1);
    EXPECT_EQ(form->fileName, name);
    EXPECT_FALSE(form->MruTimer->isActive());
}

// --- Mouse looks --------------------------------------------------------------------------------

TEST_F(BarsTest, HoverAndPressLooksOnTheWindowsButton) {
    showForm();
    QTest::mouseMove(form.get(), QPoint(1, form->height() / 2)); // away from the bars
    TEkGradiLabel* button = form->GlNew;
    const QPoint inside(button->width() / 2, button->height() / 2);
    QTest::mouseMove(button, inside);
    ASSERT_EQ(button->visualState(), 1);
    const QImage hot = shown(button);
    EXPECT_EQ(rgbAt(hot, 0, 0), rgbOf(0x3B88D1)); // hot dark, theme colour 5
    // The end piece before it keeps continuing the normal look.
    EXPECT_EQ(rgbAt(shown(form->EkArt1), form->EkArt1->width() - 1, 0), rgbOf(0xD8B4A3));

    QSignalSpy triggered(form->ActNewFile, &QAction::triggered);
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button->visualState(), 2);
    const QImage pressed = shown(button);
    EXPECT_EQ(rgbAt(pressed, 5, 0), (Rgb{0, 0, 0}));  // the shadow edge on top
    EXPECT_EQ(rgbAt(pressed, 0, 5), (Rgb{0, 0, 0}));  // and at the left
    EXPECT_EQ(rgbAt(pressed, 5, 1), rgbOf(0x3B88D1)); // the pressed picture, one row lower
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button->visualState(), 1);
    EXPECT_EQ(triggered.count(), 1);

    QTest::mouseMove(form.get(), QPoint(1, form->height() / 2));
    EXPECT_EQ(button->visualState(), 0);
    EXPECT_EQ(rgbAt(shown(button), 0, 0), rgbOf(0xD8B4A3));
    EXPECT_EQ(rgbAt(shown(form->EkArt1), form->EkArt1->width() - 1, 0), rgbOf(0xD8B4A3));
}

TEST_F(BarsTest, StatusLabelsNeverChangeTheirLook) {
    showForm();
    QTest::mouseMove(form->LbSectionCount, QPoint(3, 3));
    EXPECT_EQ(form->LbSectionCount->visualState(), 0);
    QTest::mouseMove(form->GlValuesOnly, QPoint(3, 3));
    EXPECT_EQ(form->GlValuesOnly->visualState(), 1); // the toggle is alive
}

// --- Press and hold on Open ---------------------------------------------------------------------

TEST_F(BarsTest, PressOnOpenStartsTheHoldTimerAndAnEarlyReleaseOpens) {
    showForm();
    QTest::mousePress(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(form->MruTimer->isActive());
    EXPECT_EQ(form->MruTimer->interval(), 600);
    QTest::mouseRelease(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(form->MruTimer->isActive());
    EXPECT_EQ(dialogs.records.size(), 1); // Open ran (and was cancelled)

    QTest::mousePress(form->GlOpen, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(form->MruTimer->isActive());
    QTest::mouseRelease(form->GlOpen, Qt::RightButton, {}, QPoint(5, 5));
}

TEST_F(BarsTest, HeldPressWithNoRecentFilesStaysAndTheReleaseOpens) {
    showForm();
    ASSERT_EQ(form->MRUList->getCount(), 0);
    QTest::mousePress(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    form->MruTimerTimer(); // the timer's tick, 600 ms later
    EXPECT_FALSE(form->MruTimer->isActive());
    QTest::mouseRelease(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(dialogs.records.size(), 1); // Open ran (and was cancelled)
}

TEST_F(BarsTest, HeldPressIsTakenWithoutAClick) {
    showForm();
    form->MRUList->AddMru(QStringLiteral("/tmp/recent.ini"));
    QTest::mousePress(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(form->MruTimer->isActive());
    form->MruTimerTimer(); // the timer's tick, 600 ms later
    EXPECT_FALSE(form->MruTimer->isActive());
    EXPECT_EQ(form->GlOpen->visualState(), 1); // no longer pressed
    QTest::mouseRelease(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(dialogs.records.isEmpty()); // no click, no Open
}

TEST_F(BarsTest, LeavingOpenOrAStoppedTimerEndsTheHold) {
    showForm();
    form->MRUList->AddMru(QStringLiteral("/tmp/recent.ini"));
    // Left by the leave, or by a move off the label, which is all Qt reports while the button
    // is held: no pop-up comes.
    for (const bool moved : {false, true}) {
        QTest::mousePress(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
        QEvent leave(QEvent::Leave);
        if (moved)
            QTest::mouseMove(form->GlOpen, QPoint(5, form->GlOpen->height() + 10));
        else
            QApplication::sendEvent(form->GlOpen, &leave);
        EXPECT_FALSE(form->MruTimer->isActive());
        EXPECT_FALSE(QTest::qWaitFor([this] { return form->PopupMRU->isVisible(); }, moved ? 900 : 0));
        form->PopupMRU->hide();
        // A tick that comes after the timer stopped changes nothing: the press stays, and the
        // release over the button opens (the dialog is cancelled).
        form->MruTimerTimer();
        QTest::mouseRelease(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    }
    EXPECT_EQ(dialogs.records.size(), 2);
}

} // namespace
