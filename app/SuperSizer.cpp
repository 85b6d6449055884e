#include "app/SuperSizer.h"

#include <cmath>

SuperSizerState SuperSizer;

void ResetSuperSizer(double windowWidth, double windowHeight) {
    SuperSizer = SuperSizerState{};
    SuperSizer.OldWidth = std::round(windowWidth);
    SuperSizer.OldHeight = std::round(windowHeight);
}

std::int64_t SizeFactor(double delta, double old) {
    if (old == 0)
        return 0;
    return static_cast<std::int64_t>(std::llround(delta / old * 10000.0));
}

double ScaleBy(double value, std::int64_t factor) {
    return value + value * (static_cast<double>(factor) / 10000.0);
}

void ResizeControls(SuperSizerState& state, std::vector<SizerControl>& controls, WindowState windowState,
                    double windowWidth, double windowHeight) {
    state.DeltaWidth = state.NewWidth - state.OldWidth;
    state.WidthFactor = SizeFactor(state.DeltaWidth, state.OldWidth);
    state.DeltaHeight = state.NewHeight - state.OldHeight;
    state.HeightFactor = SizeFactor(state.DeltaHeight, state.OldHeight);
    ScaleControls(state, controls, windowState, windowWidth, windowHeight);
}

namespace {

void scaleFolderListHeight(SuperSizerState& state, SizerControl& dir, WindowState windowState) {
    if (windowState == WindowState::Normal && state.DirHeightState == 1) {
        dir.Height = ScaleBy(dir.Height, state.HeightFactor);
        state.SavedDirHeight = dir.Height;
    } else if (windowState == WindowState::Normal && state.DirHeightState == 2) {
        // about to be restored by the resize handler
    } else {
        dir.Height = ScaleBy(dir.Height, state.HeightFactor);
        state.DirHeightState = 3;
    }
}

// Width, Left and Top as every sized control has them.
void scaleBox(SizerControl& c, std::int64_t wf, std::int64_t hf) {
    c.Width = ScaleBy(c.Width, wf);
    c.Left = ScaleBy(c.Left, wf);
    c.Top = ScaleBy(c.Top, hf);
}

} // namespace

void ScaleControls(SuperSizerState& state, std::vector<SizerControl>& controls, WindowState windowState,
                   double windowWidth, double windowHeight) {
    const std::int64_t wf = state.WidthFactor;
    const std::int64_t hf = state.HeightFactor;
    for (SizerControl& c : controls) {
        switch (c.Kind) {
        case SizerControlKind::Skipped:
            break;
        case SizerControlKind::Line:
            c.X2 = ScaleBy(c.X2, wf);
            c.Y1 = ScaleBy(c.Y1, hf);
            c.Y2 = ScaleBy(c.Y2, hf);
            break;
        case SizerControlKind::Toolbar:
            // Keeps its width and moves right by half of what it would have gained: its centre ends
            // where a fully scaled toolbar's centre would be.
            c.Left = ScaleBy(c.Left, wf);
            c.Left += c.Width * (static_cast<double>(wf) / 10000.0) / 2;
            c.Height = ScaleBy(c.Height, hf);
            c.Top = ScaleBy(c.Top, hf);
            break;
        case SizerControlKind::FolderList:
            scaleBox(c, wf, hf);
            scaleFolderListHeight(state, c, windowState);
            break;
        case SizerControlKind::DriveList:
            scaleBox(c, wf, hf); // keeps its height
            break;
        case SizerControlKind::Other:
            scaleBox(c, wf, hf);
            c.Height = ScaleBy(c.Height, hf);
            break;
        }
    }
    state.OldWidth = std::round(windowWidth);
    state.OldHeight = std::round(windowHeight);
}

bool CompleteDirHeight(SuperSizerState& state, WindowState windowState, SizerControl& dir1) {
    if (windowState == WindowState::Normal && state.DirHeightState == 3)
        state.DirHeightState = 2;
    if (windowState == WindowState::Normal && state.DirHeightState == 2) {
        dir1.Height = state.SavedDirHeight;
        state.DirHeightState = 1;
        return true;
    }
    return false;
}
