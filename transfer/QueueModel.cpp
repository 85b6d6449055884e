#include "transfer/QueueModel.h"

#include <QLocale>
#include <QString>

namespace {

// The last part of a path; a folder's path may end with "/". Bytes that are not UTF-8 show as
// replacement characters.
QString LastPart(std::string path) {
    while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    const auto slash = path.rfind('/');
    return QString::fromUtf8(slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1));
}

QString StateText(ItemState state) {
    switch (state) {
    case ItemState::Waiting:
        return QStringLiteral("Waiting");
    case ItemState::Running:
        return QStringLiteral("Running");
    case ItemState::Done:
        return QStringLiteral("Done");
    case ItemState::Skipped:
        return QStringLiteral("Skipped");
    case ItemState::Failed:
        return QStringLiteral("Failed");
    }
    return {};
}

} // namespace

QueueModel::QueueModel(TransferQueue& queue, QObject* parent)
    : QAbstractTableModel(parent), m_queue(queue), m_previousHook(queue.onChanged) {
    for (std::size_t i = 0; i < queue.items().size(); ++i)
        takeState(i);
    m_queue.onChanged = [this](std::size_t index) {
        if (m_previousHook)
            m_previousHook(index);
        itemChanged(index);
    };
}

QueueModel::~QueueModel() {
    m_queue.onChanged = m_previousHook;
}

int QueueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_states.size());
}

int QueueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant QueueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_states.size())
        return {};
    const TransferItem& item = m_queue.items()[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return LastPart(item.source);
    case DirectionColumn:
        return item.direction == TransferDirection::Download ? QStringLiteral("Download")
                                                             : QStringLiteral("Upload");
    case SizeColumn:
        return item.folder ? QString() : QLocale().toString(static_cast<qint64>(item.size));
    case StateColumn:
        return StateText(item.state);
    case ReasonColumn:
        return QString::fromUtf8(item.reason);
    }
    return {};
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole && section == SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const captions[ColumnCount] = {"Name", "Direction", "Size", "State", "Reason"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(captions[section]) : QVariant();
}

void QueueModel::takeState(std::size_t index) {
    const ItemState state = m_queue.items()[index].state;
    if (index >= m_states.size())
        m_states.resize(index + 1, ItemState::Waiting);
    if (m_states[index] == ItemState::Failed)
        --m_failed;
    if (state == ItemState::Failed)
        ++m_failed;
    m_states[index] = state;
}

void QueueModel::itemChanged(std::size_t index) {
    if (index == TransferQueue::AllItems || index >= m_queue.items().size()) {
        beginResetModel();
        m_states.clear();
        m_failed = 0;
        for (std::size_t i = 0; i < m_queue.items().size(); ++i)
            takeState(i);
        endResetModel();
        return;
    }
    if (index >= m_states.size()) {
        // Items are added at the end; the rows up to this one appear together.
        const std::size_t first = m_states.size();
        beginInsertRows({}, static_cast<int>(first), static_cast<int>(index));
        for (std::size_t i = first; i <= index; ++i)
            takeState(i);
        endInsertRows();
        return;
    }
    takeState(index);
    emit dataChanged(this->index(static_cast<int>(index), 0),
                     this->index(static_cast<int>(index), ColumnCount - 1));
}
