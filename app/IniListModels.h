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
#include <optional>
#include <vector>

class QTreeView;

// Runs part(0) .. part(n - 1), each on its own thread but part(0), which runs on this one, and
// returns when all are done.
void runParts(int n, const std::function<void(int)>& part);
// How many parts to split `work` into: one per core, each of at least `perPart`; at least one.
int partsFor(qint64 work, qint64 perPart);
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

// The widest of many texts in one font, laying out only the texts that could be wider than the
// widest found. Each text's width is first summed from its characters (TTextAdvances), and the
// text of the widest sum is laid out. The sums are exact but for effects of four or more
// characters together; should the laid-out text differ from its sum, the texts are summed again
// and every one that may be wider is laid out. A text the sums cannot tell is laid out at once.
class TWidestText {
public:
    explicit TWidestText(const QFont& font, int start = 0);

    // Takes `text` into account.
    void add(const QString& text);
    // Takes the texts textAt(0) .. textAt(n - 1) into account.
    template <typename TextAt> void addAll(int n, TextAt textAt) {
        for (int i = 0; i < n; ++i)
            note(i, textAt(i));
        settle(n, textAt);
    }
    // Takes the texts textAt(row, k) of rows 0 .. rows - 1 into columns[k], for every column; all
    // the columns in one font. Many rows are summed on several threads, in parts, from what the
    // first rows put in the tables; texts that need more are summed on this thread after.
    template <typename TextAt>
    static void addRows(std::vector<TWidestText>& columns, int rows, TextAt textAt);

    int width() const { return width_; }
    int measured() const { return measured_; }

private:
    static constexpr qint32 kNoSum = -1;
    // Texts longer than this are not laid out whole: that takes seconds for a text of megabytes.
    static constexpr qsizetype kExactLength = 4096;
    // A font equal to `font` that shares nothing with it.
    static QFont ownFont(const QFont& font);
    struct Widest {
        qint64 sum = kNoSum;
        int index = 0;
    };

    void note(int index, const QString& text) { noteSum(index, sum(text)); }
    void noteSum(int index, qint64 sum) {
        if (sum > widest_.sum)
            widest_ = {sum, index};
    }
    template <typename TextAt> void settle(int n, TextAt textAt) {
        // When the sum of the widest is not its width, any text may be wider than its sum.
        if (mayWiden(widest_.sum) && !measure(textAt(widest_.index), widest_.sum)) {
            for (int i = 0; i < n; ++i) {
                const QString& text = textAt(i);
                if (const qint64 s = text.isEmpty() ? kNoSum : advances_->width64(text); mayWiden(s))
                    measure(text, s);
            }
        }
        widest_ = {};
    }
    // The sum of `text` in 64ths of a pixel, or kNoSum for an empty text or one laid out now.
    qint64 sum(const QString& text);
    bool mayWiden(qint64 sum) const { return sum >= 0 && TTextAdvances::pixels(sum + margin_) > width_; }
    // Lays `text` out (or sums it, beyond the length worth laying out) and widens to it.
    // False when `sum` was given and the text is not as wide as the sum tells.
    bool measure(const QString& text, qint64 sum = kNoSum);

    std::shared_ptr<TTextAdvances> advances_;
    QFontMetrics metrics_;
    int width_;
    int measured_ = 0;
    qint64 margin_ = 0; // the most a laid-out text was found wider than its sum, in 64ths
    Widest widest_;     // of the texts noted
};

template <typename TextAt>
void TWidestText::addRows(std::vector<TWidestText>& columns, int rows, TextAt textAt) {
    using Text = std::pair<int, int>; // a row and a column
    struct Part {
        std::vector<Widest> widest;
        std::vector<int> laidOut; // the widest of the texts laid out, per column
        std::vector<int> layouts; // how many were, per column
        std::vector<Text> later;  // what the tables cannot tell yet
    };
    const int k = int(columns.size());
    // Sums the texts at(0) .. at(n - 1) in parts of at least `perPart` texts, on several
    // threads, and adds to `later` those the tables cannot tell yet.
    auto sumInParts = [&](qint64 n, qint64 perPart, auto at, std::vector<Text>& later) {
        const int threads = partsFor(n, perPart);
        auto parts = std::vector<Part>(size_t(threads));
        runParts(threads, [&](int t) {
            Part& part = parts[size_t(t)];
            part.widest.resize(size_t(k));
            part.laidOut.resize(size_t(k));
            part.layouts.resize(size_t(k));
            // A text the sums cannot tell (Arabic, combining marks) is laid out here, in a font of
            // this thread's own: Qt keeps font engines per thread, and a font's copies share a cache.
            std::optional<QFontMetrics> metrics;
            for (qint64 j = n * t / threads; j < n * (t + 1) / threads; ++j) {
                const auto [i, c] = at(j);
                const QString& text = textAt(i, c);
                if (text.isEmpty())
                    continue;
                const qint64 s = columns[size_t(c)].advances_->knownWidth64(text);
                if (s == TTextAdvances::kLayOut && text.size() <= kExactLength) {
                    if (!metrics)
                        metrics.emplace(ownFont(columns[size_t(c)].advances_->font()));
                    part.laidOut[size_t(c)] =
                        std::max(part.laidOut[size_t(c)], metrics->horizontalAdvance(text));
                    ++part.layouts[size_t(c)];
                } else if (s < 0) {
                    part.later.emplace_back(i, c);
                } else if (s > part.widest[size_t(c)].sum) {
                    part.widest[size_t(c)] = {s, i};
                }
            }
        });
        for (const Part& part : parts) {
            for (int c = 0; c < k; ++c) {
                columns[size_t(c)].noteSum(part.widest[size_t(c)].index, part.widest[size_t(c)].sum);
                columns[size_t(c)].width_ = std::max(columns[size_t(c)].width_, part.laidOut[size_t(c)]);
                columns[size_t(c)].measured_ += part.layouts[size_t(c)];
            }
            later.insert(later.end(), part.later.begin(), part.later.end());
        }
    };
    // The first rows fill the tables with the characters and pairs that the rest mostly use.
    constexpr int kFirstTexts = 2000;
    constexpr qint64 kTextsPerPart = 50000; // fewer texts of new rows are not worth a thread
    constexpr qint64 kLaterPerPart = 4000;  // texts read before are quicker to read again
    const int first = std::min(rows, kFirstTexts);
    for (int i = 0; i < first; ++i) {
        for (int c = 0; c < k; ++c)
            columns[size_t(c)].note(i, textAt(i, c));
    }
    std::vector<Text> later;
    sumInParts(
        qint64(rows - first) * k, kTextsPerPart,
        [&](qint64 j) { return Text(first + int(j / k), int(j % k)); }, later);
    // What the tables could not tell: the first texts fill them and the rest are summed again,
    // as long as that leaves most of them told; else all are summed here.
    auto note = [&](const Text& text) {
        columns[size_t(text.second)].note(text.first, textAt(text.first, text.second));
    };
    while (!later.empty()) {
        const size_t filling = std::min(later.size(), size_t(kFirstTexts));
        std::for_each(later.begin(), later.begin() + qsizetype(filling), note);
        std::vector<Text> rest(later.begin() + qsizetype(filling), later.end());
        later.clear();
        sumInParts(
            qint64(rest.size()), kLaterPerPart, [&](qint64 j) { return rest[size_t(j)]; }, later);
        if (later.size() * 2 > rest.size()) {
            std::for_each(later.begin(), later.end(), note);
            break;
        }
    }
    for (int c = 0; c < k; ++c)
        columns[size_t(c)].settle(rows, [&](int i) -> decltype(auto) { return textAt(i, c); });
}
