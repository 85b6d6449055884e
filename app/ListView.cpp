#include "app/ListView.h"

#include "app/WindowLayer.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <vector>

namespace {

constexpr int SmallIconRole = Qt::UserRole + 1;
constexpr int ColumnCount = 4;

// Rows compare by the text of the sort column, ignoring case, as a report list does.
class ListViewItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
    QTreeWidgetItem* clone() const override { return new ListViewItem(*this); }
};

int shiftState(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

} // namespace

ListView::ListView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(ColumnCount);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Label edits start only from the commands that record the old name.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit ColumnClick(section + 1); });
}

void ListView::SetColumns(const QStringList& captions, const QList<int>& widthsTwips) {
    QStringList labels = captions;
    while (labels.size() < ColumnCount)
        labels.append(QString());
    setHeaderLabels(labels);
    for (int column = 0; column < ColumnCount; ++column) {
        const int width = column < widthsTwips.size() ? widthsTwips[column] : 0;
        setColumnHidden(column, width == 0);
        if (width > 0)
            setColumnWidth(column, PixelsX(width));
    }
}

void ListView::SetColumnAlignment(int column, Qt::Alignment alignment) {
    headerItem()->setTextAlignment(column, alignment | Qt::AlignVCenter);
    if (column >= 0 && column < ColumnCount)
        m_alignments[static_cast<std::size_t>(column)] = alignment;
}

void ListView::SetSmallIcons(const QList<QIcon>* icons) {
    m_icons = icons;
}

QTreeWidgetItem* ListView::Add(const QString& text, int smallIcon) {
    return Insert(Count() + 1, text, smallIcon);
}

QTreeWidgetItem* ListView::NewRow(const QString& text, int smallIcon) const {
    auto* item = new ListViewItem();
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setText(0, text);
    for (int column = 1; column < ColumnCount; ++column) {
        const Qt::Alignment alignment = m_alignments[static_cast<std::size_t>(column)];
        if (alignment)
            item->setTextAlignment(column, alignment | Qt::AlignVCenter);
    }
    SetSmallIcon(item, smallIcon);
    return item;
}

void ListView::AddRows(const QList<QTreeWidgetItem*>& rows) {
    if (rows.isEmpty())
        return;
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    if (m_sorted && Count() == 0) {
        // Sorting the new rows on their own, with the keys read once, is much cheaper than letting
        // the model sort item by item; the order is the one applySort gives (stable, case-blind).
        std::vector<std::pair<QString, QTreeWidgetItem*>> keyed;
        keyed.reserve(static_cast<std::size_t>(rows.size()));
        for (QTreeWidgetItem* row : rows)
            keyed.emplace_back(row->text(m_sortKey), row);
        const bool ascending = m_sortOrder == Qt::AscendingOrder;
        std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& left, const auto& right) {
            return ascending ? left.first.compare(right.first, Qt::CaseInsensitive) < 0
                             : right.first.compare(left.first, Qt::CaseInsensitive) < 0;
        });
        QList<QTreeWidgetItem*> sorted;
        sorted.reserve(rows.size());
        for (const auto& entry : keyed)
            sorted.append(entry.second);
        addTopLevelItems(sorted);
    } else {
        addTopLevelItems(rows);
        if (m_sorted)
            applySort();
    }
    setUpdatesEnabled(updates);
}

QTreeWidgetItem* ListView::Insert(int index, const QString& text, int smallIcon) {
    if (index < 1 || index > Count() + 1)
        return nullptr;
    QTreeWidgetItem* item = NewRow(text, smallIcon);
    insertTopLevelItem(index - 1, item);
    if (m_sorted)
        applySort();
    return item;
}

QTreeWidgetItem* ListView::Item(int index) const {
    return index >= 1 && index <= Count() ? topLevelItem(index - 1) : nullptr;
}

int ListView::IndexOf(QTreeWidgetItem* item) const {
    return item ? indexOfTopLevelItem(item) + 1 : 0;
}

void ListView::ClearRows() {
    m_editedItem = nullptr;
    m_editedIndex = QPersistentModelIndex();
    clear();
}

QString ListView::Text(const QTreeWidgetItem* item) {
    return item ? item->text(0) : QString();
}

void ListView::SetText(QTreeWidgetItem* item, const QString& text) {
    if (item)
        item->setText(0, text);
}

QString ListView::SubItem(const QTreeWidgetItem* item, int n) {
    return item && n >= 1 && n < ColumnCount ? item->text(n) : QString();
}

