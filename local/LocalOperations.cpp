#include "app/frmMain.h"

// Placeholder until this part of the window lands.
void frmMain::ListView1_GotFocus() {}
void frmMain::ListView1_Click() {}
void frmMain::ListView1_ItemClick(QTreeWidgetItem*) {}
void frmMain::ListView1_ColumnClick(int) {}
void frmMain::ListView1_MouseDown(int, int, double, double) {}
void frmMain::ListView1_AfterLabelEdit(bool&, QString&) {}
void frmMain::mnuLocalDelete_Click() {}
void frmMain::mnuLocalNewFolder_Click() {}
void frmMain::mnuLocalRefresh_Click() {}
void frmMain::mnuLocalRename_Click() {}
void frmMain::Toolbar4_ButtonClick() {}
void frmMain::BeginLocalRename() {}
