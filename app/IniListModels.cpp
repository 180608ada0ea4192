#include "app/IniListModels.h"

#include "app/ImageLists.h"
#include "controls/ImgList.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>

TIniListModel::TIniListModel(const QStringList& headers, const TImageList& images, QObject* parent)
    : QAbstractTableModel(parent), headers_(headers), imageList_(&images) {
    reloadImages();
    connect(&images, &TImageList::changed, this, &TIniListModel::reloadImages);
    for (Qt::Alignment& alignment : alignments_)
        alignment = Qt::AlignLeft | Qt::AlignVCenter;
}

TIniListModel::~TIniListModel() = default;

void TIniListModel::reloadImages() {
    images_.clear();
    for (int i = 0; i < imageList_->count(); ++i)
        images_.append(imageList_->pixmap(i));
    if (count() > 0)
        emit dataChanged(index(0, 0), index(count() - 1, 0), {Qt::DecorationRole});
}

QModelIndex TIniListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= count() || column < 0 || column >= kColumns)
        return {};
    return createIndex(row, column);
}

int TIniListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int TIniListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant TIniListModel::data(const QModelIndex& index, int role) const {
    const TListRow* r = row(index.row());
    if (!r)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (column >= 1 && column < kColumns) {
            QString shown = text(r, column - 1);
            if (!shown.isEmpty())
                return shown;
        }
        return {};
    case Qt::DecorationRole:
        if (column == 0 && r->image >= 0 && r->image < images_.size())
            return images_[r->image];
        return {};
    case Qt::TextAlignmentRole:
        return column < kColumns ? QVariant(int(alignments_[column])) : QVariant();
    default:
        return {};
    }
}

QVariant TIniListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return headerText(section);
    if (role == Qt::TextAlignmentRole && section >= 0 && section < kColumns)
        return int(alignments_[section]);
    return {};
}

Qt::ItemFlags TIniListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QString TIniListModel::text(const TListRow* r, int k) const {
    if (!r || !textSource_ || k < 0 || k >= kColumns - 1)
        return {};
    return textSource_(*r, k);
}

void TIniListModel::setColumnAlignment(int column, Qt::Alignment alignment) {
    if (column >= 0 && column < kColumns)
        alignments_[column] = alignment;
}

int TIniListModel::columnTag(int column) const {
    return column >= 0 && column < kColumns ? tags_[column] : 0;
}

void TIniListModel::setColumnTag(int column, int tag) {
    if (column >= 0 && column < kColumns)
        tags_[column] = tag;
}

QString TIniListModel::headerText(int column) const {
    if (column >= 1 && column <= headers_.size())
        return headers_[column - 1];
    return {};
}

TListRow* TIniListModel::findRow(const void* data) const {
    for (int i = 0; i < count(); ++i) {
        if (TListRow* r = row(i); r->data == data)
            return r;
    }
    return nullptr;
}

void TIniListModel::setRows(std::vector<TListRow>&& rows) {
    beginResetModel();
    rows_.clear();
    singles_.clear();
    blocks_.clear();
    blocks_.push_back(std::move(rows));
    std::vector<TListRow>& block = blocks_.back();
    for (size_t i = 0; i < block.size(); ++i)
        block[i].index = int(i);
    inOrder_ = block.data();
    endResetModel();
}

void TIniListModel::clear() {
    beginResetModel();
    rows_.clear();
    singles_.clear();
    blocks_.clear();
    inOrder_ = nullptr;
    endResetModel();
}

void TIniListModel::listRows() {
    if (!inOrder_)
        return;
    const size_t n = blocks_.front().size();
    rows_.reserve(n + 1);
    for (size_t i = 0; i < n; ++i)
        rows_.push_back(inOrder_ + i);
    inOrder_ = nullptr;
}

TListRow* TIniListModel::insertRow(int index, TListRow row) {
    listRows();
    index = std::clamp(index, 0, count());
    beginInsertRows({}, index, index);
    singles_.push_back(std::make_unique<TListRow>(std::move(row)));
    TListRow* inserted = singles_.back().get();
    rows_.insert(rows_.begin() + index, inserted);
    renumberFrom(index);
    endInsertRows();
    return inserted;
}

void TIniListModel::removeRowAt(int index) {
    if (index < 0 || index >= count())
        return;
    listRows();
    beginRemoveRows({}, index, index);
    TListRow* removed = rows_[size_t(index)];
    rows_.erase(rows_.begin() + index);
    *removed = TListRow();
    renumberFrom(index);
    endRemoveRows();
}

void TIniListModel::rowChanged(const TListRow* changed) {
    if (!changed || row(changed->index) != changed)
        return;
    emit dataChanged(index(changed->index, 0), index(changed->index, kColumns - 1));
}

void TIniListModel::renumberFrom(int index) {
    for (size_t i = size_t(index); i < rows_.size(); ++i)
        rows_[i]->index = int(i);
}

// --- View ---------------------------------------------------------------------------------

namespace {

// Draws the thin grid lines of a report list after each cell.
class TGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(0xE3, 0xE3, 0xE3));
        const QRect r = option.rect;
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }

protected:
    // A text far longer than its cell can show is cut to what the view could show of it before
    // Qt lays it out: laid out whole at every paint and size hint, a value of megabytes took
    // seconds, and the fallback fonts of its rarer characters set the height of every row. What
    // is cut lies past the right edge of the view, where there is nothing to elide or to see.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto* view = qobject_cast<const QAbstractItemView*>(option->widget);
        // No glyph the views draw is narrower than a pixel, so a unit per pixel up to the view's
        // right edge is more than can show.
        constexpr int kFallbackRoom = 4096;
        const qsizetype room =
            qsizetype(view ? view->viewport()->width() - std::min(option->rect.left(), 0) : kFallbackRoom) +
            1;
        if (option->text.size() > room) {
            qsizetype cut = room;
            if (option->text.at(cut - 1).isHighSurrogate())
                --cut;
            option->text.truncate(cut);
        }
    }

public:
    // Room for the grid line below the text, so it never covers an underscore.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        constexpr int kGridLineRoom = 2;
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, kGridLineRoom);
    }
};

} // namespace

void setupReportView(QTreeView* view, TIniListModel* model) {
    view->setModel(model);
    view->setItemDelegate(new TGridDelegate(view));
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTextElideMode(Qt::ElideRight);
    view->setIconSize(QSize(12, 12));
    view->setIndentation(0);
    view->header()->setSectionsMovable(false);
    view->header()->setMinimumSectionSize(0);
    view->header()->setStretchLastSection(false);
}
