#include "toolkit/ListView.h"

#include "toolkit/ListViewModel.h"
#include "toolkit/WindowLayer.h"

#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <utility>

namespace {

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

ListView::ListView(QWidget* parent) : QTreeView(parent), m_model(new ListViewModel(this)) {
    setModel(m_model);
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
    m_model->setCaptions(captions);
    for (int column = 0; column < ListItem::ColumnCount; ++column) {
        const int width = column < widthsTwips.size() ? widthsTwips[column] : 0;
        setColumnHidden(column, width == 0);
        if (width > 0)
            setColumnWidth(column, PixelsX(width));
    }
}

void ListView::SetColumnAlignment(int column, Qt::Alignment alignment) {
    m_model->setAlignment(column, alignment);
    viewport()->update();
}

void ListView::SetSmallIcons(const QList<QIcon>& icons) {
    m_model->setSmallIcons(icons);
    viewport()->update();
}

int ListView::Count() const {
    return m_model->count();
}

ListItem* ListView::Add(const QString& text, int smallIcon) {
    return Insert(Count() + 1, text, smallIcon);
}

void ListView::AddRows(const QList<ListItem*>& rows) {
    QList<ListItem*> added = rows;
    if (added.isEmpty())
        return;
    // Into an empty list the rows go in already sorted, so the view never sees them out of order.
    const bool sortAfter = m_sorted && Count() > 0;
    if (m_sorted && !sortAfter)
        ListViewModel::sortRows(added, m_sortKey, m_sortOrder);
    m_model->insertRows(Count(), added);
    if (sortAfter)
        applySort();
}

QList<ListItem*> ListView::TakeRows() {
    return m_model->takeRows();
}

ListItem* ListView::Insert(int index, const QString& text, int smallIcon) {
    if (index < 1 || index > Count() + 1)
        return nullptr;
    auto* item = new ListItem(text, smallIcon);
    m_model->insertRows(index - 1, {item});
    if (m_sorted)
        applySort();
    return item;
}

ListItem* ListView::Item(int index) const {
    return m_model->item(index - 1);
}

int ListView::IndexOf(const ListItem* item) const {
    return item && item->m_list == this ? item->m_row + 1 : 0;
}

void ListView::ClearRows() {
    m_editedIndex = QPersistentModelIndex();
    m_model->clearRows();
}

QString ListView::SubItem(const ListItem* item, int n) {
    return item ? item->Column(n).toString() : QString();
}

void ListView::SetSubItem(ListItem* item, int n, const QString& text) {
    if (!item || n < 0 || n >= ListItem::ColumnCount)
        return;
    item->SetColumn(n, text);
    if (item->m_list)
        item->m_list->m_model->rowChanged(item);
}

void ListView::SetSmallIcon(ListItem* item, int index) {
    if (!item)
        return;
    item->m_smallIcon = index;
    if (item->m_list)
        item->m_list->m_model->rowChanged(item);
}

bool ListView::Selected(const ListItem* item) {
    if (!item || !item->m_list)
        return false;
    return item->m_list->selectionModel()->isSelected(item->m_list->m_model->indexOf(item));
}

void ListView::SetSelected(ListItem* item, bool selected) {
    if (!item || !item->m_list)
        return;
    const QItemSelectionModel::SelectionFlags how =
        selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
    item->m_list->selectionModel()->select(item->m_list->m_model->indexOf(item),
                                           how | QItemSelectionModel::Rows);
}

ListItem* ListView::SelectedItem() const {
    return ListViewModel::itemAt(currentIndex());
}

void ListView::SetSelectedItem(ListItem* item) {
    selectionModel()->setCurrentIndex(m_model->indexOf(item), QItemSelectionModel::NoUpdate);
    SetSelected(item, true);
}

ListItem* ListView::ItemAt(const QPoint& point) const {
    return ListViewModel::itemAt(indexAt(point));
}

void ListView::SetDragDropHooks(DragDropHooks hooks) {
    m_dragDrop = std::move(hooks);
    m_dragDrop.Install(this);
}

void ListView::startDrag(Qt::DropActions) {
    m_dragDrop.StartDrag(this);
}

void ListView::dragEnterEvent(QDragEnterEvent* event) {
    m_dragDrop.Offer(event);
}

void ListView::dragMoveEvent(QDragMoveEvent* event) {
    m_dragDrop.Offer(event);
}

void ListView::dropEvent(QDropEvent* event) {
    m_dragDrop.Drop(event);
}

void ListView::ClearSelectedItem() {
    selectionModel()->clear();
}

QRect ListView::ItemRect(const ListItem* item) const {
    return visualRect(m_model->indexOf(item));
}

void ListView::EnsureVisible(const ListItem* item) {
    scrollTo(m_model->indexOf(item));
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
        ListItem* current = SelectedItem();
        const bool keep = Selected(current);
        selectionModel()->clearSelection();
        if (keep)
            SetSelected(current, true);
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
    m_model->sortRows(m_sortKey, m_sortOrder);
}

void ListView::StartLabelEdit() {
    const QModelIndex current = currentIndex().siblingAtColumn(0);
    if (!current.isValid())
        return;
    m_editedIndex = QPersistentModelIndex(current);
    m_committed = false;
    scrollTo(current);
    edit(current);
}

void ListView::CommitLabelEdit(const QString& text) {
    // The delegate's editor is a child line edit of the viewport.
    auto* editor = viewport()->findChild<QLineEdit*>();
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
    ListItem* item = ListViewModel::itemAt(m_editedIndex);
    m_editedIndex = QPersistentModelIndex();
    const bool committed = m_committed && hint != QAbstractItemDelegate::RevertModelCache;
    const QString text = committed ? m_committedText : QString();
    m_committed = false;
    QTreeView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (item)
        finishLabelEdit(item, text);
}

void ListView::finishLabelEdit(ListItem* item, QString text) {
    bool cancel = text.isNull();
    const bool cancelled = cancel;
    const QPersistentModelIndex row(m_model->indexOf(item));
    emit AfterLabelEdit(cancel, text);
    // The handler may have rebuilt the list; only touch the row if it is still there.
    if (!cancel && !cancelled && row.isValid() && Text(ListViewModel::itemAt(row)) != text)
        SetText(ListViewModel::itemAt(row), text);
}

void ListView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    const int button = event->button() == Qt::RightButton ? 2 : (event->button() == Qt::MiddleButton ? 4 : 1);
    emit MouseDown(button, shiftState(event->modifiers()), TwipsX(qRound(event->position().x())),
                   TwipsY(qRound(event->position().y())));
    if (ListItem* item = ListViewModel::itemAt(indexAt(event->position().toPoint())))
        emit ItemClick(item);
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    emit Click();
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    emit DblClick();
}

void ListView::keyPressEvent(QKeyEvent* event) {
    const ListItem* before = SelectedItem();
    QTreeView::keyPressEvent(event);
    // Moving to another row with the keyboard counts as clicking it.
    if (SelectedItem() && SelectedItem() != before)
        emit ItemClick(SelectedItem());
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState)
        emit DblClick();
}

void ListView::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    emit GotFocus();
}
