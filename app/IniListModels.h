// The rows behind the main window's two list views. A row shows an image in column 0 and
// up to three texts in columns 1 to 3, and carries the document object it shows (`data`).
// The window keeps the link both ways: the section or item points back to its row through
// its `listItem`. Rows hold no texts: the model asks its text source for the texts of the
// rows a view paints, so a list of a million rows costs a pointer store per row.
#pragma once

#include <QAbstractTableModel>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVector>
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

    static constexpr int kColumns = 4;

    // Without asking rowCount and columnCount, as the view asks it for every row it lays out.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
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
    int count() const { return inOrder_ ? int(blocks_.front().size()) : int(rows_.size()); }
    // The row at `index`; null outside the list.
    TListRow* row(int index) const {
        if (index < 0 || index >= count())
            return nullptr;
        return inOrder_ ? inOrder_ + index : rows_[size_t(index)];
    }
    // The first row whose data is `data`; null when none.
    TListRow* findRow(const void* data) const;

    // Replaces every row with `rows` in one model reset: views see one change whatever the
    // number of rows. The rows keep their order, their addresses in `rows` (whose storage the
    // model takes over) and get their `index`.
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
    // Lists the rows one by one in rows_, before a row is inserted or removed.
    void listRows();
    // Pixmaps of the image list, made once rather than on every paint of a row.
    void reloadImages();

    QStringList headers_;
    const TImageList* imageList_;
    TextSource textSource_;
    Qt::Alignment alignments_[kColumns] = {};
    int tags_[kColumns] = {};
    QVector<QPixmap> images_;
    std::vector<TListRow*> rows_;
    // The rows when they are still the block setRows took, in order (rows_ is then empty):
    // a million rows are shown without a million pointers.
    TListRow* inOrder_ = nullptr;
    // Storage: one block per reset, plus rows inserted one at a time. Removed rows stay in
    // their block, emptied, until the next reset.
    std::vector<std::vector<TListRow>> blocks_;
    std::vector<std::unique_ptr<TListRow>> singles_;
};

// Sets up a tree view as a flat report list over `model`: one selected row, whole-row
// selection, uniform row heights, no editing, grid lines, no root decoration.
void setupReportView(QTreeView* view, TIniListModel* model);
