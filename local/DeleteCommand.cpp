// The delete command: the local pane's selection, or selected remote files or a remote folder,
// whichever pane had the focus last.
#include "app/frmMain.h"
#include "local/LocalPane.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "session/WinInetAPI.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QLabel>

void frmMain::DeleteSelection() {
    const QString deleteFilesQuestion = QStringLiteral("Are you sure you want to delete selected files?");

    if (LastFocus != QStringLiteral("remote")) {
        m_local->DeleteSelection();
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
}
