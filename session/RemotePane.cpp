#include "session/RemotePane.h"

#include "app/frmMain.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "session/RemoteFormat.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

QString SelectedRemoteFolder;

void ResetRemotePane() {
    SelectedRemoteFolder.clear();
}

namespace {

const QString ParentRowText = QStringLiteral(".^.");

bool notConnected() {
    return FtpSession.hInternet == 0 || FtpSession.hConnect == 0;
}

// Another entry of the listing already has this name (the row being renamed aside). Only the exact
// name counts: a change of letter case renames the entry itself.
bool nameTaken(const ListView* list, const ListItem* renamed, const QString& name) {
    for (int i = 1; i <= list->Count(); ++i) {
        const ListItem* row = list->Item(i);
        if (row != renamed && ListView::SmallIcon(row) != ParentRowIcon && ListView::Text(row) == name)
            return true;
    }
    return false;
}

// Opens folder (relative, or an absolute path) and lists it; a refusal leaves the pane where it was.
void openRemoteFolder(frmMain& form, const QString& folder) {
    form.lblDirectory->setText(folder);
    if (!FtpSetCurrentDirectoryA(FtpSession.hConnect, folder.toStdString().c_str())) {
        form.lblDirectory->setText(form.RemoteCurrentDir);
        ReportRefusal(form, QStringLiteral("Cannot open %1.").arg(folder), vbOKOnly | vbExclamation,
                      QStringLiteral("Error Opening Folder"));
        return;
    }
    form.lstRemoteFiles->ClearRows();
    ListRemoteFiles(form);
    if (FtpSession.hConnect == 0)
        return;
    DoEvents();
    form.RemoteCurrentDir = QString::fromStdString(GetRemoteDirectory(FtpSession.hConnect));
    form.lblDirectory->setText(form.RemoteCurrentDir);
}

} // namespace

void frmMain::mnuDisconnect_Click() {
    if (FtpSession.hInternet != 0)
        EndSession(*this);
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
    if (ListView::SmallIcon(item) != FolderIcon || SessionLost(*this))
        return;
    openRemoteFolder(*this, ListView::Text(item));
}

void frmMain::NavigateRemoteUp() {
    if (SessionLost(*this))
        return;
    if (FtpSession.hConnect == 0) {
        MsgBox(QStringLiteral("Error!  Connection has been terminated"), vbOKOnly | vbCritical,
               QStringLiteral("Connection Terminated"));
        mnuDisconnect_Click();
        return;
    }
    if (!RemoteFolderKnown(*this))
        return;
    openRemoteFolder(*this, QString::fromStdString(RemoteParentDirectory(RemoteCurrentDir.toStdString())));
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
    if (SessionLost(*this) || !RemoteFolderKnown(*this))
        return;
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

void frmMain::lstRemoteFiles_AfterLabelEdit(bool& cancel, QString& newText) {
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
        const QString path = RemoteCurrentDir + newText;
        if (!FtpCreateDirectoryA(FtpSession.hConnect, path.toStdString().c_str())) {
            if (!ReportRefusal(*this, QStringLiteral("Action Failed!"), vbOKOnly | vbExclamation,
                               QStringLiteral("ERROR!")))
                return;
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
    // The server would replace the other entry without a word.
    if (newText != RenameOldName && nameTaken(lstRemoteFiles, lstRemoteFiles->SelectedItem(), newText)) {
        MsgBox(
            QStringLiteral("Cannot rename %1: an entry named %2 already exists.").arg(RenameOldName, newText),
            vbOKOnly | vbCritical, QStringLiteral("Error Renaming File"));
        cancel = true;
        return;
    }
    if (!FtpRenameFileA(FtpSession.hConnect, RenameOldName.toStdString().c_str(),
                        RenameNewName.toStdString().c_str())) {
        if (!ReportRefusal(*this, QStringLiteral("Error renaming file!"), vbOKOnly | vbExclamation,
                           QStringLiteral("Error")))
            return;
        ListView::SetText(lstRemoteFiles->SelectedItem(), RenameOldName);
    }
    reload();
}
