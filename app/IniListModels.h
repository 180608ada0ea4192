// The rows behind the main window's two list views. A row shows an image in column 0 and
// up to three texts in columns 1 to 3, and carries the document object it shows (`data`).
// The window keeps the link both ways: the section or item points back to its row through
// its `listItem`. Rows hold no texts: the model asks its text source for the texts of the
// rows a view paints, so a list of a million rows costs a pointer store per row.
#pragma once

#include "app/TextAdvances.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QFontMetrics>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

class QTreeView;
class TImageList;

// One row of a list view. A row's address stays the same for as long as the row is in its
// list, so the document may point at it.
struct TListRow {
    void* data = nullptr;    // the TEkIniSection or TEkIniVal shown; not owned
    int image = -1;          // index into the list's image list; -1 none
    int index = -1;          // the row's position in its list, kept up to date by the model
    int number = 0;          // a number the row shows, for texts that are not kept in `data`
    bool withComment = true; // whether column 3 shows the comment of `data`
};

class TIniListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // `headers` names columns 1 to 3 (column 0 has none); `centred` columns are drawn centred.
    // `images` is the image list of the rows; it must outlive the model, whose rows follow
    // its changes.
    TIniListModel(const QStringList& headers, const TImageList& images, QObject* parent = nullptr);
    ~TIniListModel() override;

    static constexpr int columns = 4;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Gives the text of column `k` + 1 (k = 0 to 2) of a row. Called for the rows the views
    // paint and for text(); it must be cheap and must not change the model.
    using TextSource = std::function<QString(const TListRow& row, int k)>;
    void setTextSource(TextSource source) { textSource_ = std::move(source); }
    // The text a row shows in column `k` + 1 (k = 0 to 2); empty for a null row or no source.
    QString text(const TListRow* row, int k) const;

    void setColumnAlignment(int column, Qt::Alignment alignment);
    QString headerText(int column) const;
    // A number the window keeps with each column (its sort direction); 0 at start and for a
    // column that does not exist, which also ignores the setter.
    int columnTag(int column) const;
    void setColumnTag(int column, int tag);

    // --- Rows ------------------------------------------------------------------------------
    int count() const { return int(rows_.size()); }
    // The row at `index`; null outside the list.
    TListRow* row(int index) const;
    // The first row whose data is `data`; null when none.
    TListRow* findRow(const void* data) const;

    // Replaces every row with `rows` in one model reset: views see one change whatever the
    // number of rows. The rows keep their order and get their `index`.
    void setRows(std::vector<TListRow>&& rows);
    // Removes every row (one reset).
    void clear();
    // Inserts a row at `index` (clamped to 0..count) and returns it.
    TListRow* insertRow(int index, TListRow row);
    TListRow* appendRow(TListRow row) { return insertRow(count(), std::move(row)); }
    // Removes the row at `index`; nothing outside the list.
    void removeRowAt(int index);
    // Tells the views that the texts or the image of `row` changed (its object's texts, or
    // the row's own fields).
    void rowChanged(const TListRow* row);

private:
    void renumberFrom(int index);
    // Pixmaps of the image list, made once rather than on every paint of a row.
    void reloadImages();

    QStringList headers_;
    const TImageList* imageList_;
    TextSource textSource_;
    Qt::Alignment alignments_[columns] = {};
    int tags_[columns] = {};
    QVector<QPixmap> images_;
    std::vector<TListRow*> rows_;
    // Storage: one block per reset, plus rows inserted one at a time. Removed rows stay in
    // their block, emptied, until the next reset.
    std::vector<std::vector<TListRow>> blocks_;
    std::vector<std::unique_ptr<TListRow>> singles_;
};

// Sets up a tree view as a flat report list over `model`: one selected row, whole-row
// selection, uniform row heights, no editing, grid lines, no root decoration.
void setupReportView(QTreeView* view, TIniListModel* model);

// The widest of many texts in one font, laying out only the texts that could be wider than the
// widest found so far. Each text's width is first summed from its characters (TTextAdvances);
// the widest sum is laid out, and then only the texts whose sums exceed the width found. A text
// the sums cannot tell is laid out at once. The sums are exact for the texts they tell but for
// effects of four or more characters together; the laid-out texts keep a check on that: a text
// wider than its sum widens the margin by which the others are taken as possibly wider.
class TWidestText {
public:
    explicit TWidestText(const QFont& font, int start = 0);

    // Takes `text` into account.
    void add(const QString& text);
    // Takes the texts textAt(0) .. textAt(n - 1) into account.
    template <typename TextAt> void addAll(int n, TextAt textAt) {
        for (int i = 0; i < n; ++i)
            note(textAt(i));
        settle(textAt);
    }
    // addAll in two steps, for a caller that reads several columns in one pass over its rows:
    // note() the texts of indexes 0, 1, 2, ... in turn, then settle() with the same texts.
    void note(const QString& text) { sums_.push_back(sum(text)); }
    template <typename TextAt> void settle(TextAt textAt) {
        const auto widest = std::max_element(sums_.begin(), sums_.end());
        if (widest != sums_.end() && mayWiden(*widest)) {
            measure(textAt(int(widest - sums_.begin())), *widest);
            for (size_t i = 0; i < sums_.size(); ++i) {
                if (mayWiden(sums_[i]))
                    measure(textAt(int(i)), sums_[i]);
            }
        }
        sums_.clear();
    }

    int width() const { return width_; }
    int measured() const { return measured_; }

private:
    static constexpr qint32 kNoSum = -1;
    // The sum of `text` in 64ths of a pixel, or kNoSum for an empty text or one laid out now.
    qint32 sum(const QString& text);
    bool mayWiden(qint32 sum) const { return sum >= 0 && TTextAdvances::pixels(sum + margin_) > width_; }
    // Lays `text` out (or sums it, beyond the length worth laying out) and widens to it.
    void measure(const QString& text, qint32 sum = kNoSum);

    std::shared_ptr<TTextAdvances> advances_;
    QFontMetrics metrics_;
    int width_;
    int measured_ = 0;
    qint64 margin_ = 0;        // the most a laid-out text was found wider than its sum, in 64ths
    std::vector<qint32> sums_; // of the texts noted, in order
};
