// The local pane: listing the current folder into the file list, changing drives, picking rows,
// the icon by extension.
#include "local/LocalPane.h"

#include "local/LocalFileSystem.h"
#include "local/LocalFormat.h"
#include "session/FileIcons.h"
#include "toolkit/DirListBox.h"
#include "toolkit/DriveListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/SizeText.h"
#include "toolkit/WindowLayer.h"

#include <QCursor>
#include <QFile>
#include <QMenu>

namespace {

QString shownName(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

} // namespace

LocalPane::LocalPane(const LocalPaneView& view, QObject* parent) : QObject(parent), m_view(view) {}

std::string LocalPane::folderBytes() const {
    return FolderWithSlash(m_view.folders->PathBytes());
}

void LocalPane::Dir1_Change() {
    // A folder removed while shown: the pane moves to the nearest folder left, whose Change lists it.
    const std::string shown = m_view.folders->PathBytes();
    if (!shown.empty() && CanEnterFolder(shown) != 0 &&
        m_view.folders->SetPathBytes(NearestEnterableFolder(shown)))
        return;

    m_localDirPath = m_view.folders->Path();
    m_localDirPathBytes = shown;

    m_view.drives->Refresh();
    m_view.folders->SetDriveRoot(m_view.drives->FollowFolder(m_localDirPath));
    m_view.folders->Refresh();

    m_view.files->ClearRows();
    m_rowEntries.clear();
    m_entries.clear();
    const std::string& folder = m_view.folders->PathBytes();
    if (!folder.empty())
        for (LocalFileEntry& file : ListPlainFiles(folder))
            m_entries.push_back({std::move(file.name), file.size, file.modified});
    m_listedFolder = FolderWithSlash(folder);
    m_localDir = shownName(m_listedFolder);
    fillList();
    emit listed();
}

void LocalPane::fillList() {
    // Filling row by row in a sorted, painting list costs a sort and a repaint per row; sort once.
    ListView* list = m_view.files;
    const bool sorted = list->Sorted();
    list->setUpdatesEnabled(false);
    list->SetSorted(false);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const LocalEntry& file = m_entries[i];
        const QString name = shownName(file.name);
        ListItem* row = list->Add(name, LocalIconIndex(name));
        ListView::SetSubItem(row, 1, QString::fromStdString(KilobyteText(file.size, 1000, 0, " Kb")));
        ListView::SetSubItem(row, 2, QString::fromStdString(LocalDateText(file.modified)));
        ListView::SetSubItem(row, 3, QString::number(file.size));
        ListView::SetSortValue(row, 1, file.size);
        ListView::SetSortValue(row, 2, file.modified);
        m_rowEntries.emplace(row, i);
    }
    list->SetSorted(sorted);
    list->setUpdatesEnabled(true);
}

const LocalEntry* LocalPane::entryOf(const ListItem* row) const {
    const auto found = m_rowEntries.find(row);
    return found == m_rowEntries.end() ? nullptr : &m_entries[found->second];
}

std::vector<LocalEntry> LocalPane::SelectedEntries() const {
    std::vector<LocalEntry> selected;
    const int count = m_view.files->Count();
    for (int i = 1; i <= count; ++i) {
        const ListItem* row = m_view.files->Item(i);
        if (ListView::Selected(row))
            if (const LocalEntry* entry = entryOf(row))
                selected.push_back(*entry);
    }
    return selected;
}

void LocalPane::Drive1_Change() {
    // The drive's current folder, or its root when that folder has gone.
    if (m_view.folders->SetPath(m_view.drives->Drive()) ||
        m_view.folders->SetPath(m_view.drives->MountPoint()))
        return;
    MsgBox(QStringLiteral("Device not ready!"), vbOKOnly | vbCritical, QStringLiteral("Drive Error!"));
}

void LocalPane::Dir1_GotFocus() {
    m_focusedPart = QStringLiteral("Dir1");
    emit focused(m_focusedPart);
}

void LocalPane::ListView1_GotFocus() {
    m_focusedPart = QStringLiteral("listview1");
    emit focused(m_focusedPart);
}

void LocalPane::ListView1_Click() {}

void LocalPane::ListView1_ItemClick(ListItem* item) {
    m_localItemSelected = item != nullptr;
}

void LocalPane::ListView1_ColumnClick(int column) {
    m_view.files->SetSortOrder(Qt::AscendingOrder);
    m_view.files->SetSortKey(column - 1);
}

void LocalPane::ListView1_MouseDown(int button, int, double, double) {
    if (button == 2 && m_view.popup)
        m_view.popup->popup(QCursor::pos());
}

void LocalPane::mnuLocalRefresh_Click() {
    m_view.files->SetSorted(true);
    Dir1_Change();
}

int LocalPane::LocalIconIndex(const QString& name) {
    return IconIndexForName(name.toStdString());
}
