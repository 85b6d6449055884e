#include "session/RemotePane.h"

#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "commandline/frmCommands.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "session/RemoteFormat.h"

#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>

QString SelectedRemoteFolder;

void ResetRemotePane() {
    SelectedRemoteFolder.clear();
}

namespace {

const QString ParentRowText = QStringLiteral(".^.");

bool notConnected() {
    return FtpSession.hInternet == 0 || FtpSession.hConnect == 0;
}

} // namespace

void frmMain::mnuDisconnect_Click() {
    if (FtpSession.hInternet == 0)
        return;
    AbandonTransfer(); // the session's end must not complete a running upload
    Commands->SockCMD.Action(CommandSocket::CloseCommand);
    InternetCloseHandle(FtpSession.hInternet);
    InternetCloseHandle(FtpSession.hConnect);
    FtpSession.hInternet = 0;
    FtpSession.hConnect = 0;
    const int state = Commands->SockCMD.State();
    if (state == CommandSocket::StateClosing || state == CommandSocket::StateClosed)
        StatusBar1->SetPanelText(2, QStringLiteral("Command Line:  No"));
    StatusBar1->SetPanelText(1, QStringLiteral("Status:  No Connection"));
    Toolbar1->setVisible(true);
    lstRemoteFiles->ClearRows();
    lblDirectory->setText(QString());
}

void frmMain::lstRemoteFiles_GotFocus() {
    LastFocus = QStringLiteral("remote");
}

void frmMain::lstRemoteFiles_Click() {}

void frmMain::lstRemoteFiles_ItemClick(ListItem* item) {
    RemoteItemSelected = item != nullptr;
    // Several files may be picked together, but a folder is always picked alone.
    lstRemoteFiles->SetMultiSelect(true);
    const ListItem* selected = lstRemoteFiles->SelectedItem();
    if (selected && ListView::SmallIcon(selected) == FolderIcon) {
        SelectedRemoteFolder = QLatin1Char('/') + ListView::Text(item ? item : selected) + QLatin1Char('/');
        lstRemoteFiles->SetMultiSelect(false);
    } else {
        SelectedRemoteFolder.clear();
    }
}

void frmMain::lstRemoteFiles_DblClick() {
    const ListItem* item = lstRemoteFiles->SelectedItem();
    if (!item)
        return;
    if (ListView::Text(item) == ParentRowText) {
        NavigateRemoteUp();
        return;
    }
    if (ListView::SmallIcon(item) != FolderIcon)
        return;
    const QString folder = ListView::Text(item);
    lblDirectory->setText(folder);
    FtpSetCurrentDirectoryA(FtpSession.hConnect, folder.toStdString().c_str());
    lstRemoteFiles->ClearRows();
    ListRemoteFiles(*this);
    DoEvents();
    RemoteCurrentDir = QString::fromStdString(GetRemoteDirectory(FtpSession.hConnect));
    lblDirectory->setText(QString::fromStdString(GetRemoteDirectory(FtpSession.hConnect)));
}

void frmMain::NavigateRemoteUp() {
    if (RemoteCurrentDir.isEmpty()) {
        MsgBox(QStringLiteral("Error!  Connection has been terminated"), vbOKOnly | vbCritical,
               QStringLiteral("Connection Terminated"));
        mnuDisconnect_Click();
        return;
    }
    const QString parent = QString::fromStdString(RemoteParentDirectory(RemoteCurrentDir.toStdString()));
    lblDirectory->setText(parent);
    FtpSetCurrentDirectoryA(FtpSession.hConnect, parent.toStdString().c_str());
    lstRemoteFiles->ClearRows();
    ListRemoteFiles(*this);
    DoEvents();
    RemoteCurrentDir = QString::fromStdString(GetRemoteDirectory(FtpSession.hConnect));
    lblDirectory->setText(RemoteCurrentDir);
    lstRemoteFiles->ClearSelectedItem();
}

void frmMain::lstRemoteFiles_ColumnClick(int column) {
    // The remote list is never in sorted mode, so this only records the choice.
    lstRemoteFiles->SetSortKey(column - 1);
    lstRemoteFiles->SetSortOrder(Qt::AscendingOrder);
}

void frmMain::lstRemoteFiles_MouseDown(int button, int, double, double) {
    if (FtpSession.hConnect != 0 && button == 2)
        mnuLocal->popup(QCursor::pos());
}

void frmMain::BeginRemoteRename() {
    RenameOldName = ListView::Text(lstRemoteFiles->SelectedItem());
    lstRemoteFiles->StartLabelEdit();
}

void frmMain::cmdMakeDir_Click() {
    const auto reportNoConnection = [this] {
        MsgBox(QStringLiteral("No Connection"));
        Text1->setFocus();
    };
    if (notConnected()) {
        reportNoConnection();
        return;
    }
    CreatingRemoteFolder = true;
    lstRemoteFiles->setFocus();
    lstRemoteFiles->SetSorted(false);
    // Just below the parent row; below the only entry at the root.
    ListItem* row = lstRemoteFiles->Insert(2, QStringLiteral("New Folder"), FolderIcon);
    if (!row) {
        // No edit follows, so the next label edit must not be taken for a new folder.
        CreatingRemoteFolder = false;
        if (notConnected())
            reportNoConnection();
        else
            MsgBox(
                QStringLiteral("Error trying to create directory.  Make sure you are connected and that your "
                               "servers is properly configured."),
                vbOKOnly | vbInformation, QStringLiteral("Error Creating New Directory"));
        return;
    }
    lstRemoteFiles->ClearSelectedItem();
    lstRemoteFiles->SetSelectedItem(row);
    lstRemoteFiles->StartLabelEdit();
}

void frmMain::lstRemoteFiles_AfterLabelEdit(bool&, QString& newText) {
    const auto reload = [this] {
        lstRemoteFiles->ClearRows();
        ListRemoteFiles(*this);
        lstRemoteFiles->Refresh();
    };
    if (CreatingRemoteFolder) {
        CreatingRemoteFolder = false;
        // An edit left with Escape names nothing: drop the "New Folder" row, create nothing.
        if (newText.isNull()) {
            reload();
            return;
        }
        const QString path = lblDirectory->text() + newText;
        if (!FtpCreateDirectoryA(FtpSession.hConnect, path.toStdString().c_str())) {
            MsgBox(QStringLiteral("Action Failed!"), vbOKOnly | vbExclamation, QStringLiteral("ERROR!"));
            reload();
            Text1->setFocus();
            return;
        }
        reload();
        return;
    }
    // An edit left with Escape renames nothing.
    if (newText.isNull())
        return;
    RenameNewName = newText;
    if (!FtpRenameFileA(FtpSession.hConnect, RenameOldName.toStdString().c_str(),
                        RenameNewName.toStdString().c_str())) {
        MsgBox(QStringLiteral("Error renaming file!"), vbOKOnly | vbExclamation, QStringLiteral("Error"));
        ListView::SetText(lstRemoteFiles->SelectedItem(), RenameOldName);
    }
    reload();
}
