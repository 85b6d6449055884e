#pragma once
// A list view in report mode with the operations and events the forms use: rows by 1-based index,
// sub-items 1-3, small icons from an image list, selection, sorting and label editing.

#include "toolkit/DragDropHooks.h"
#include "toolkit/ListItem.h"

#include <QIcon>
#include <QList>
#include <QPersistentModelIndex>
#include <QTreeView>

class ListViewModel;

class ListView : public QTreeView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    // Columns: captions and widths in twips; a width of 0 hides the column.
    void SetColumns(const QStringList& captions, const QList<int>& widthsTwips);
    void SetColumnAlignment(int column, Qt::Alignment alignment);
    // Small icons are 1-based indices into this list.
    void SetSmallIcons(const QList<QIcon>& icons);

    int Count() const;
    ListItem* Add(const QString& text, int smallIcon = 0);
    // Bulk filling: make rows without adding them, then append them all at once (sorted once when
    // the list is in sorted mode). AddRows takes ownership; TakeRows hands every row to the caller.
    static ListItem* NewRow(const QString& text, int smallIcon = 0) { return new ListItem(text, smallIcon); }
    void AddRows(const QList<ListItem*>& rows);
    QList<ListItem*> TakeRows();
    // Inserts at a 1-based position from 1 to Count() + 1; returns nullptr when out of range.
    ListItem* Insert(int index, const QString& text, int smallIcon = 0);
    ListItem* Item(int index) const;         // 1-based; nullptr when out of range
    int IndexOf(const ListItem* item) const; // 1-based; 0 when not in the list
    void ClearRows();

    static QString Text(const ListItem* item) { return SubItem(item, 0); }
    static void SetText(ListItem* item, const QString& text) { SetSubItem(item, 0, text); }
    static QString SubItem(const ListItem* item, int n);
    static void SetSubItem(ListItem* item, int n, const QString& text);
    static int SmallIcon(const ListItem* item) { return item ? item->SmallIcon() : 0; }
    static void SetSmallIcon(ListItem* item, int index);
    // The number a size or date column sorts by (see ListItem::SetSortValue).
    static void SetSortValue(ListItem* item, int n, std::int64_t value) {
        if (item)
            item->SetSortValue(n, value);
    }
    static bool Selected(const ListItem* item);
    static void SetSelected(ListItem* item, bool selected);

    // The current row (the one last clicked or moved to), or nullptr.
    ListItem* SelectedItem() const;
    void SetSelectedItem(ListItem* item);
    void ClearSelectedItem();
    // Where a row is drawn in the viewport, and scrolling it into view.
    QRect ItemRect(const ListItem* item) const;
    void EnsureVisible(const ListItem* item);
    // The row at a point of the viewport, or nullptr between and below the rows.
    ListItem* ItemAt(const QPoint& point) const;
    // Drags from the selection and drops onto the list, as the hooks say.
    void SetDragDropHooks(DragDropHooks hooks);
    const DragDropHooks& DragDrop() const { return m_dragDrop; }

    bool MultiSelect() const;
    void SetMultiSelect(bool on);

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool on);
    int SortKey() const { return m_sortKey; }
    void SetSortKey(int key);
    Qt::SortOrder SortOrder() const { return m_sortOrder; }
    void SetSortOrder(Qt::SortOrder order);

    // Starts editing the label of the current row; nothing happens without one.
    void StartLabelEdit();
    bool IsEditingLabel() const { return state() == QAbstractItemView::EditingState; }
    // Ends an edit in progress as if the user pressed Enter (tests use this).
    void CommitLabelEdit(const QString& text);
    void Refresh() { viewport()->repaint(); }

signals:
    void ItemClick(ListItem* item);
    void Click();
    void DblClick();
    void ColumnClick(int column);                              // 1-based
    void MouseDown(int button, int shift, double x, double y); // button 1 left, 2 right; x, y in twips
    void GotFocus();
    // newText is a null string when the edit was cancelled with Escape.
    void AfterLabelEdit(bool& cancel, QString& newText);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void commitData(QWidget* editor) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void applySort();
    void finishLabelEdit(ListItem* item, QString text);

    ListViewModel* m_model;
    bool m_sorted = false;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_committedText;
    bool m_committed = false;
    // The edited row, followed through list changes (a pointer could be reused by a new row).
    QPersistentModelIndex m_editedIndex;
    DragDropHooks m_dragDrop;
};