void ListView::SetSubItem(QTreeWidgetItem* item, int n, const QString& text) {
    if (item && n >= 1 && n < ColumnCount)
        item->setText(n, text);
}

int ListView::SmallIcon(const QTreeWidgetItem* item) {
    return item ? item->data(0, SmallIconRole).toInt() : 0;
}

void ListView::SetSmallIcon(QTreeWidgetItem* item, int index) const {
    if (!item)
        return;
    item->setData(0, SmallIconRole, index);
    if (m_icons && index >= 1 && index <= m_icons->size())
        item->setIcon(0, m_icons->at(index - 1));
    else
        item->setIcon(0, QIcon());
}

QTreeWidgetItem* ListView::SelectedItem() const {
    return currentItem();
}

void ListView::SetSelectedItem(QTreeWidgetItem* item) {
    setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    if (item)
        item->setSelected(true);
}

void ListView::ClearSelectedItem() {
    clearSelection();
    setCurrentItem(nullptr);
}

bool ListView::MultiSelect() const {
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void ListView::SetMultiSelect(bool on) {
    if (on == MultiSelect())
        return;
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    if (!on) {
        // Leaving multiple selection keeps only the current row selected.
        QTreeWidgetItem* current = currentItem();
        for (QTreeWidgetItem* item : selectedItems())
            if (item != current)
                item->setSelected(false);
    }
}

void ListView::SetSorted(bool on) {
    m_sorted = on;
    if (on)
        applySort();
}

void ListView::SetSortKey(int key) {
    m_sortKey = key;
    if (m_sorted)
        applySort();
}

void ListView::SetSortOrder(Qt::SortOrder order) {
    m_sortOrder = order;
    if (m_sorted)
        applySort();
}

void ListView::applySort() {
    sortItems(m_sortKey, m_sortOrder);
}

void ListView::StartLabelEdit() {
    QTreeWidgetItem* item = currentItem();
    if (!item)
        return;
    m_editedItem = item;
    m_editedIndex = QPersistentModelIndex(indexFromItem(item));
    m_committed = false;
    scrollToItem(item);
    editItem(item, 0);
}

void ListView::CommitLabelEdit(const QString& text) {
    auto* editor = qobject_cast<QLineEdit*>(indexWidget(currentIndex()));
    if (!editor && m_editedItem)
        editor = qobject_cast<QLineEdit*>(itemWidget(m_editedItem, 0));
    if (!editor) {
        // The delegate's editor is a child line edit of the viewport.
        const auto editors = viewport()->findChildren<QLineEdit*>();
        if (!editors.isEmpty())
            editor = editors.first();
    }
    if (!editor)
        return;
    editor->setText(text);
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
}

void ListView::commitData(QWidget* editor) {
    // The new text is not written into the row here: the form decides in AfterLabelEdit.
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        m_committedText = line->text();
        m_committed = true;
    }
}

void ListView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTreeWidgetItem* item = m_editedIndex.isValid() ? itemFromIndex(m_editedIndex) : nullptr;
    m_editedIndex = QPersistentModelIndex();
    const bool committed = m_committed && hint != QAbstractItemDelegate::RevertModelCache;
    const QString text = committed ? m_committedText : QString();
    m_committed = false;
    m_editedItem = nullptr;
    QTreeWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (item)
        finishLabelEdit(item, text);
}

void ListView::finishLabelEdit(QTreeWidgetItem* item, QString text) {
    bool cancel = text.isNull();
    const bool cancelled = cancel;
    const QPersistentModelIndex row(indexFromItem(item));
    emit AfterLabelEdit(cancel, text);
    // The handler may have rebuilt the list; only touch the row if it is still there.
    if (!cancel && !cancelled && row.isValid() && Text(itemFromIndex(row)) != text)
        itemFromIndex(row)->setText(0, text);
}

void ListView::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    const int button = event->button() == Qt::RightButton ? 2 : (event->button() == Qt::MiddleButton ? 4 : 1);
    emit MouseDown(button, shiftState(event->modifiers()), TwipsX(qRound(event->position().x())),
                   TwipsY(qRound(event->position().y())));
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint()))
        emit ItemClick(item);
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    emit Click();
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    emit DblClick();
}

void ListView::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    // Moving to another row with the keyboard counts as clicking it.
    if (currentItem() && currentItem() != before)
        emit ItemClick(currentItem());
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState)
        emit DblClick();
}

void ListView::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    emit GotFocus();
}
