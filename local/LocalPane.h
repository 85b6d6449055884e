#pragma once
// The local pane: the drive box, the folder tree and the file list. It lists the current folder's
// files as entries (names as the disk's bytes) and renames, makes and deletes on the disk.

#include "local/LocalEntry.h"

#include <QObject>
#include <QString>
#include <unordered_map>
#include <utility>
#include <vector>

class DirListBox;
class DriveListBox;
class ListItem;
class ListView;
class QMenu;

// The widgets the pane works through; the window owns and places them.
struct LocalPaneView {
    DriveListBox* drives = nullptr;
    DirListBox* folders = nullptr;
    ListView* files = nullptr;
    QMenu* popup = nullptr; // the pop-up menu of the file list
};

class LocalPane : public QObject {
    Q_OBJECT
public:
    explicit LocalPane(const LocalPaneView& view, QObject* parent = nullptr);

    void Dir1_Change();
    void Drive1_Change();
    void Dir1_GotFocus();
    void ListView1_GotFocus();
    void ListView1_Click();
    void ListView1_ItemClick(ListItem* item);
    void ListView1_ColumnClick(int column);
    void ListView1_MouseDown(int button, int shift, double x, double y);
    void ListView1_AfterLabelEdit(bool& cancel, QString& newText);
    void mnuLocalNewFolder_Click();
    // The local half of the pop-up's Refresh: the folder read again, sorted.
    void mnuLocalRefresh_Click();
    void BeginLocalRename();
    // Deletes the selected files when the file list had the focus last, else the current folder.
    void DeleteSelection();

    QString CurrentDir() const { return m_localDir; } // ends with "/"
    const std::string& CurrentDirBytes() const { return m_listedFolder; }
    std::vector<LocalEntry> SelectedEntries() const;
    // The small icon (index into the window's small icons) for a local file name.
    static int LocalIconIndex(const QString& name);

    // The folder the pane went to at start-up; deleting the current folder returns there.
    void SetStartLocalDir(const QString& folder) { m_startLocalDir = folder; }
    // The last row clicked, as the upload asks for it.
    // A row was picked since the last upload command; the command uses the pick up.
    bool TakeItemSelected() { return std::exchange(m_localItemSelected, false); }

signals:
    void focused(const QString& which); // "Dir1" or "listview1"
    void listed();                      // the file list was read again

private:
    void fillList();
    void deleteSelectedFiles();
    void deleteCurrentFolder();
    // The entry a row shows; nullptr for a row not read from the disk (a new folder's).
    const LocalEntry* entryOf(const ListItem* row) const;
    std::string folderBytes() const;

    LocalPaneView m_view;
    std::vector<LocalEntry> m_entries;
    std::unordered_map<const ListItem*, std::size_t> m_rowEntries;
    QString m_focusedPart = QStringLiteral("Dir1");
    std::string m_listedFolder; // the folder listed, as the disk's bytes, ending with "/"
    QString m_localDir;         // ends with "/"
    QString m_localDirPath;     // the folder tree's path at the last listing
    std::string m_localDirPathBytes;
    QString m_startLocalDir;
    bool m_localItemSelected = false;
    std::string m_renameOldName; // bytes of the entry being renamed
    QString m_renameOldText;     // as shown
};
