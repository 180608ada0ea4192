// Find, Find Next and Find Previous through the window's shortcuts, with the find dialog
// answered through its test seam.
#include "app/FrmSearch.h"
#include "app/Globl.h"
#include "tests/app/WindowFixture.h"

namespace {

using Box = TFormSearch::Box;

// Section 0 is nameless; "broken port" is a line without "=", which the values-only view hides.
const QByteArray kDocument = ";top port\r\n"
                             "[Alpha] ;port here\r\na=1\r\nport=80 ;port\r\nx=export\r\n"
                             "[Beta]\r\n;port comment\r\nb=2\r\nbroken port\r\n"
                             "[Gamma]\r\nc=Port\r\nd=none\r\n";

struct FindCase {
    const char* name;
    const char* pattern;
    const char* boxes; // the dialog's ticks, in the order of TFormSearch::Box
    bool valuesOnly;
    // F Ctrl+F (Find First), n F3, p Shift+F3, e an empty file is opened.
    const char* keys;
    // After each key: "section,value" selected rows, "box" for "No Mach Vere Found!" (which
    // leaves no row selected), "dlg" when the key opened the find dialog (cancelled).
    const char* shown;
};

class FindSequence : public WindowFixture, public ::testing::WithParamInterface<FindCase> {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        previous = TFormSearch::setResponder([this](TFormSearch& dialog) {
            ++opened;
            offered = dialog.historyList();
            commentsEnabled =
                dialog.isBoxEnabled(Box::ItemComments) || dialog.isBoxEnabled(Box::SectionComments);
            if (!findFirst)
                return false;
            dialog.setFindText(text);
            for (int b = 0; b <= int(Box::CaseSensitive); ++b)
                dialog.setTicked(Box(b), ticks[b] == '1');
            return true;
        });
    }
    void TearDown() override { TFormSearch::setResponder(previous); }

    // Presses `key` where the focus is and tells what it showed.
    QString press(char key) {
        const int dialogsBefore = opened;
        const qsizetype boxesBefore = boxes.records.size();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
        findFirst = key == 'F';
        if (key == 'e')
            open("");
        else if (key == 'F')
            QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier);
        else
            QTest::keyClick(target, Qt::Key_F3, key == 'p' ? Qt::ShiftModifier : Qt::NoModifier);
        if (opened > dialogsBefore && key != 'F')
            return "dlg";
        if (boxes.records.size() > boxesBefore) {
            EXPECT_EQ(boxes.records.last().caption + "|" + boxes.records.last().text,
                      "Velquin Search|No Mach Vere Found!");
            EXPECT_EQ(selected(form->LvSections) + selected(form->LvValues), "--");
            return "box";
        }
        return selected(form->LvSections) + "," + selected(form->LvValues);
    }

    TFormSearch::Responder previous;
    bool findFirst = false;
    QString text;
    QString ticks;
    int opened = 0;
    QStringList offered;
    bool commentsEnabled = true;
};

TEST_P(FindSequence, SelectsEachHitInBothLists) {
    const FindCase& c = GetParam();
    open(kDocument, c.valuesOnly);
    text = c.pattern;
    ticks = c.boxes;
    QStringList shown;
    for (const char* key = c.keys; *key; ++key)
        shown << press(*key);
    EXPECT_EQ(shown.join(QLatin1Char(32)).toStdString(), c.shown);
    // The values-only view searches no comments and keeps it so in the settings.
    EXPECT_EQ(commentsEnabled, !c.valuesOnly);
    if (c.valuesOnly) {
        EXPECT_FALSE(form->findSettings->sectionComments || form->findSettings->itemComments);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Hits, FindSequence,
    ::testing::Values(
        // Forwards every header and line holding the text, then back from the end to the start.
        FindCase{"forward_to_end_and_back", "port", "1111100", false, "Fnnnnnnnpppppppp",
                 "0,0 1,- 1,1 1,2 2,0 2,2 3,0 box 3,0 2,2 2,0 1,2 1,1 1,- 0,0 dlg"},
        // After the last hit the next F3 starts over at the top.
        FindCase{"whole_words_and_case", "port", "1111111", false, "Fnnnnnn", "0,0 1,- 1,1 2,0 2,2 box 0,0"},
        FindCase{"section_names_only", "a", "1000000", false, "Fnnn", "1,- 2,- 3,- dlg"},
        FindCase{"item_comments_only", "port", "0000100", false, "Fnnn", "0,0 1,1 2,0 box"},
        // The hidden line "broken port" shows its section only, and the search goes on past it.
        FindCase{"values_only_hidden_line", "port", "1111100", true, "Fnnnnppp",
                 "1,1 1,2 2,- 3,0 box 3,0 2,- 1,2"},
        // A header found backwards has no item row to follow.
        FindCase{"values_only_header_backwards", "Gamma", "1111100", true, "Fpp", "3,- 3,- box"},
        // Without a search, or with a position the document no longer has, F3 opens the dialog.
        FindCase{"stale_position_after_empty_file", "none", "1111100", false, "nFenp",
                 "dlg 3,1 -,- dlg dlg"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FindSequence, HistoryKeepsTheLastTenTextsAndCancelKeepsTheSearch) {
    open(kDocument);
    ticks = "1111100";
    for (int i = 0; i <= 10; ++i) {
        text = QString("t%1").arg(i);
        press('F');
    }
    // An empty text finds nothing and leaves the history as it was.
    text = "";
    press('F');
    text = "port";
    EXPECT_EQ(press('F'), "0,0");
    EXPECT_EQ(offered, QStringList({"t10", "t9", "t8", "t7", "t6", "t5", "t4", "t3", "t2", "t1"}));
    // Cancelled: the history offered again is the same with "port" first, and F3 goes on.
    findFirst = false;
    form->ActSearch->trigger();
    EXPECT_EQ(offered.mid(0, 2), QStringList({"port", "t10"}));
    EXPECT_EQ(offered.size(), TSearchStruct::historySize);
    EXPECT_EQ(press('n'), "1,-");
}

} // namespace
