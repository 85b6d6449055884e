#pragma once
// Keeps the main window at one size while a transfer runs: its size limits are pinned to the size it
// has, and the limits it had before are put back when the transfer ends.

#include <QSize>
#include <cstdint>

class QWidget;

struct StopResizeState {
    bool HookInstalled = false; // the window's own limits are saved below while set
    QSize OldMinimumSize;
    QSize OldMaximumSize;
    // The limits in force while pinned, in pixels of the whole window.
    std::int32_t MinTrackWidth = 0, MinTrackHeight = 0, MaxTrackWidth = 0, MaxTrackHeight = 0;
};

extern StopResizeState StopResize;

// Saves the window's limits and applies the track limits; does nothing when already installed.
void InstallSizeHook(QWidget* window);
// Puts the saved limits back; does nothing when nothing is installed.
void RemoveSizeHook(QWidget* window);
