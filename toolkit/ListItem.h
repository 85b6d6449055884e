#pragma once
// One row of a ListView: its text, sub-items 1-3, small icon and the values its size and date
// columns sort by. A listing may hold a million rows, so the four texts share one buffer and a row
// costs little more than its characters.

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <limits>

class ListView;

class ListItem {
public:
    static constexpr int ColumnCount = 4;
    // Sub-items 1 and 2 (size and date) may carry a number to sort by instead of their text.
    static constexpr int FirstValueColumn = 1;
    static constexpr int ValueColumnCount = 2;
    static constexpr std::int64_t NoSortValue = std::numeric_limits<std::int64_t>::min();

    explicit ListItem(const QString& text = QString(), int smallIcon = 0);

    // Column 0 is the text, 1-3 the sub-items; other columns read as empty.
    QStringView Column(int column) const;
    void SetColumn(int column, const QString& text);
    int SmallIcon() const { return m_smallIcon; }
    // NoSortValue when the column has none (or holds no values): it then sorts by its text.
    std::int64_t SortValue(int column) const;
    void SetSortValue(int column, std::int64_t value);

private:
    friend class ListView;
    friend class ListViewModel;

    qsizetype columnStart(int column) const;
    qsizetype columnEnd(int column) const;

    QString m_texts;                                  // the columns one after another
    std::array<std::int32_t, ColumnCount - 1> m_ends; // where columns 0-2 end in m_texts
    std::array<std::int64_t, ValueColumnCount> m_sortValues{NoSortValue, NoSortValue};
    std::int32_t m_smallIcon = 0;
    std::int32_t m_row = -1;    // 0-based position in its list, kept up to date by the list
    ListView* m_list = nullptr; // the list the row is in, or nullptr before it is added
};
