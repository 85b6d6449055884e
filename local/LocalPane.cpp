#include "app/frmMain.h"

// Placeholder until this part of the window lands.
void frmMain::Dir1_Change() {}
void frmMain::Drive1_Change() {}
void frmMain::Dir1_GotFocus() {}
