#include "transfer/StopResize.h"

#include <QWidget>

StopResizeState StopResize;

void InstallSizeHook(QWidget* window) {
    if (StopResize.HookInstalled || !window)
        return;
    StopResize.HookInstalled = true;
    StopResize.OldMinimumSize = window->minimumSize();
    StopResize.OldMaximumSize = window->maximumSize();
    // The limits count the whole window; the widget's limits leave out the frame.
    const int frameWidth = window->frameGeometry().width() - window->width();
    const int frameHeight = window->frameGeometry().height() - window->height();
    window->setMinimumSize(StopResize.MinTrackWidth - frameWidth, StopResize.MinTrackHeight - frameHeight);
    window->setMaximumSize(StopResize.MaxTrackWidth - frameWidth, StopResize.MaxTrackHeight - frameHeight);
}

void RemoveSizeHook(QWidget* window) {
    if (!StopResize.HookInstalled)
        return;
    StopResize.HookInstalled = false;
    if (!window)
        return;
    window->setMinimumSize(StopResize.OldMinimumSize);
    window->setMaximumSize(StopResize.OldMaximumSize);
}
