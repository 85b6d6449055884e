#include "app/PanelLayouts.h"
#include "app/SuperSizer.h"
#include "app/frmMain.h"
#include "toolkit/DirListBox.h"
#include "toolkit/DriveListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/PictureBox.h"
#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"
#include "transfer/Transfers.h"

#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QToolBar>
#include <cmath>
#include <vector>

namespace {

ControlRect rectOf(const QWidget* widget) {
    return {TwipsX(widget->x()), TwipsY(widget->y()), TwipsX(widget->width()), TwipsY(widget->height())};
}

void place(QWidget* widget, const ControlRect& rect) {
    PlaceTwips(widget, rect.Left, rect.Top, rect.Width, rect.Height);
}

// The minimum in whole pixels, rounded up so that the window really is not smaller.
double wholePixelsAtLeast(double twips, int twipsPerPixel) {
    return std::ceil(twips / twipsPerPixel) * twipsPerPixel;
}

WindowState stateOf(const QWidget* window) {
    if (window->isMinimized())
        return WindowState::Minimized;
    return window->isMaximized() ? WindowState::Maximized : WindowState::Normal;
}

SizerControlKind kindOf(const frmMain& form, const QWidget* widget) {
    if (widget == form.StatusBar1)
        return SizerControlKind::Skipped;
    if (widget == form.Line1 || widget == form.Line2)
        return SizerControlKind::Line;
    if (qobject_cast<const QToolBar*>(widget))
        return SizerControlKind::Toolbar;
    if (qobject_cast<const DirListBox*>(widget))
        return SizerControlKind::FolderList;
    if (qobject_cast<const DriveListBox*>(widget))
        return SizerControlKind::DriveList;
    return SizerControlKind::Other;
}

// Every named control of the window in creation order: those on the client area, then the options
// inside the frame.
std::vector<QWidget*> sizedControls(const frmMain& form) {
    std::vector<QWidget*> controls;
    for (QWidget* parent : std::initializer_list<QWidget*>{form.Client, form.Frame1})
        for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->objectName().isEmpty() && !child->isWindow())
                controls.push_back(child);
    return controls;
}

SizerControl sizerControlOf(const frmMain& form, QWidget* widget) {
    SizerControl control;
    control.Name = widget->objectName().toStdString();
    control.Kind = kindOf(form, widget);
    const ControlRect rect = rectOf(widget);
    control.Left = rect.Left;
    control.Top = rect.Top;
    control.Width = rect.Width;
    control.Height = rect.Height;
    // A line widget runs from (X1, Y1) to (X2, Y1).
    control.X1 = rect.Left;
    control.X2 = rect.Left + rect.Width;
    control.Y1 = control.Y2 = rect.Top;
    return control;
}

void applySizerControl(QWidget* widget, const SizerControl& control) {
    if (control.Kind == SizerControlKind::Skipped)
        return;
    if (control.Kind == SizerControlKind::Line)
        place(widget, {control.X1, control.Y1, control.X2 - control.X1, TwipsY(widget->height())});
    else
        place(widget, {control.Left, control.Top, control.Width, control.Height});
}

void placeLine(QFrame* line, double x1, double x2) {
    ControlRect rect = rectOf(line);
    rect.Left = x1;
    rect.Width = x2 - x1;
    place(line, rect);
}

// The controls the maximised panel layout moves or reads.
ControlRects panelLayoutRects(const frmMain& form) {
    ControlRects rects;
    for (const char* name :
         {"lstRemoteFiles", "ListView1", "Frame1", "optASCII", "optBinary", "optAuto", "Toolbar1"})
        rects[name] = rectOf(form.findChild<QWidget*>(QLatin1String(name)));
    for (const char* name : TransferPanelControls)
        rects[name] = rectOf(form.findChild<QWidget*>(QLatin1String(name)));
    return rects;
}

void applyRects(frmMain& form, const ControlRects& rects) {
    for (const auto& [name, rect] : rects)
        if (QWidget* widget = form.findChild<QWidget*>(QString::fromStdString(name)))
            place(widget, rect);
}

} // namespace

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The status bar keeps to the bottom edge of the client area at its full width. The client
    // widget may not have its new size yet, so reckon from the window's.
    const int clientHeight = event->size().height() - (menuBar()->isVisible() ? menuBar()->height() : 0);
    StatusBar1->setGeometry(0, clientHeight - StatusBar1->height(), event->size().width(),
                            StatusBar1->height());
    Form_Resize();
}

