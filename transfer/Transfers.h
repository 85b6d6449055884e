#pragma once
// The transfers: the queue taken from the panes' selections, downloads and uploads chunk by chunk,
// the panel that shows them, Cancel and the two transfer buttons. It reaches the panes and the
// window only through the hooks below, so it runs with its own widgets.

#include "local/LocalEntry.h"
#include "session/RemoteEntry.h"
#include "session/WinInetAPI.h"
#include "transfer/ExistsPolicy.h"
#include "transfer/ExtensionCompare.h"
#include "transfer/TransferQueue.h"

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;
class PictureBox;
class StatusBar;
class LocalFileReader;
class TempFileWriter;
class TransferDisplay;

// The widgets the transfers drive; they belong to the main window.
struct TransferView {
    QWidget* window = nullptr; // pinned to its size while a queue runs
    QRadioButton* optAuto = nullptr;
    QRadioButton* optASCII = nullptr;
    PictureBox* Picture1 = nullptr; // download
    PictureBox* Picture2 = nullptr; // upload
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel *Label5 = nullptr, *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr;
    QLabel *Label12 = nullptr, *Label13 = nullptr, *Label14 = nullptr, *Label15 = nullptr, *Label16 = nullptr;
    QLabel* lbSpeed = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QListWidget* List1 = nullptr; // the queue's names, as the window shows them
    QListWidget* List2 = nullptr; // the queue's sizes
};

// What the transfers need of the two panes.
struct TransferPanes {
    std::function<std::vector<RemoteEntry>()> selectedRemote;
    std::function<std::vector<LocalEntry>()> selectedLocal;
    std::function<std::string()> remoteDir; // the server's current folder, as its bytes
    std::function<std::string()> localDir;  // the local folder, as the disk's bytes
    std::function<void()> refreshRemote, refreshLocal;
    // A row was picked since the last transfer command (the command uses the pick up).
    std::function<bool()> takeRemotePick, takeLocalPick;
    // Opens the session again on the same server and folder after it dropped; true when it did.
    std::function<bool()> reconnect;
};

// What the transfers need of the window: the panel layouts and the pane that had the focus last.
struct TransferWindow {
    std::function<void()> showPanel, hidePanel;
    std::function<void()> skipNextResize;
    std::function<QString()> lastFocus; // "Dir1", "listview1" or "remote"
};

// How a file's transfer ended once its last chunk was moved.
enum class FileEnd { Cancelled, Refused, Complete };

class Transfers : public QObject {
    Q_OBJECT
public:
    Transfers(const TransferView& view, TransferPanes panes, TransferWindow window);
    ~Transfers() override;

    const TransferView& view() const { return m_view; }

    void Picture1_Click();
    void Picture2_Click();
    void cmdCancel_Click();
    void Picture1_MouseMove(int button, int shift, double x, double y);
    void Picture2_MouseMove(int button, int shift, double x, double y);
    void Picture1_MouseUp(int button, int shift, double x, double y);
    void Picture2_MouseUp(int button, int shift, double x, double y);

    // Starts a new queue of these items, fills the hidden lists the window shows and uncovers the
    // panel's controls.
    void BuildTransferQueue(const std::vector<TransferItem>& items);
    // Queues the remote pane's selected files and folders, or the local pane's selected files.
    void BuildDownloadQueue();
    void BuildUploadQueue();
    // Move the queue's items (either direction: each item says its own), reading folders as they come.
    void DownloadQueue();
    void UploadQueue();
    void ShowTransferPanel();
    void HideTransferPanel();
    void PinWindowSize();
    void ReleaseWindowSize();
    void EndTransfer();
    // Stops a running transfer so that nothing of it passes for complete: an upload is aborted on the
    // server, a download's temporary file removed. Every way out of a transfer but its own end comes
    // here (Cancel, Exit, closing the window, Disconnect).
    void AbandonTransfer();
    // Puts the normal images on both transfer buttons.
    void LoadNormalButtonImages();
    // The mode of the option buttons, read when each file is opened.
    TransferMode SelectedTransferMode() const;

    // Entry points of the Transfer menu, drag and drop and the queue view. Paths are whole, as bytes;
    // folders go with everything under them.
    void DownloadEntries(const std::vector<RemoteEntry>& entries, const std::string& remoteDir,
                         const std::string& localDir);
    void UploadPaths(const std::vector<std::string>& localPaths, const std::string& remoteDir);
    // The local folder tree's folder, into the server's current folder.
    void UploadFolder();
    // Runs the failed items of the last queue again.
    void RetryFailed();
    TransferQueue& queue() { return m_queue; }
    void setOptions(const TransferOptions& options) { m_options = options; }
    const TransferOptions& options() const { return m_options; }
    // Answers the "When a file exists: Ask" question; set by the window.
    ExistsAsker askExists;

