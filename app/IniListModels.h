// The rows behind the main window's two list views. A row shows an image in column 0 and
// up to three texts in columns 1 to 3, and carries the document object it shows (`data`).
// The window keeps the link both ways: the section or item points back to its row through
// its `listItem`. Rows hold no texts: the model asks its text source for the texts of the
// rows a view paints, so a list of a million rows costs a pointer store per row.
#pragma once

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

// The widest of many texts in one font, measuring only texts that could be wider than the
// widest found so far. The bound of a text of Latin-1 characters (the common case) is the sum
// of its characters' advances: kerning only narrows such a text, except for the rare positive
// pair, which the pad of a column absorbs. Other texts are always measured.
class TWidestText {
public:
    explicit TWidestText(const QFont& font, int start = 0);

    // Takes `text` into account.
    void add(const QString& text);
    // Takes the texts textAt(0) .. textAt(n - 1) into account, measuring the text with the
    // largest bound first so that its width settles most others without measuring them.
    template <typename TextAt> void addAll(int n, TextAt textAt) {
        for (int i = 0; i < n; ++i)
            note(textAt(i));
        settle(textAt);
    }
    // addAll in two steps, for a caller that reads several columns in one pass over its rows:
    // note() the texts of indexes 0, 1, 2, ... in turn, then settle() with the same texts.
    void note(const QString& text) {
        const int b = text.isEmpty() ? -1 : bound(text);
        if (b < 0 && !text.isEmpty())
            measure(text);
        bounds_.push_back(b);
    }
    template <typename TextAt> void settle(TextAt textAt) {
        const auto widest = std::max_element(bounds_.begin(), bounds_.end());
        if (widest != bounds_.end() && *widest >= 0 && *widest > width_) {
            measure(textAt(int(widest - bounds_.begin())));
            for (size_t i = 0; i < bounds_.size(); ++i) {
                if (bounds_[i] >= 0 && bounds_[i] > width_)
                    measure(textAt(int(i)));
            }
        }
        bounds_.clear();
    }

    int width() const { return width_; }
    int measured() const { return measured_; }

private:
    // The bound of `text`, or -1 when the bound cannot be told cheaply.
    int bound(const QString& text) const;
    void measure(const QString& text);

    QFontMetrics metrics_;
    qreal advances_[256]; // -1 for characters the bound leaves to measuring
    int width_;
    int measured_ = 0;
    std::vector<int> bounds_; // of the texts noted, in order; -1 for an empty text or one measured at once
};
