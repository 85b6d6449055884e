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
    std::function<bool()> sessionLost;
    // A row was picked since the last transfer command (the command uses the pick up).
    std::function<bool()> takeRemotePick, takeLocalPick;
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

    // Queues the selected files of one pane (the remote pane's folders left out), fills the hidden
    // lists the window shows and uncovers the panel's controls.
    void BuildTransferQueue(const std::vector<QueuedFile>& files);
    void BuildDownloadQueue();
    void BuildUploadQueue();
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

    HINTERNET TransferHandle = 0;
    // True when the user confirmed a cancel; the transfer loops test it before each chunk.
    bool CancelRequested = false;

private:
    enum class FileStep { Go, Skip, Stop };

    // Starts a queue: a stale cancel is forgotten and the size pinned. Returns the queue's files,
    // copied (the cancel command empties the queue mid-transfer), and its total.
    std::vector<QueuedFile> BeginQueue(std::int64_t& total);
    // Shows the panel layout that fits the window state, runs the queue, then undoes that layout.
    void RunQueueWithPanel(void (Transfers::*run)());
    FileStep openDownload(const QueuedFile& file, const std::string& localDir, TempFileWriter& local);
    // The chunks of one open download; false when the queue has ended.
    bool receiveFile(TempFileWriter& local, TransferDisplay& display, std::int64_t& received);
    bool sendFile(const QueuedFile& file, const std::string& localDir, TransferDisplay& display,
                  std::int64_t& sent);
    // After the last chunk: a cancel confirmed during that chunk's pump has already closed the handle;
    // otherwise the panel shows the file's final values and the close gives the server's verdict, with
    // the window pumped while it comes (a cancel confirmed meanwhile counts as one).
    FileEnd CloseTransferFile(TransferDisplay& display);
    void reportDownloadError();
    void abandonUpload(LocalFileReader& local, const QString& message);

    TransferView m_view;
    TransferPanes m_panes;
    TransferWindow m_window;
    TransferQueue m_queue;
    TransferOptions m_options;
    bool TransferRunning = false;           // a second transfer command while one runs is ignored
    TempFileWriter* DownloadFile = nullptr; // the file a running download writes, removed on exit
};
