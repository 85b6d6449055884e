// The local pane: listing the current folder into ListView1, changing drives, the icon by extension.
#include "app/frmMain.h"
#include "local/LocalFileSystem.h"
#include "local/LocalFormat.h"
#include "session/FileIcons.h"
#include "toolkit/DirListBox.h"
#include "toolkit/DriveListBox.h"
#include "toolkit/FileListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/SizeText.h"
#include "toolkit/WindowLayer.h"

#include <QFile>

void frmMain::Dir1_Change() {
    // A folder removed while shown: the pane moves to the nearest folder left, whose Change lists it.
    const std::string shown = QFile::encodeName(Dir1->Path()).toStdString();
    if (!shown.empty() && CanEnterFolder(shown) != 0 &&
        Dir1->SetPath(QFile::decodeName(QByteArray::fromStdString(NearestEnterableFolder(shown)))))
        return;

    LocalDirPath = Dir1->Path();

    Drive1->Refresh();
    Dir1->SetDriveRoot(Drive1->FollowFolder(LocalDirPath));
    Dir1->Refresh();

    ListView1->ClearRows();
    File1->SetPath(Dir1->Path()); // re-reads the folder's files
    LocalDir = QFile::decodeName(
        QByteArray::fromStdString(FolderWithSlash(QFile::encodeName(Dir1->Path()).toStdString())));

    // Filling row by row in a sorted, painting list costs a sort and a repaint per row; sort once.
    const bool sorted = ListView1->Sorted();
    ListView1->setUpdatesEnabled(false);
    ListView1->SetSorted(false);
    for (int i = 0; i < File1->ListCount(); ++i) {
        const QString name = File1->List(i);
        const LocalFileEntry& file = File1->Entry(i);
        ListItem* row = ListView1->Add(name, LocalIconIndex(name));
        ListView::SetSubItem(row, 1, QString::fromStdString(KilobyteText(file.size, 1000, 0, " Kb")));
        ListView::SetSubItem(row, 2, QString::fromStdString(LocalDateText(file.modified)));
        ListView::SetSubItem(row, 3, QString::number(file.size));
        ListView::SetSortValue(row, 1, file.size);
        ListView::SetSortValue(row, 2, file.modified);
    }
    ListView1->SetSorted(sorted);
    ListView1->setUpdatesEnabled(true);
}

void frmMain::Drive1_Change() {
    // The drive's current folder, or its root when that folder has gone.
    if (Dir1->SetPath(Drive1->Drive()) || Dir1->SetPath(Drive1->MountPoint()))
        return;
    MsgBox(QStringLiteral("Device not ready!"), vbOKOnly | vbCritical, QStringLiteral("Drive Error!"));
}

void frmMain::Dir1_GotFocus() {
    LastFocus = QStringLiteral("Dir1");
}

int frmMain::LocalIconIndex(const QString& name) {
    return IconIndexForName(name.toStdString());
}
