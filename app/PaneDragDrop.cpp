#include "app/PaneDragDrop.h"

#include "app/frmMain.h"
#include "local/LocalPane.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "toolkit/DirListBox.h"
#include "toolkit/ListView.h"
#include "transfer/Transfers.h"

#include <QCoreApplication>
#include <QFile>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QSignalBlocker>
#include <QUrl>

namespace {

// The panes' own drags name what they carry; the entries and paths stay in this program.
constexpr const char* RemoteFormat = "application/x-tovo-ftp-remote-entries";
constexpr const char* LocalFormat = "application/x-tovo-ftp-local-paths";

std::string withSlash(std::string folder) {
    if (!folder.ends_with('/'))
        folder += '/';
    return folder;
}

// Files and folders from the desktop, as the disk's bytes.
std::vector<std::string> desktopPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return paths;
}

} // namespace

PaneDragDrop::PaneDragDrop(frmMain& form) : m_form(form) {
    DragDropHooks remote;
    remote.dragData = [this] { return startRemoteDrag(); };
    remote.accepts = [this](const QMimeData* data) { return acceptsOnRemote(data); };
    remote.dropped = [this](const QMimeData* data, QPoint point) { dropOnRemote(data, point); };
    form.lstRemoteFiles->SetDragDropHooks(std::move(remote));

    DragDropHooks files;
    files.dragData = [this] { return startLocalFilesDrag(); };
    files.accepts = [this](const QMimeData* data) { return acceptsOnLocal(data); };
    files.dropped = [this](const QMimeData*, QPoint) { download(m_form.local().CurrentDirBytes()); };
    form.ListView1->SetDragDropHooks(std::move(files));

    DragDropHooks folders;
    folders.dragData = [this] { return startFolderDrag(); };
    folders.accepts = [this](const QMimeData* data) { return acceptsOnLocal(data); };
    folders.dropped = [this](const QMimeData*, QPoint point) {
        const std::string under = m_form.Dir1->EntryPathAt(point);
        download(under.empty() ? m_form.Dir1->PathBytes() : under);
    };
    form.Dir1->SetDragDropHooks(std::move(folders));
}

QMimeData* PaneDragDrop::dragOf(const char* format) {
    m_dragId = QByteArray::number(QCoreApplication::applicationPid()) + ':' + QByteArray::number(++m_drags);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(format), m_dragId);
    return data;
}

bool PaneDragDrop::isOurDrag(const QMimeData* data, const char* format) const {
    // Another copy of the program may drag the same format: only this one's drag holds our entries.
    return !m_dragId.isEmpty() && data->data(QString::fromLatin1(format)) == m_dragId;
}

QMimeData* PaneDragDrop::startRemoteDrag() {
    m_remoteEntries = m_form.remote().SelectedEntries();
    m_remoteDir = m_form.remote().CurrentDirBytes();
    return m_remoteEntries.empty() ? nullptr : dragOf(RemoteFormat);
}

QMimeData* PaneDragDrop::startLocalFilesDrag() {
    m_localPaths.clear();
    for (const LocalEntry& entry : m_form.local().SelectedEntries())
        m_localPaths.push_back(m_form.local().CurrentDirBytes() + entry.name);
    return m_localPaths.empty() ? nullptr : dragOf(LocalFormat);
}

QMimeData* PaneDragDrop::startFolderDrag() {
    const std::string folder = DirListBox::EntryPath(m_form.Dir1->currentItem());
    m_localPaths.assign(folder.empty() ? 0 : 1, folder);
    return m_localPaths.empty() ? nullptr : dragOf(LocalFormat);
}

bool PaneDragDrop::canTransfer() const {
    return !m_form.transfers().Running() && FtpSession.hConnect != 0 &&
           !m_form.remote().CurrentDirBytes().empty();
}

bool PaneDragDrop::acceptsOnRemote(const QMimeData* data) const {
    return canTransfer() && (isOurDrag(data, LocalFormat) || !desktopPaths(data).empty());
}

bool PaneDragDrop::acceptsOnLocal(const QMimeData* data) const {
    return canTransfer() && isOurDrag(data, RemoteFormat);
}

void PaneDragDrop::dropOnRemote(const QMimeData* data, QPoint point) {
    const std::vector<std::string> paths = isOurDrag(data, LocalFormat) ? m_localPaths : desktopPaths(data);
    m_form.TransferCalls.uploadPaths(paths, remoteFolderAt(point));
}

void PaneDragDrop::download(std::string localDir) {
    m_form.TransferCalls.downloadEntries(m_remoteEntries, m_remoteDir, withSlash(std::move(localDir)));
}

std::string PaneDragDrop::remoteFolderAt(QPoint point) const {
    const std::string current = m_form.remote().CurrentDirBytes();
    ListView* list = m_form.lstRemoteFiles;
    ListItem* row = list->ItemAt(point);
    if (!row)
        return current;
    // The pane gives the entries of selected rows only: the row under the drop is selected alone for
    // the question, and the user's selection put back unseen.
    QItemSelectionModel* selection = list->selectionModel();
    const QItemSelection kept = selection->selection();
    const QModelIndex currentRow = selection->currentIndex();
    std::vector<RemoteEntry> under;
    {
        const QSignalBlocker quiet(selection);
        selection->clearSelection();
        ListView::SetSelected(row, true);
        under = m_form.remote().SelectedEntries();
        selection->select(kept, QItemSelectionModel::ClearAndSelect);
        selection->setCurrentIndex(currentRow, QItemSelectionModel::NoUpdate);
    }
    return under.size() == 1 && under.front().folder ? current + under.front().name + '/' : current;
}