void frmMain::Form_Resize() {
    // The client size, not the frame: the window manager may report its frame only after the
    // first resize, which would look like a change of size.
    if (!SizerReady) {
        SizerReady = true;
        ResetSuperSizer(TwipsX(width()), TwipsY(height()));
        LoadRemoteHeight = TwipsY(lstRemoteFiles->height());
    }
    SuperSizer.NewWidth = TwipsX(width());
    SuperSizer.NewHeight = TwipsY(height());

    const double linesLeft = TwipsX(ListView1->x());
    const double linesRight = TwipsX(lstRemoteFiles->x() + lstRemoteFiles->width());
    placeLine(Line1, linesLeft, linesRight);
    placeLine(Line2, linesLeft, linesRight);

    if (isMinimized())
        return;
    // Each correction resizes the window again; that nested handling runs its pass first.
    if (FormWidth() < MinimumFormWidth)
        SetFormWidth(wholePixelsAtLeast(MinimumFormWidth, ScreenTwipsPerPixelX()));
    if (FormHeight() < MinimumFormHeight)
        SetFormHeight(wholePixelsAtLeast(MinimumFormHeight, ScreenTwipsPerPixelY()));
    if (SkipNextResize) {
        SkipNextResize = false;
        return;
    }

    const std::vector<QWidget*> widgets = sizedControls(*this);
    std::vector<SizerControl> controls;
    controls.reserve(widgets.size());
    for (QWidget* widget : widgets)
        controls.push_back(sizerControlOf(*this, widget));
    const WindowState state = stateOf(this);
    ResizeControls(SuperSizer, controls, state, TwipsX(width()), TwipsY(height()));
    for (std::size_t i = 0; i < widgets.size(); ++i)
        applySizerControl(widgets[i], controls[i]);

    for (std::size_t i = 0; i < widgets.size(); ++i) {
        if (widgets[i] != Dir1)
            continue;
        if (controls[i].Kind == SizerControlKind::FolderList && state == WindowState::Normal &&
            SuperSizer.DirHeightState == 1)
            SuperSizer.SavedDirHeight = TwipsY(Dir1->height()); // as the control took it
        if (CompleteDirHeight(SuperSizer, state, controls[i]))
            place(Dir1, {controls[i].Left, controls[i].Top, controls[i].Width, controls[i].Height});
    }
}

void frmMain::ShowPanelNormal() {
    if (isMaximized())
        return;
    SkipNextResize = true;
    ControlRects rects;
    rects["cmdCancel"] = rectOf(cmdCancel);
    rects["StatusBar1"] = rectOf(StatusBar1);
    SetFormHeight(PanelNormalHeight(rects));
}

void frmMain::HidePanelNormal() {
    SkipNextResize = true;
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        showNormal();
    if (NormalHeight > 0)
        SetFormHeight(NormalHeight);
}

void frmMain::ShowPanelMaximized() {
    m_transfers->ShowTransferPanel();
    SkipNextResize = true;
    ControlRects rects = panelLayoutRects(*this);
    LayoutShowPanelMaximized(rects, PanelLayout, LoadRemoteHeight);
    applyRects(*this, rects);
    PanelHeight = PanelLayout.PanelHeight;
    RemoteHeightFactor = PanelLayout.RemoteHeightFactor;
    Toolbar1Shift = PanelLayout.Toolbar1Shift;
    RemoteListGain = PanelLayout.RemoteListGain;
    LocalListGain = PanelLayout.LocalListGain;
    Picture1->setVisible(false);
    Picture2->setVisible(false);
    SkipNextResize = true;
}

void frmMain::HidePanelMaximized() {
    SkipNextResize = true;
    ControlRects rects = panelLayoutRects(*this);
    LayoutHidePanelMaximized(rects, PanelLayout);
    applyRects(*this, rects);
    PanelLayout.PanelPlaces.clear();
    Picture1->setVisible(true);
    Picture2->setVisible(true);
    SkipNextResize = false;
}
