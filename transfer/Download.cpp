#include "app/frmMain.h"

// Placeholder until this part of the window lands.
void frmMain::Picture1_Click() {}
void frmMain::BuildTransferQueue(ListView*) {}
void frmMain::DownloadQueue() {}
