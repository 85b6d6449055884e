#include "app/frmMain.h"

// Placeholder until this part of the window lands.
void frmMain::ShowTransferPanel() {}
void frmMain::HideTransferPanel() {}
void frmMain::PinWindowSize() {}
void frmMain::ReleaseWindowSize() {}
void frmMain::EndTransfer() {}
void frmMain::cmdCancel_Click() {}
