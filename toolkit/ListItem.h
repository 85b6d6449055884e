#pragma once
// One row of a ListView: its text, sub-items 1-3 and small icon. A listing may hold a million rows,
// so the four texts share one buffer and a row costs little more than its characters.

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

class ListView;

class ListItem {
public:
    static constexpr int ColumnCount = 4;

    explicit ListItem(const QString& text = QString(), int smallIcon = 0);

    // Column 0 is the text, 1-3 the sub-items; other columns read as empty.
    QStringView Column(int column) const;
    void SetColumn(int column, const QString& text);
    int SmallIcon() const { return m_smallIcon; }

private:
    friend class ListView;
    friend class ListViewModel;

    qsizetype columnStart(int column) const;
    qsizetype columnEnd(int column) const;

    QString m_texts;                                  // the columns one after another
    std::array<std::int32_t, ColumnCount - 1> m_ends; // where columns 0-2 end in m_texts
    std::int32_t m_smallIcon = 0;
    std::int32_t m_row = -1;    // 0-based position in its list, kept up to date by the list
    ListView* m_list = nullptr; // the list the row is in, or nullptr before it is added
};
