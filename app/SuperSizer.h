#pragma once
// Proportional resizing of the main window's controls: each pass scales every control by the
// relative change of the window's size since the previous pass. Pure geometry in twips.

#include <cstdint>
#include <string>
#include <vector>

enum class SizerControlKind { Skipped, Line, Toolbar, FolderList, DriveList, Other };
enum class WindowState { Normal, Minimized, Maximized };

struct SizerControl {
    std::string Name;
    SizerControlKind Kind = SizerControlKind::Other;
    double Left = 0, Top = 0, Width = 0, Height = 0; // twips
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;           // end points, lines only
};

// Sizes are doubles and factors 64-bit so that no window is too large to scale.
struct SuperSizerState {
    double OldWidth = 0, OldHeight = 0; // window size at the end of the previous pass
    double NewWidth = 0, NewHeight = 0; // stored by the resize handler before a pass
    double DeltaWidth = 0, DeltaHeight = 0;
    std::int64_t WidthFactor = 0, HeightFactor = 0; // factor × 10000
    int DirHeightState = 1;                         // 1 tracking, 3 scaled while not normal, 2 restoring
    double SavedDirHeight = 0;                      // Dir1's height after the last pass in the normal state
};

// The main window's sizer state.
extern SuperSizerState SuperSizer;
// Start-up: the window's size becomes the base of the first pass.
void ResetSuperSizer(double windowWidth, double windowHeight);

// delta / old rounded to four places, held as value × 10000 (0 when old is 0).
std::int64_t SizeFactor(double delta, double old);
// value + value × factor.
double ScaleBy(double value, std::int64_t factor);

// One pass: deltas and factors from NewWidth/NewHeight against OldWidth/OldHeight, then ScaleControls.
void ResizeControls(SuperSizerState& state, std::vector<SizerControl>& controls, WindowState windowState,
                    double windowWidth, double windowHeight);
// Scales every control by the current factors, then records the window's size as the new base.
void ScaleControls(SuperSizerState& state, std::vector<SizerControl>& controls, WindowState windowState,
                   double windowWidth, double windowHeight);
// The resize handler's steps after a pass: back in the normal state, Dir1 gets the height it had
// before the window was maximised. True when Dir1's height was set.
bool CompleteDirHeight(SuperSizerState& state, WindowState windowState, SizerControl& dir1);
