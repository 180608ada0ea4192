// Opens very large files through the real window and prints how long it took. Disabled by
// default (they write tens of megabytes); run with --gtest_also_run_disabled_tests. They check
// what was shown, never the time.
#include "app/IniListModels.h"
#include "app/Unit1.h"
#include "platform/gui/MessageBoxes.h"
#include "tests/support/TestSupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>
#include <iostream>

namespace {

struct LargeCase {
    const char* name;
    int sections;
    int linesPerSection;
};

class LargeFileTiming : public ::testing::TestWithParam<LargeCase> {};

TEST_P(LargeFileTiming, DISABLED_OpensAndShows) {
    const LargeCase& c = GetParam();
    QTemporaryDir dir;
    QByteArray text;
    text.reserve(qsizetype(c.sections) * (c.linesPerSection * 26 + 24));
    for (int s = 0; s < c.sections; ++s) {
        text += "[Section" + QByteArray::number(s) + "] ; comment\r\n";
        for (int i = 0; i < c.linesPerSection; ++i)
            text += "key" + QByteArray::number(i) + "=value" + QByteArray::number(i) + "\r\n";
    }
    const QString name = dir.filePath("large.ini");
    ASSERT_TRUE(testsupport::writeFile(name, text));

    platform::ScopedMessageBoxResponder boxes;
    TForm1 form;
    form.resize(1200, 800);
    form.show();
    QElapsedTimer clock;
    clock.start();
    form.openFile(name, -1);
    const qint64 total = clock.elapsed();
    EXPECT_TRUE(boxes.records.isEmpty());
    EXPECT_EQ(form.SectionRows->count(), c.sections); // the first header names section 0
    EXPECT_EQ(form.selectedRow(form.LvSections), 0);
    std::cout << c.name << ": " << text.size() / (1024 * 1024) << " MB, load "
              << form.LbLoadTime->Caption().toStdString() << " ms, show "
              << form.LbShowTime->Caption().toStdString() << " ms, open command " << total << " ms"
              << std::endl;

    // Selecting the big section fills the value list in one go.
    clock.restart();
    form.scrollItemIntoView(form.LvSections, c.sections - 1);
    std::cout << c.name << ": selecting the last section again (" << form.ValueRows->count() << " rows) "
              << clock.elapsed() << " ms" << std::endl;
    EXPECT_EQ(form.ValueRows->count(), c.linesPerSection);
    form.close();
}

INSTANTIATE_TEST_SUITE_P(Files, LargeFileTiming,
                         ::testing::Values(LargeCase{"OneSectionOfAMillionLines", 1, 1000000},
                                           LargeCase{"HundredThousandSections", 100000, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