    bool Running() const { return TransferRunning; }
    // True while a transfer holds the FTP session; with remoteFocusOnly, only when the command
    // would also act on the remote pane (the pane that had the focus last).
    bool SessionBusy(bool remoteFocusOnly = false) const;

signals:
    // A queue started or ended.
    void runningChanged();

public:
    HINTERNET TransferHandle = 0;
    // True when the user confirmed a cancel; the transfer loops test it before each chunk.
    bool CancelRequested = false;

private:
    // How one item ended: Retry after the session was restored; Stop ends the queue (its message, if
    // any, already shown).
    enum class ItemEnd { Done, Skipped, Failed, Retry, Stop };

    // Runs a queue already built: the panel, the items, the closing message, the pane refreshed once.
    void runBuiltQueue(TransferDirection direction);
    // Shows the panel layout that fits the window state, runs the queue, then undoes that layout.
    void RunQueueWithPanel(void (Transfers::*run)());
    void runItems();
    ItemEnd runItem(std::size_t index);
    std::size_t addItem(TransferItem item);
    void showQueueSize();
    void reportFolder(const std::string& folder, const QString& what, const QString& reason);
    // Applies the "When a file exists" setting (asking when it says so); nullopt for Cancel.
    std::optional<ExistsAction> existingAction(const std::string& name, const FileFacts& source,
                                               const FileFacts& target, bool binary);
    // After the session dropped during item index (named name): waits and tries the reconnect hook.
    // Retry when it is back; else the item fails and the queue stops (the message shown, or a cancel).
    ItemEnd restoreSession(std::size_t index, const std::string& name);
    bool sessionDropped() const;
    HINTERNET listingConnection();
    void closeListingConnection();

    // Marks the item failed with its reason and gives end.
    ItemEnd failItem(std::size_t index, const std::string& reason, ItemEnd end = ItemEnd::Failed);
    // The server would not open the file: a dropped session is restored for the file to be taken up
    // again into target; else the refusal is said with its name and reply. A refusal of this file
    // alone lets the queue go on; anything else stops it.
    ItemEnd refuseItem(std::size_t index, const std::string& name, const std::string& target);
    std::vector<TransferItem> downloadItems(const std::vector<RemoteEntry>& entries,
                                            const std::string& remoteDir, const std::string& localDir) const;
    ItemEnd downloadFile(std::size_t index);
    ItemEnd readRemoteFolder(std::size_t index);
    // The chunks of one open download from offset on.
    ItemEnd receiveFile(std::size_t index, const TransferItem& item, TempFileWriter& local,
                        std::int64_t offset, bool binary);
    ItemEnd uploadFile(std::size_t index);
    ItemEnd readLocalFolder(std::size_t index);
    // The folder above this one, among those the queue read, that listed the same children; else
    // none, and this folder's listing is kept for the folders below it.
    std::optional<std::string> folderListedAbove(const std::string& folder,
                                                 const std::vector<TransferItem>& children);
    ItemEnd sendFile(std::size_t index, const TransferItem& item, LocalFileReader& local,
                     std::int64_t offset);
    // The entries of a remote folder, read once per queue (a folder the queue created is known empty).
    struct ListedEntry {
        FileFacts facts;
        bool folder = false;
    };
    const std::map<std::string, ListedEntry>& remoteFolder(const std::string& folder);
    // After the last chunk: a cancel confirmed during that chunk's pump has already closed the handle;
    // otherwise the panel shows the file's final values and the close gives the server's verdict, with
    // the window pumped while it comes (a cancel confirmed meanwhile counts as one).
    // verdictRead: the server's final reply has come already (a download read to its end): the
    // handle is closed at once, without a thread.
    FileEnd CloseTransferFile(TransferDisplay& display, bool verdictRead = false);
    void abandonUpload(LocalFileReader& local, const QString& message);

    TransferView m_view;
    TransferPanes m_panes;
    TransferWindow m_window;
    TransferQueue m_queue;
    TransferOptions m_options;
    bool TransferRunning = false;           // a second transfer command while one runs is ignored
    TempFileWriter* DownloadFile = nullptr; // the file a running download writes, removed on exit

    // State of the running queue.
    TransferDisplay* m_display = nullptr;
    TransferDirection m_direction = TransferDirection::Download;
    std::int64_t m_movedBytes = 0;
    std::int64_t m_bytesBeforeFile = 0;
    int m_fileNumber = 0;
    std::size_t m_reconnectAttempt = 0; // of the current file
    // The current file is taken up again after a drop, into the target it had (a "keep both" name
    // included); the existing target is not weighed again.
    std::optional<std::string> m_retryTarget;
    std::optional<ExistsAction> m_sameForRest;
    HINTERNET m_listing = 0;
    std::map<std::string, std::map<std::string, ListedEntry>> m_remoteFolders;
    // What each remote folder read by this queue listed, by its path: a link back to a folder above
    // lists the same as that folder, and its subtree would repeat without end.
    std::map<std::string, std::size_t> m_folderListings;
};
