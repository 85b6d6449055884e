#include "app/frmMain.h"

// Placeholder until this part of the window lands.
void frmMain::DeleteSelection() {}
void frmMain::Toolbar3_ButtonClick() {}
