#pragma once
// A list view in report mode with the operations and events the forms use: rows by 1-based index,
// sub-items 1-3, small icons from an image list, selection, sorting and label editing.

#include <QIcon>
#include <QList>
#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <array>

class ListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    // Columns: captions and widths in twips; a width of 0 hides the column.
    void SetColumns(const QStringList& captions, const QList<int>& widthsTwips);
    void SetColumnAlignment(int column, Qt::Alignment alignment);
    // Small icons are 1-based indices into this list.
    void SetSmallIcons(const QList<QIcon>* icons);

    int Count() const { return topLevelItemCount(); }
    QTreeWidgetItem* Add(const QString& text, int smallIcon = 0);
    // Bulk filling: make rows without adding them, then append them all at once (sorted once when
    // the list is in sorted mode). AddRows takes ownership.
    QTreeWidgetItem* NewRow(const QString& text, int smallIcon = 0) const;
    void AddRows(const QList<QTreeWidgetItem*>& rows);
    // Inserts at a 1-based position from 1 to Count() + 1; returns nullptr when out of range.
    QTreeWidgetItem* Insert(int index, const QString& text, int smallIcon = 0);
    QTreeWidgetItem* Item(int index) const;   // 1-based; nullptr when out of range
    int IndexOf(QTreeWidgetItem* item) const; // 1-based; 0 when not in the list
    void ClearRows();

    static QString Text(const QTreeWidgetItem* item);
    static void SetText(QTreeWidgetItem* item, const QString& text);
    static QString SubItem(const QTreeWidgetItem* item, int n);
    static void SetSubItem(QTreeWidgetItem* item, int n, const QString& text);
    static int SmallIcon(const QTreeWidgetItem* item);
    void SetSmallIcon(QTreeWidgetItem* item, int index) const;
    static bool Selected(const QTreeWidgetItem* item) { return item && item->isSelected(); }
    static void SetSelected(QTreeWidgetItem* item, bool selected) { item->setSelected(selected); }

    // The current row (the one last clicked or moved to), or nullptr.
    QTreeWidgetItem* SelectedItem() const;
    void SetSelectedItem(QTreeWidgetItem* item);
    void ClearSelectedItem();

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
    void ItemClick(QTreeWidgetItem* item);
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

private:
    void applySort();
    void finishLabelEdit(QTreeWidgetItem* item, QString text);

    const QList<QIcon>* m_icons = nullptr;
    bool m_sorted = false;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_committedText;
    bool m_committed = false;
    QTreeWidgetItem* m_editedItem = nullptr;
    // The edited row, followed through list changes (a pointer could be reused by a new row).
    QPersistentModelIndex m_editedIndex;
    std::array<Qt::Alignment, 4> m_alignments{};
};
