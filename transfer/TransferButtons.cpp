#include "app/frmMain.h"

// Placeholder until this part of the window lands.
void frmMain::Picture1_MouseMove(int, int, double, double) {}
void frmMain::Picture2_MouseMove(int, int, double, double) {}
void frmMain::Picture1_MouseUp(int, int, double, double) {}
void frmMain::Picture2_MouseUp(int, int, double, double) {}
