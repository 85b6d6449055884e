#include "toolkit/ListViewModel.h"

#include "toolkit/ListView.h"

#include <algorithm>

namespace {

// By the rows' sort values where they have them ("9 Kb" before "10 Kb", dates by time), else by
// text. A row without a value sorts before one with, as an empty text would.
int compareRows(const ListItem& left, const ListItem& right, int column) {
    const std::int64_t leftValue = left.SortValue(column);
    const std::int64_t rightValue = right.SortValue(column);
    if (leftValue != ListItem::NoSortValue || rightValue != ListItem::NoSortValue)
        return leftValue < rightValue ? -1 : (leftValue > rightValue ? 1 : 0);
    return left.Column(column).compare(right.Column(column), Qt::CaseInsensitive);
}

// Sorts on a view of the column, so no key is copied: a million keys would be a million strings.
template <typename Rows> void sortByColumn(Rows& rows, int column, Qt::SortOrder order) {
    const bool ascending = order == Qt::AscendingOrder;
    const auto before = [column, ascending](const auto& left, const auto& right) {
        const int compared = compareRows(*left, *right, column);
        return ascending ? compared < 0 : compared > 0;
    };
    if (!std::is_sorted(rows.begin(), rows.end(), before))
        std::stable_sort(rows.begin(), rows.end(), before);
}

} // namespace

ListViewModel::ListViewModel(ListView* list) : QAbstractTableModel(list), m_list(list) {}

int ListViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int ListViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ListItem::ColumnCount;
}

QModelIndex ListViewModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= count() || column < 0 || column >= ListItem::ColumnCount)
        return {};
    return createIndex(row, column, m_rows[static_cast<std::size_t>(row)].get());
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
    const ListItem* item = itemAt(index);
    if (!item)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return item->Column(column).toString();
    case Qt::DecorationRole:
        if (column == 0 && item->m_smallIcon >= 1 && item->m_smallIcon <= m_icons.size())
            return m_icons.at(item->m_smallIcon - 1);
        return {};
    case Qt::TextAlignmentRole:
        if (column > 0 && m_alignments[static_cast<std::size_t>(column)])
            return QVariant::fromValue(m_alignments[static_cast<std::size_t>(column)] | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ListItem::ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return section < m_captions.size() ? m_captions[section] : QString();
    if (role == Qt::TextAlignmentRole && m_alignments[static_cast<std::size_t>(section)])
        return QVariant::fromValue(m_alignments[static_cast<std::size_t>(section)] | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Drags start only where the list has drag hooks; the view decides.
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

ListItem* ListViewModel::item(int row) const {
    return row >= 0 && row < count() ? m_rows[static_cast<std::size_t>(row)].get() : nullptr;
}

ListItem* ListViewModel::itemAt(const QModelIndex& index) {
    return index.isValid() ? static_cast<ListItem*>(index.internalPointer()) : nullptr;
}

QModelIndex ListViewModel::indexOf(const ListItem* item, int column) const {
    if (!item || item->m_list != m_list)
        return {};
    return index(item->m_row, column);
}

void ListViewModel::insertRows(int position, const QList<ListItem*>& rows) {
    if (rows.isEmpty() || position < 0 || position > count())
        return;
    beginInsertRows(QModelIndex(), position, position + static_cast<int>(rows.size()) - 1);
    std::vector<std::unique_ptr<ListItem>> owned;
    owned.reserve(rows.size());
    for (ListItem* row : rows) {
        row->m_list = m_list;
        owned.emplace_back(row);
    }
    m_rows.insert(m_rows.begin() + position, std::make_move_iterator(owned.begin()),
                  std::make_move_iterator(owned.end()));
    renumber(static_cast<std::size_t>(position));
    endInsertRows();
}

QList<ListItem*> ListViewModel::takeRows() {
    QList<ListItem*> rows;
    if (m_rows.empty())
        return rows;
    beginRemoveRows(QModelIndex(), 0, count() - 1);
    rows.reserve(count());
    for (auto& row : m_rows) {
        row->m_list = nullptr;
        row->m_row = -1;
        rows.append(row.release());
    }
    m_rows.clear();
    endRemoveRows();
    return rows;
}

void ListViewModel::clearRows() {
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}

void ListViewModel::sortRows(int column, Qt::SortOrder order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    sortByColumn(m_rows, column, order);
    renumber(0);
    // Selection, current row and an open editor follow their rows to the new positions.
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(indexOf(itemAt(old), old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListViewModel::sortRows(QList<ListItem*>& rows, int column, Qt::SortOrder order) {
    sortByColumn(rows, column, order);
}

void ListViewModel::rowChanged(const ListItem* item) {
    const QModelIndex first = indexOf(item);
    if (first.isValid())
        emit dataChanged(first, index(first.row(), ListItem::ColumnCount - 1));
}

void ListViewModel::setCaptions(const QStringList& captions) {
    m_captions = captions;
    emit headerDataChanged(Qt::Horizontal, 0, ListItem::ColumnCount - 1);
}

void ListViewModel::setAlignment(int column, Qt::Alignment alignment) {
    if (column < 0 || column >= ListItem::ColumnCount)
        return;
    m_alignments[static_cast<std::size_t>(column)] = alignment;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ListViewModel::renumber(std::size_t from) {
    for (std::size_t row = from; row < m_rows.size(); ++row)
        m_rows[row]->m_row = static_cast<std::int32_t>(row);
}
