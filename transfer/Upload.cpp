#include "app/frmMain.h"

// Placeholder until this part of the window lands.
void frmMain::Picture2_Click() {}
void frmMain::UploadQueue() {}
