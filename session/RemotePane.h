#pragma once
// The remote pane: the FTP session's start and end, the server's current folder listed as entries,
// and what is done to them there (open, rename, new folder, delete).

#include "session/RemoteEntry.h"

#include <QObject>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class ListItem;
class ListView;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;
class QWidget;
class StatusBar;
class frmCommands;

// The widgets the pane works through; the window builds them and hands them in.
struct RemotePaneView {
    ListView* list = nullptr;        // the listing
    QLabel* directory = nullptr;     // the current folder's path
    StatusBar* statusBar = nullptr;  // panel 1 the session, panel 2 the command line
    QToolBar* connectBar = nullptr;  // offered while there is no session
    QWidget* focusAway = nullptr;    // takes the focus after a failed command
    QMenu* popup = nullptr;          // the right-click menu
    frmCommands* commands = nullptr; // owns the command line's socket
};

class RemotePane : public QObject {
    Q_OBJECT
public:
    explicit RemotePane(const RemotePaneView& view, QObject* parent = nullptr);

    // At start-up: no session, nothing listed.
    void Load();
    void ConnectToServer();
    // Lists the server's current folder afresh.
    void ListRemoteFiles();
    // Closes the session and its command line and puts the pane into its one not-connected state:
    // Connect shown, the status panels saying so, no listing.
    void EndSession();
    // When the session's server connection has gone (closed, reset, timed out): reconnects once and
    // returns false; when that fails, says so, ends the session and returns true. False while it
    // lives, and when there is no session.
    bool SessionLost();
    // A new connection to the session's server with the same login, protocol and TLS decisions, in
    // the folder that was current; the old one is closed. False leaves the pane as it was. Never
    // shows a message.
    bool Reconnect();

    // The server's current folder ending with "/" when known, else "" (shown, and as its bytes).
    QString CurrentDir() const;
    const std::string& CurrentDirBytes() const { return m_currentDir; }
    // The selected rows' entries, folders included, never the parent row.
    std::vector<RemoteEntry> SelectedEntries() const;
    // True once after a row was clicked (a download needs one).
    bool TakeItemSelected();
    // Deletes the selected files, or the selected folder, after asking.
    void DeleteSelection();

    // Handlers of the pane's controls.
    void mnuDisconnect_Click();
    void lstRemoteFiles_GotFocus();
    void lstRemoteFiles_Click();
    void lstRemoteFiles_ItemClick(ListItem* item);
    void lstRemoteFiles_DblClick();
    void lstRemoteFiles_ColumnClick(int column);
    void lstRemoteFiles_MouseDown(int button, int shift, double x, double y);
    void lstRemoteFiles_AfterLabelEdit(bool& cancel, QString& newText);
    void cmdMakeDir_Click();
    void BeginRemoteRename();
    void NavigateRemoteUp();

    // Set by the window: a transfer holds the session; stops a running transfer.
    std::function<bool()> isBusy;
    std::function<void()> abandonTransfer;

signals:
    void focused();

private:
    // Runs a step of a command on the session; when the connection went during it, reconnects once
    // and runs it again. True when it succeeded.
    bool OnSession(const std::function<bool()>& step);
    // Reconnect(), unless the failure at hand has already had its one attempt.
    bool ReconnectOnce();
    // Panel 1 says the session is connected (and protected); the keep-alive starts.
    void ShowConnected();
    void KeepAlive();
    // After a command the server refused: when the session has gone, ends it as SessionLost does and
    // returns false; otherwise shows text with the server's reply on a line of its own, returns true.
    bool ReportRefusal(const QString& text, int style, const QString& title);
    // True when the pane knows the server's current folder; otherwise says that it does not.
    bool RemoteFolderKnown() const;
    struct ListedFile; // a file of a listing with the text it is shown and sorted by
    void FillRemoteList(bool parentRow, std::vector<RemoteEntry> folders, std::vector<ListedFile> files);
    // Tells in the status bar that a listing was cut at its limits, and takes that note away again at
    // the next listing shown whole.
    void ShowListingLimit(std::size_t shown, bool cut);
    void OpenCommandChannel();
    // Opens folder (relative, or an absolute path) and lists it; a refusal leaves the pane where it was.
    void openRemoteFolder(const std::string& folder);
    void renameSelected(bool& cancel, const QString& newText);
    void createFolder(const QString& name);
    void deleteFolder(const RemoteEntry& folder);
    void deleteFiles(const std::vector<RemoteEntry>& files);
    void clearList();
    // The entry a row shows; nullptr for the parent row and rows of no entry.
    const RemoteEntry* entryOf(const ListItem* row) const;
    // Another entry of the listing has this name (the one being renamed aside).
    bool nameTaken(const RemoteEntry* renamed, const std::string& name) const;
    void reportNoConnection();

    RemotePaneView m_view;
    std::vector<RemoteEntry> m_entries; // in the order listed
    // Each row's entry, by the row's address: the list may be sorted, rows keep their addresses.
    std::vector<std::pair<const ListItem*, std::size_t>> m_rowEntries;
    void addRowEntry(const ListItem* row, std::size_t entry);
    std::string m_currentDir; // ends with "/" when known
    bool m_itemSelected = false;
    QString m_selectedFolder; // "/" + name + "/" when the last clicked row is a folder
    bool m_creatingFolder = false;
    std::string m_renameOldName;
    QTimer* m_keepAlive;
    bool m_reconnectSpent = false;
};
