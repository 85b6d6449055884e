#pragma once
// The main window's layouts around a transfer as pure geometry in twips: the window height that
// uncovers the transfer panel in the normal state, and the stacking of the panel under the shortened
// file lists in the maximised state.

#include <array>
#include <map>
#include <string>

// The main window is never smaller than this (twips).
inline constexpr double MinimumFormWidth = 7860;
inline constexpr double MinimumFormHeight = 6500;

struct ControlRect {
    double Left = 0, Top = 0, Width = 0, Height = 0;
};
using ControlRects = std::map<std::string, ControlRect>; // by control name

// What the maximised panel layout took, so that hiding it gives it back.
struct PanelLayoutState {
    double PanelHeight = 0;
    double RemoteHeightFactor = 0; // four decimal places
    double Toolbar1Shift = 0;
    double RemoteListGain = 0;
    double LocalListGain = 0;
    ControlRects PanelPlaces; // the panel's places before it was stacked under the lists
};

// The controls of the transfer panel.
inline constexpr std::array<const char*, 14> TransferPanelControls = {
    "Label13", "ProgressBar1", "Label8", "Label15", "Label14", "ProgressBar2", "cmdCancel",
    "Label9",  "Label10",      "Label5", "Label16", "Label11", "lbSpeed",      "Label12"};

// Window height that shows the panel below the lists: the Cancel button's bottom plus room for the
// status bar.
double PanelNormalHeight(const ControlRects& rects);

// Shortens both lists, puts the option frame under the remote list and stacks the panel rows below
// it. rects must hold lstRemoteFiles, ListView1, Frame1, the three options, Toolbar1 and the panel.
void LayoutShowPanelMaximized(ControlRects& rects, PanelLayoutState& state, double loadRemoteHeight);
// Gives the lists their height back, the frame follows them, Toolbar1 moves back down and the panel
// returns to the places it had before it was stacked.
void LayoutHidePanelMaximized(ControlRects& rects, const PanelLayoutState& state);
