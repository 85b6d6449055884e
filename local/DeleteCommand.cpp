// The delete command: selected local files, the current local folder, selected remote files or a
// remote folder, whichever pane had the focus last.
#include "app/frmMain.h"
#include "local/LocalFileSystem.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "session/WinInetAPI.h"
#include "toolkit/DirListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QFile>
#include <QLabel>
#include <cerrno>

namespace {

std::string encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString causeLine(int error) {
    return QStringLiteral("\r\n") + QString::fromLocal8Bit(LocalErrorText(error).c_str());
}

} // namespace

void frmMain::Toolbar3_ButtonClick() {
    DeleteSelection();
}

void frmMain::DeleteSelection() {
    const QString deleteFilesQuestion = QStringLiteral("Are you sure you want to delete selected files?");

    if (LastFocus == QStringLiteral("listview1")) {
        if (MsgBox(deleteFilesQuestion, vbYesNo | vbQuestion, QStringLiteral("Delete Files")) != vbYes)
            return;
        const int count = ListView1->Count();
        for (int i = 1; i <= count; ++i) {
            ListItem* row = ListView1->Item(i);
            if (!ListView::Selected(row))
                continue;
            const QString name = ListView::Text(row);
            const int error = DeleteLocalFile(encoded(LocalDir + name));
            // A file gone since the listing is as the user wants it. Any other failure ends the
            // command; the list then shows what is really left.
            if (error != 0 && error != ENOENT) {
                Dir1_Change();
                MsgBox(QStringLiteral("Could not delete %1.").arg(name) + causeLine(error),
                       vbOKOnly | vbExclamation, QStringLiteral("Error Deleting File"));
                return;
            }
        }
        Dir1_Change();
        return;
    }

    if (LastFocus == QStringLiteral("remote")) {
        ListItem* current = lstRemoteFiles->SelectedItem();
        if (!current || SessionLost(*this) || (FtpSession.hConnect != 0 && !RemoteFolderKnown(*this)))
            return;
        if (ListView::SmallIcon(current) == FolderIcon) {
            // The folder removed is the row the question names, however the selection got there.
            const QString name = ListView::Text(current);
            if (MsgBox(QStringLiteral("Are you sure you want to delete directory: \r\n    ") + name,
                       vbYesNoCancel | vbQuestion, QStringLiteral("Delete Directory")) != vbYes)
                return;
            const QString path = RemoteCurrentDir + name + QLatin1Char('/');
            if (!FtpRemoveDirectoryA(FtpSession.hConnect, path.toStdString().c_str())) {
                ReportRefusal(*this, QStringLiteral("Could not delete directory: ") + name,
                              vbOKOnly | vbExclamation, QStringLiteral("Error Deleting Directory"));
                return;
            }
            lstRemoteFiles->ClearRows();
            ListRemoteFiles(*this);
            return;
        }
        if (MsgBox(deleteFilesQuestion, vbYesNo | vbQuestion, QStringLiteral("Delete Files")) != vbYes)
            return;
        QStringList refusals;
        const int count = lstRemoteFiles->Count();
        for (int i = 1; i <= count; ++i) {
            const ListItem* row = lstRemoteFiles->Item(i);
            if (!ListView::Selected(row) || ListView::SmallIcon(row) == ParentRowIcon)
                continue;
            const QString name = ListView::Text(row);
            if (FtpDeleteFileA(FtpSession.hConnect, (RemoteCurrentDir + name).toStdString().c_str()))
                continue;
            const QString reply = QString::fromStdString(InternetLastResponseText());
            if (SessionLost(*this))
                return;
            refusals.append(reply.isEmpty() ? name : name + QStringLiteral(": ") + reply);
        }
        lstRemoteFiles->ClearRows();
        ListRemoteFiles(*this);
        if (refusals.isEmpty() || FtpSession.hConnect == 0)
            return;
        constexpr qsizetype shownRefusals = 10;
        if (refusals.size() > shownRefusals) {
            const qsizetype more = refusals.size() - shownRefusals;
            refusals.resize(shownRefusals);
            refusals.append(QStringLiteral("... and %1 more").arg(more));
        }
        MsgBox(QStringLiteral("Could not delete:\r\n") + refusals.join(QStringLiteral("\r\n")),
               vbOKOnly | vbExclamation, QStringLiteral("Error Deleting Files"));
        return;
    }

    if (LastFocus == QStringLiteral("Dir1")) {
        if (MsgBox(QStringLiteral("Are you sure you want to delete folder:\r\n") + LocalDirPath,
                   vbYesNo | vbQuestion, QStringLiteral("Delete Folder?")) != vbYes)
            return;
        const int error = RemoveEmptyFolder(encoded(LocalDirPath));
        // A folder already gone counts as deleted.
        if (error != 0 && error != ENOENT) {
            const bool notEmpty = error == ENOTEMPTY || error == EEXIST;
            MsgBox(LocalDirPath + (notEmpty
                                       ? QStringLiteral("  is not empty.  Could not delete directory.")
                                       : QStringLiteral("  Could not delete directory.") + causeLine(error)),
                   vbOKOnly | vbInformation, QStringLiteral("Error Deleting Directory"));
            return;
        }
        // Back to the start-up folder; if it went with the removed one, the listing moves on to the
        // nearest folder left.
        if (!Dir1->SetPath(StartLocalDir))
            Dir1_Change();
    }
}
