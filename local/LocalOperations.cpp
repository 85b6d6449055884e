// The local pane's commands on the disk: rename, new folder, and deleting the selected files or the
// current folder. Names are taken from the entries, as the disk's bytes.
#include "local/LocalFileSystem.h"
#include "local/LocalFormat.h"
#include "local/LocalPane.h"
#include "local/ShellFileOperation.h"
#include "session/FileIcons.h"
#include "toolkit/DirListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QFile>
#include <cerrno>

namespace {

QString causeLine(int error) {
    return QStringLiteral("\r\n") + QString::fromLocal8Bit(LocalErrorText(error).c_str());
}

} // namespace

void LocalPane::ListView1_AfterLabelEdit(bool& cancel, QString& newText) {
    if (m_renameOldName.empty()) {
        MsgBox(QStringLiteral("Error renaming file!"), vbOKOnly | vbExclamation, QStringLiteral("Error"));
        Dir1_Change();
        cancel = true;
        return;
    }
    // A cancelled edit (null text), an emptied or an unchanged name renames nothing.
    const bool renamed = !newText.isEmpty() && newText != m_renameOldText &&
                         ShellFileOperation::Rename(m_view.folders->PathBytes(), m_renameOldName, newText);
    m_view.files->SetSorted(true);
    Dir1_Change();
    // The list leaves dot files out, so the row just vanishes unless the user is told why.
    if (renamed && newText.startsWith(QLatin1Char('.')))
        MsgBox(QStringLiteral("%1 is now hidden: names beginning with \".\" are not listed.").arg(newText),
               vbOKOnly | vbInformation, QStringLiteral("Rename"));
    // The rows now come from the disk; the list view must not write the typed text into one.
    cancel = true;
}

void LocalPane::mnuLocalNewFolder_Click() {
    if (m_view.folders->Path().isEmpty())
        return; // no folder listed yet
    const QString name = QStringLiteral("New Folder");
    const int error = MakeFolder(folderBytes() + QFile::encodeName(name).toStdString());
    // Made first: a folder that could not be made (nothing may be written here, or the folder shown
    // has gone) gets no row to name.
    if (error != 0 && error != EEXIST) {
        MsgBox(QStringLiteral("Could not create folder!\r\n") +
                   QString::fromLocal8Bit(LocalErrorText(error).c_str()),
               vbOKOnly | vbCritical, QStringLiteral("Error"));
        return;
    }
    m_view.files->SetSorted(false); // the new row stays on top
    ListItem* row = m_view.files->Insert(1, name, FolderIcon);
    m_view.files->SetSelectedItem(row);
    m_renameOldText = name;
    m_renameOldName = QFile::encodeName(name).toStdString();
    m_view.files->StartLabelEdit();
    if (error == EEXIST)
        MsgBox(QStringLiteral("Folder already exists!"), vbOKOnly | vbCritical, QStringLiteral("Error"));
}

void LocalPane::BeginLocalRename() {
    ListItem* row = m_view.files->SelectedItem();
    const LocalEntry* entry = entryOf(row);
    if (!entry)
        return; // nothing to rename (an empty folder)
    m_renameOldName = entry->name;
    m_renameOldText = ListView::Text(row);
    m_view.files->StartLabelEdit();
}

void LocalPane::DeleteSelection() {
    if (m_focusedPart == QStringLiteral("listview1"))
        deleteSelectedFiles();
    else
        deleteCurrentFolder();
}

void LocalPane::deleteSelectedFiles() {
    if (MsgBox(QStringLiteral("Are you sure you want to delete selected files?"), vbYesNo | vbQuestion,
               QStringLiteral("Delete Files")) != vbYes)
        return;
    for (const LocalEntry& entry : SelectedEntries()) {
        const int error = DeleteLocalFile(m_listedFolder + entry.name);
        // A file gone since the listing is as the user wants it. Any other failure ends the
        // command; the list then shows what is really left.
        if (error != 0 && error != ENOENT) {
            Dir1_Change();
            MsgBox(QStringLiteral("Could not delete %1.")
                           .arg(QFile::decodeName(QByteArray::fromStdString(entry.name))) +
                       causeLine(error),
                   vbOKOnly | vbExclamation, QStringLiteral("Error Deleting File"));
            return;
        }
    }
    Dir1_Change();
}

void LocalPane::deleteCurrentFolder() {
    if (MsgBox(QStringLiteral("Are you sure you want to delete folder:\r\n") + m_localDirPath,
               vbYesNo | vbQuestion, QStringLiteral("Delete Folder?")) != vbYes)
        return;
    const int error = RemoveEmptyFolder(m_localDirPathBytes);
    // A folder already gone counts as deleted.
    if (error != 0 && error != ENOENT) {
        const bool notEmpty = error == ENOTEMPTY || error == EEXIST;
        MsgBox(m_localDirPath + (notEmpty
                                     ? QStringLiteral("  is not empty.  Could not delete directory.")
                                     : QStringLiteral("  Could not delete directory.") + causeLine(error)),
               vbOKOnly | vbInformation, QStringLiteral("Error Deleting Directory"));
        return;
    }
    // Back to the start-up folder; if it went with the removed one, the listing moves on to the
    // nearest folder left.
    if (!m_view.folders->SetPath(m_startLocalDir))
        Dir1_Change();
}
