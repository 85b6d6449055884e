#include "app/frmMain.h"

// Placeholder until this part of the window lands.
void frmMain::mnuDisconnect_Click() {}
void frmMain::lstRemoteFiles_GotFocus() {}
void frmMain::lstRemoteFiles_Click() {}
void frmMain::lstRemoteFiles_ItemClick(QTreeWidgetItem*) {}
void frmMain::lstRemoteFiles_DblClick() {}
void frmMain::lstRemoteFiles_ColumnClick(int) {}
void frmMain::lstRemoteFiles_MouseDown(int, int, double, double) {}
void frmMain::lstRemoteFiles_AfterLabelEdit(bool&, QString&) {}
void frmMain::cmdMakeDir_Click() {}
void frmMain::BeginRemoteRename() {}
void frmMain::NavigateRemoteUp() {}
