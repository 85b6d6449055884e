#include "app/PanelLayouts.h"

#include "app/SuperSizer.h"

#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

// Rows of the stacked panel: how many control heights below the option frame each one stands.
constexpr std::pair<const char*, int> PanelRows[] = {
    {"Label16", 6}, {"Label11", 6},      {"lbSpeed", 6},      {"Label9", 5}, {"Label10", 5},
    {"Label5", 5},  {"cmdCancel", 5},    {"ProgressBar2", 4}, {"Label8", 3}, {"Label15", 3},
    {"Label14", 3}, {"ProgressBar1", 2}, {"Label13", 1}};

void placeFrameUnderRemoteList(ControlRects& rects) {
    const ControlRect& remote = rects["lstRemoteFiles"];
    ControlRect& frame = rects["Frame1"];
    // The frame overlaps the list's bottom edge by one pixel's worth.
    frame.Top = remote.Top + remote.Height - 15;
    for (const char* option : {"optASCII", "optBinary", "optAuto"})
        rects[option].Top = frame.Height / 3;
}

} // namespace

double PanelNormalHeight(const ControlRects& rects) {
    const ControlRect& cancel = rects.at("cmdCancel");
    return cancel.Top + cancel.Height + 6 * rects.at("StatusBar1").Height;
}

void LayoutShowPanelMaximized(ControlRects& rects, PanelLayoutState& state, double loadRemoteHeight) {
    for (const char* name : TransferPanelControls)
        if (auto found = rects.find(name); found != rects.end())
            state.PanelPlaces[name] = found->second;

    state.PanelHeight = std::round(rects["ProgressBar1"].Height + rects["ProgressBar2"].Height +
                                   rects["Label8"].Height + rects["Label13"].Height);
    ControlRect& remote = rects["lstRemoteFiles"];
    ControlRect& local = rects["ListView1"];
    ControlRect& frame = rects["Frame1"];
    remote.Height -= state.PanelHeight;
    local.Height -= state.PanelHeight;
    state.RemoteHeightFactor =
        static_cast<double>(SizeFactor(remote.Height - loadRemoteHeight, loadRemoteHeight)) / 10000.0;
    state.Toolbar1Shift = std::round(state.RemoteHeightFactor * frame.Top);
    state.RemoteListGain = 90 + frame.Height;
    state.LocalListGain = 90 + frame.Height;
    remote.Height -= 90 + frame.Height;
    local.Height -= 90 + frame.Height;
    placeFrameUnderRemoteList(rects);

    const double bottom = frame.Top + frame.Height;
    rects["Toolbar1"].Top -= state.Toolbar1Shift;
    for (const auto& [name, rows] : PanelRows) {
        ControlRect& rect = rects[name];
        rect.Top = bottom + rows * rect.Height;
    }
}

void LayoutHidePanelMaximized(ControlRects& rects, const PanelLayoutState& state) {
    rects["Toolbar1"].Top += state.Toolbar1Shift;
    rects["lstRemoteFiles"].Height += state.RemoteListGain + state.PanelHeight;
    rects["ListView1"].Height += state.LocalListGain + state.PanelHeight;
    placeFrameUnderRemoteList(rects);
    // Back to where the panel was: stacked above the frame it would cover the lists when the next
    // transfer uncovers it in the normal window state.
    for (const auto& [name, place] : state.PanelPlaces)
        rects[name] = place;
}
