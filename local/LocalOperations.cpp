// The local file list's behaviour: picking rows, sorting, the pop-up menu, rename, new folder.
#include "app/frmMain.h"
#include "local/LocalFileSystem.h"
#include "local/LocalFormat.h"
#include "local/ShellFileOperation.h"
#include "session/FileIcons.h"
#include "session/RemotePane.h"
#include "toolkit/DirListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QCursor>
#include <QFile>
#include <QMenu>
#include <cerrno>

void frmMain::ListView1_GotFocus() {
    LastFocus = QStringLiteral("listview1");
}

void frmMain::ListView1_Click() {}

void frmMain::ListView1_ItemClick(ListItem* item) {
    LocalItemSelected = item != nullptr;
    SelectedLocalName = ListView::Text(item);
}

void frmMain::ListView1_ColumnClick(int column) {
    ListView1->SetSortOrder(Qt::AscendingOrder);
    ListView1->SetSortKey(column - 1);
}

void frmMain::ListView1_MouseDown(int button, int, double, double) {
    if (button == 2)
        mnuLocal->popup(QCursor::pos());
}

void frmMain::ListView1_AfterLabelEdit(bool& cancel, QString& newText) {
    LocalRenameNewName = newText;
    if (LocalRenameOldName.isEmpty()) {
        MsgBox(QStringLiteral("Error renaming file!"), vbOKOnly | vbExclamation, QStringLiteral("Error"));
        Dir1_Change();
        cancel = true;
        return;
    }
    // A cancelled edit (null text), an emptied or an unchanged name renames nothing.
    const bool renamed = !newText.isEmpty() && newText != LocalRenameOldName &&
                         ShellFileOperation::Rename(Dir1->Path(), LocalRenameOldName, newText);
    ListView1->SetSorted(true);
    Dir1_Change();
    // The list leaves dot files out, so the row just vanishes unless the user is told why.
    if (renamed && newText.startsWith(QLatin1Char('.')))
        MsgBox(QStringLiteral("%1 is now hidden: names beginning with \".\" are not listed.").arg(newText),
               vbOKOnly | vbInformation, QStringLiteral("Rename"));
    // The rows now come from the disk; the list view must not write the typed text into one.
    cancel = true;
}

void frmMain::mnuLocalDelete_Click() {
    DeleteSelection();
}

void frmMain::mnuLocalNewFolder_Click() {
    if (LastFocus == QStringLiteral("remote")) {
        remote().cmdMakeDir_Click();
        return;
    }
    if (Dir1->Path().isEmpty())
        return; // no folder listed yet
    const QString name = QStringLiteral("New Folder");
    const int error = MakeFolder(FolderWithSlash(QFile::encodeName(Dir1->Path()).toStdString()) +
                                 QFile::encodeName(name).toStdString());
    // Made first: a folder that could not be made (nothing may be written here, or the folder shown
    // has gone) gets no row to name.
    if (error != 0 && error != EEXIST) {
        MsgBox(QStringLiteral("Could not create folder!\r\n") +
                   QString::fromLocal8Bit(LocalErrorText(error).c_str()),
               vbOKOnly | vbCritical, QStringLiteral("Error"));
        return;
    }
    ListView1->SetSorted(false); // the new row stays on top
    ListItem* row = ListView1->Insert(1, name, FolderIcon);
    ListView1->SetSelectedItem(row);
    LocalRenameOldName = ListView::Text(ListView1->SelectedItem());
    ListView1->StartLabelEdit();
    if (error == EEXIST)
        MsgBox(QStringLiteral("Folder already exists!"), vbOKOnly | vbCritical, QStringLiteral("Error"));
}

void frmMain::mnuLocalRefresh_Click() {
    RefreshBothPanes();
}

void frmMain::mnuLocalRename_Click() {
    if (LastFocus == QStringLiteral("remote"))
        remote().BeginRemoteRename();
    else
        BeginLocalRename();
}

void frmMain::Toolbar4_ButtonClick() {
    if (LastFocus == QStringLiteral("listview1"))
        BeginLocalRename();
    else if (LastFocus == QStringLiteral("remote"))
        remote().BeginRemoteRename();
    else
        MsgBox(QStringLiteral("You must select a file!"), vbOKOnly | vbExclamation, QStringLiteral("Error!"));
}

void frmMain::BeginLocalRename() {
    ListItem* row = ListView1->SelectedItem();
    if (!row)
        return; // nothing to rename (an empty folder)
    LocalRenameOldName = ListView::Text(row);
    ListView1->StartLabelEdit();
}
