#pragma once
// The rows of a ListView as a flat table model: the list owns its ListItems and keeps each one's
// position current, so a row pointer finds its index at once however the rows are sorted.

#include "toolkit/ListItem.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QStringList>
#include <memory>
#include <vector>

class ListViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListViewModel(ListView* list);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return static_cast<int>(m_rows.size()); }
    ListItem* item(int row) const; // 0-based; nullptr when out of range
    static ListItem* itemAt(const QModelIndex& index);
    QModelIndex indexOf(const ListItem* item, int column = 0) const;

    // Takes ownership of the rows and inserts them from a 0-based position.
    void insertRows(int position, const QList<ListItem*>& rows);
    // Hands every row back to the caller, who then owns them.
    QList<ListItem*> takeRows();
    void clearRows();
    // Stable, by one column's sort values or else its text blind to case; rows the view shows or
    // selects follow.
    void sortRows(int column, Qt::SortOrder order);
    static void sortRows(QList<ListItem*>& rows, int column, Qt::SortOrder order);
    void rowChanged(const ListItem* item);

    void setCaptions(const QStringList& captions);
    void setAlignment(int column, Qt::Alignment alignment);
    void setSmallIcons(const QList<QIcon>& icons) { m_icons = icons; }

private:
    void renumber(std::size_t from);

    ListView* m_list;
    std::vector<std::unique_ptr<ListItem>> m_rows;
    QStringList m_captions;
    std::array<Qt::Alignment, ListItem::ColumnCount> m_alignments{};
    QList<QIcon> m_icons;
};
