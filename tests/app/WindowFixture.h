// A shown, active main window that opens documents from text; its message boxes and file
// dialogs answer through their test seams.
#pragma once

#include "app/IniListModels.h"
#include "app/Unit1.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/TextFileDialog.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form = std::make_unique<TForm1>();
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // Opens `text` as a UTF-8 file in the normal or the values-only view, which selects its
    // first section and first row.
    void open(const QByteArray& text, bool valuesOnly = false) {
        const QString name = dir.filePath(QString("doc%1.ini").arg(++files));
        ASSERT_TRUE(testsupport::writeFile(name, text));
        dialogs.answer(name, 0);
        form->ActOpenFile->trigger();
        if (valuesOnly != form->valuesOnly)
            form->ActValuesOnly->trigger();
    }

    // The selected row of `list` as text, "-" for none.
    QString selected(QTreeView* list) const {
        const int row = form->selectedRow(list);
        return row < 0 ? QString("-") : QString::number(row);
    }

    // The first texts of the rows of `rows`, joined with ",".
    static QString names(const TIniListModel* rows) {
        QStringList list;
        for (int i = 0; i < rows->count(); ++i)
            list << rows->row(i)->texts[0];
        return list.join(',');
    }

    QTemporaryDir dir;
    int files = 0;
    platform::ScopedMessageBoxResponder boxes{platform::IdOk};
    platform::ScopedTextFileResponder dialogs;
    std::unique_ptr<TForm1> form;
};
