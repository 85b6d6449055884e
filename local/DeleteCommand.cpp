// The delete command: selected local files or the current local folder, or the remote pane's
// selection, whichever pane had the focus last.
#include "app/frmMain.h"
#include "local/LocalFileSystem.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
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
        remote().DeleteSelection();
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
