#pragma once
// Drag and drop between the panes and from the desktop: remote rows dropped onto the local file list
// or folder tree download there; local files and folders, and files from the desktop's file manager,
// dropped onto the remote list upload into its folder (or into the folder row they land on).

#include "session/RemoteEntry.h"

#include <QByteArray>
#include <QPoint>
#include <string>
#include <vector>

class QMimeData;
class frmMain;

class PaneDragDrop {
public:
    // Fills in the drag and drop hooks of both panes' lists.
    explicit PaneDragDrop(frmMain& form);

private:
    QMimeData* startRemoteDrag();
    QMimeData* startLocalFilesDrag();
    QMimeData* startFolderDrag();
    // Data that names the drag just started, whose entries or paths this object holds.
    QMimeData* dragOf(const char* format);
    bool isOurDrag(const QMimeData* data, const char* format) const;
    // Nothing is dropped while a transfer runs or without a session.
    bool canTransfer() const;
    bool acceptsOnRemote(const QMimeData* data) const;
    bool acceptsOnLocal(const QMimeData* data) const;
    void dropOnRemote(const QMimeData* data, QPoint point);
    void download(std::string localDir);
    // The remote folder a drop at point goes into: a folder row's, else the current one.
    std::string remoteFolderAt(QPoint point) const;

    frmMain& m_form;
    // What the drag in progress carries, taken from the panes' data when it started.
    QByteArray m_dragId;
    unsigned m_drags = 0;
    std::vector<RemoteEntry> m_remoteEntries;
    std::string m_remoteDir;
    std::vector<std::string> m_localPaths;
};
