#pragma once
// Drag and drop for the toolkit's lists, left to whoever owns the data: what a drag from the list
// carries, whether a drop would be taken, and what it does. The lists only pass their events on.

#include <QPoint>
#include <functional>

class QAbstractItemView;
class QDropEvent;
class QMimeData;

struct DragDropHooks {
    // The data of a drag starting from the list's selection; nullptr starts none.
    std::function<QMimeData*()> dragData;
    // Whether the list takes a drop of this data.
    std::function<bool(const QMimeData*)> accepts;
    // A drop taken, at a point of the list's viewport.
    std::function<void(const QMimeData*, QPoint)> dropped;

    // Makes the list a drag source and a drop target as far as hooks are set.
    void Install(QAbstractItemView* list) const;
    // The list's startDrag, drag enter/move and drop events come here.
    void StartDrag(QAbstractItemView* list) const;
    void Offer(QDropEvent* event) const;
    void Drop(QDropEvent* event) const;
};
