#include "app/IniListModels.h"
#include "app/ImageLists.h"
#include "app/WidestText.h"
#include "controls/ImgList.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTreeView>
#include <array>
#include <deque>
#include <gtest/gtest.h>

namespace {

// Rows of these tests show the three texts their `data` points at.
using Texts = std::array<QString, 3>;
void showTexts(TIniListModel& model) {
    model.setTextSource([](const TListRow& row, int k) {
        return row.data ? (*static_cast<const Texts*>(row.data))[size_t(k)] : QString();
    });
}

class ListModelTest : public ::testing::Test {
protected:
    ListModelTest() : images(12, 12), model({"Name", "Value", "Comment"}, images) {
        addItemImages(images);
        showTexts(model);
    }

    TListRow row(const QString& name, int image = -1) { return {&store.emplace_back(Texts{name}), image}; }
    std::vector<TListRow> rows(int n) {
        std::vector<TListRow> result;
        for (int i = 0; i < n; ++i)
            result.push_back(row(QString("name%1").arg(i), i % 4));
        return result;
    }

    QString names() const {
        QStringList list;
        for (int i = 0; i < model.count(); ++i)
            list << model.text(model.row(i), 0) + "@" + QString::number(model.row(i)->index);
        return list.join(' ');
    }

    std::deque<Texts> store;
    TImageList images;
    TIniListModel model;
};

TEST_F(ListModelTest, ResetKeepsRowAddressesAndNumbersThem) {
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    model.setRows(rows(3));
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserts.count(), 0);
    EXPECT_EQ(names(), "name0@0 name1@1 name2@2");
    TListRow* second = model.row(1);
    TListRow* inserted = model.insertRow(1, row("new", 2));
    EXPECT_EQ(names(), "name0@0 new@1 name1@2 name2@3");
    EXPECT_EQ(model.row(2), second); // the address of a row survives insertions
    model.removeRowAt(0);
    EXPECT_EQ(names(), "new@0 name1@1 name2@2");
    EXPECT_EQ(model.row(0), inserted);
    model.removeRowAt(7); // outside: nothing
    EXPECT_EQ(model.count(), 3);
    EXPECT_EQ(model.row(3), nullptr);
    EXPECT_EQ(model.row(-1), nullptr);
}

TEST_F(ListModelTest, ShowsImagesTextsAndHeaders) {
    std::vector<TListRow> r = rows(2);
    void* second = r[1].data;
    (*static_cast<Texts*>(second))[1] = "value";
    r[0].data = nullptr;
    model.setRows(std::move(r));
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Value");
    EXPECT_EQ(model.data(model.index(1, 2), Qt::DisplayRole).toString(), "value");
    EXPECT_FALSE(model.data(model.index(1, 0), Qt::DisplayRole).isValid());
    EXPECT_TRUE(model.data(model.index(1, 0), Qt::DecorationRole).isValid());
    EXPECT_EQ(model.findRow(second), model.row(1));
    EXPECT_EQ(model.findRow(nullptr), model.row(0));
    EXPECT_FALSE(model.flags(model.index(0, 1)).testFlag(Qt::ItemIsEditable));
}

TEST_F(ListModelTest, RowChangedSignalsOnlyForRowsOfTheList) {
    model.setRows(rows(2));
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    model.rowChanged(model.row(1));
    TListRow stranger;
    stranger.index = 1;
    model.rowChanged(&stranger);
    model.rowChanged(nullptr);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toModelIndex().row(), 1);
}

// Texts of many thousand characters are not laid out whole: their width is estimated, within a
// hair of the measured one, and a row holding one is as high as a row of a short text of the
// same script.
TEST(WidestTextTest, VeryLongTextsAreEstimatedAndKeepTheRowHeight) {
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const struct {
        const char* name;
        QString text;
    } cases[] = {{"latin", QString("C:\\Program Files\\data.dat,").repeated(800)},
                 {"cyrillic", QString::fromUtf8("\u041C\u043E\u0441\u043A\u0432\u0430 ").repeated(3000)},
                 {"east asian", QString::fromUtf8("\u6771\u4EAC\u90FD").repeated(6000)}};
    for (const auto& c : cases) {
        TWidestText widest(font);
        widest.add(c.text);
        const double exact = metrics.horizontalAdvance(c.text);
        EXPECT_NEAR(widest.width(), exact, exact / 100) << c.name;

        TImageList images(12, 12);
        TIniListModel model({"Name", "Value", "Comment"}, images);
        showTexts(model);
        Texts texts[2] = {Texts{QString(), c.text.repeated(20)}, Texts{QString(), "short"}};
        model.setRows({TListRow{&texts[0]}, TListRow{&texts[1]}});
        QTreeView view;
        setupReportView(&view, &model);
        view.resize(600, 200);
        view.grab();
        TIniListModel shortModel({"Name", "Value", "Comment"}, images);
        showTexts(shortModel);
        Texts shortTexts = {QString(), c.text.left(40)};
        shortModel.setRows({TListRow{&shortTexts}});
        QTreeView shortView;
        setupReportView(&shortView, &shortModel);
        EXPECT_EQ(view.sizeHintForRow(0), shortView.sizeHintForRow(0)) << c.name;
        EXPECT_LT(view.sizeHintForIndex(model.index(0, 2)).width(), 50 * view.viewport()->width())
            << c.name << ": laid out whole";
    }
}

} // namespace
