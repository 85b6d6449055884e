#include "app/frmMain.h"

// Placeholder until this part of the window lands.
void frmMain::Form_Resize() {}
void frmMain::ShowPanelNormal() {}
void frmMain::HidePanelNormal() {}
void frmMain::ShowPanelMaximized() {}
void frmMain::HidePanelMaximized() {}
void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
}
