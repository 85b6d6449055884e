#include "toolkit/DragDropHooks.h"

#include <QAbstractItemView>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>

void DragDropHooks::Install(QAbstractItemView* list) const {
    list->setDragEnabled(static_cast<bool>(dragData));
    const bool dropTarget = accepts && dropped;
    list->setAcceptDrops(dropTarget);
    list->viewport()->setAcceptDrops(dropTarget);
    list->setDropIndicatorShown(false);
}

void DragDropHooks::StartDrag(QAbstractItemView* list) const {
    QMimeData* data = dragData ? dragData() : nullptr;
    if (!data)
        return;
    auto* drag = new QDrag(list);
    drag->setMimeData(data);
    // Files are copied, never moved: the source side keeps them.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void DragDropHooks::Offer(QDropEvent* event) const {
    if (accepts && dropped && accepts(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void DragDropHooks::Drop(QDropEvent* event) const {
    Offer(event);
    if (event->isAccepted())
        dropped(event->mimeData(), event->position().toPoint());
}
