#include "toolkit/ListItem.h"

ListItem::ListItem(const QString& text, int smallIcon) : m_texts(text), m_smallIcon(smallIcon) {
    m_ends.fill(static_cast<std::int32_t>(text.size()));
}

qsizetype ListItem::columnStart(int column) const {
    return column == 0 ? 0 : m_ends[static_cast<std::size_t>(column - 1)];
}

qsizetype ListItem::columnEnd(int column) const {
    return column == ColumnCount - 1 ? m_texts.size() : m_ends[static_cast<std::size_t>(column)];
}

QStringView ListItem::Column(int column) const {
    if (column < 0 || column >= ColumnCount)
        return {};
    const qsizetype start = columnStart(column);
    return QStringView(m_texts).sliced(start, columnEnd(column) - start);
}

void ListItem::SetColumn(int column, const QString& text) {
    if (column < 0 || column >= ColumnCount)
        return;
    const qsizetype start = columnStart(column);
    const qsizetype end = columnEnd(column);
    if (start == 0 && end == m_texts.size()) {
        m_texts = text; // the only text so far: share it rather than copy
    } else {
        // Built at its exact size: a million rows must not each carry spare capacity.
        QString texts;
        texts.reserve(m_texts.size() - (end - start) + text.size());
        texts.append(QStringView(m_texts).first(start)).append(text).append(QStringView(m_texts).sliced(end));
        m_texts = texts;
    }
    const auto shift = static_cast<std::int32_t>(text.size() - (end - start));
    for (int later = column; later < ColumnCount - 1; ++later)
        m_ends[static_cast<std::size_t>(later)] += shift;
}

std::int64_t ListItem::SortValue(int column) const {
    const int slot = column - FirstValueColumn;
    return slot >= 0 && slot < ValueColumnCount ? m_sortValues[static_cast<std::size_t>(slot)] : NoSortValue;
}

void ListItem::SetSortValue(int column, std::int64_t value) {
    const int slot = column - FirstValueColumn;
    if (slot >= 0 && slot < ValueColumnCount)
        m_sortValues[static_cast<std::size_t>(slot)] = value;
}
