#pragma once
// The main window: local machine on the left, remote server on the right, the command column,
// the transfer area and the status bar. Its handlers are grouped by subsystem (see the sources
// named at each group).

#include "app/PanelLayouts.h"
#include "session/WinInetAPI.h"
#include "transfer/ExtensionCompare.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QString>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolBar;
class ListItem;
class DirListBox;
class DriveListBox;
class FileListBox;
class ListView;
class LocalPane;
class PictureBox;
class StatusBar;
class TempFileWriter;
class frmCommands;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // ---- Controls (each widget's object name is its member name) ----
    QWidget* Client = nullptr; // the client area all controls are placed on
    QLabel* Label1 = nullptr;
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    ListView* ListView1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblDirectory = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    ListView* lstRemoteFiles = nullptr;
    QPushButton* cmdMakeDir = nullptr;
    QToolBar* Toolbar1 = nullptr; // Connect
    QToolBar* Toolbar5 = nullptr; // Disconnect, under Toolbar1
    QToolBar* Toolbar3 = nullptr; // Delete
    QToolBar* Toolbar4 = nullptr; // Rename
    QToolBar* Toolbar2 = nullptr; // Refresh
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optAuto = nullptr;
    QRadioButton* optASCII = nullptr;
    QRadioButton* optBinary = nullptr;
    PictureBox* Picture1 = nullptr; // download
    PictureBox* Picture2 = nullptr; // upload
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* lbSpeed = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QListWidget* List1 = nullptr;  // transfer queue: names
    QListWidget* List2 = nullptr;  // transfer queue: sizes
    QListWidget* List3 = nullptr;  // remote folder names of one listing
    ListView* ListView2 = nullptr; // remote file rows of one listing, sorted
    FileListBox* File1 = nullptr;
    QLineEdit* Text1 = nullptr; // focus target outside the visible client area
    QTimer* StatusClock = nullptr;

    // Image lists: toolbar images (normal, hot) and the 19 small icons of both file lists.
    QList<QIcon> ImageList2;
    QList<QIcon> ImageList3;
    QList<QIcon> ImageList6;

    // Menus.
    QMenu* mnuFile = nullptr;
    QAction* mnuConnect = nullptr;
    QAction* mnuDisconnect = nullptr;
    QAction* mnuCommandLine = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuContents = nullptr;
    QAction* mnuAbout = nullptr;
    QMenu* mnuLocal = nullptr; // pop-up menu of both file lists
    QAction* mnuLocalDelete = nullptr;
    QAction* mnuLocalLine = nullptr;
    QAction* mnuLocalNewFolder = nullptr;
    QAction* mnuLocalRefresh = nullptr;
    QAction* mnuLocalRename = nullptr;

    // The command window that owns the command line's socket and transcript.
    frmCommands* Commands = nullptr;

    // ---- Form-level state ----
    QString LastFocus = QStringLiteral("Dir1"); // "Dir1", "listview1" or "remote"
    QString RemoteCurrentDir;                   // ends with "/" when known
    bool RemoteItemSelected = false;
    bool CreatingRemoteFolder = false;
    QString RenameOldName;
    QString RenameNewName;
    HINTERNET TransferHandle = 0;
    bool TransferRunning = false;           // a second transfer command while one runs is ignored
    TempFileWriter* DownloadFile = nullptr; // the file a running download writes, removed on exit
    bool SkipNextResize = false;
    double NormalHeight = 0; // twips
    int TwipsPerPixelX = 15;
    int TwipsPerPixelY = 15;
    double PanelHeight = 0;
    double RemoteHeightFactor = 0;
    double Toolbar1Shift = 0;
    double RemoteListGain = 0;
    double LocalListGain = 0;

    // Window size and place in twips (the outer frame, as the layouts reckon).
    double FormLeft() const;
    double FormTop() const;
    double FormWidth() const;
    double FormHeight() const;
    void SetFormWidth(double twips);
    void SetFormHeight(double twips);
    void MoveForm(double leftTwips, double topTwips);

    // ---- Main window lifecycle (app/frmMain.cpp) ----
    void Form_Load();
    void mnuExit_Click();
    void mnuConnect_Click();
    void Toolbar1_ButtonClick();
    void Toolbar2_ButtonClick();
    void Toolbar5_ButtonClick();
    void RefreshBothPanes();
    void mnuContents_Click();
    void mnuAbout_Click();
    void mnuCommandLine_Click();
    // True while a transfer holds the FTP session; with remoteFocusOnly, only when the command
    // would also act on the remote pane (the pane that had the focus last).
    bool SessionBusy(bool remoteFocusOnly = false) const;
    // Ends the program; tests replace it so that the test process lives on.
    static void SetEndProcess(void (*endProcess)());
    // Before leaving while a transfer runs, asks whether to stop it; true when the program may go
    // (asked once: Exit and the close that follows it do not ask twice).
    bool ConfirmLeaving();
    bool LeavingConfirmed = false;

    // ---- FTP session and remote pane (session/RemotePane.cpp) ----
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

    // ---- Local pane (local/LocalPane.h); the commands of both panes go to the one focused last ----
    LocalPane& local() { return *m_local; }
    void mnuLocalDelete_Click();
    void mnuLocalNewFolder_Click();
    void mnuLocalRename_Click();
    void Toolbar4_ButtonClick();
    void Toolbar3_ButtonClick();
    void DeleteSelection(); // local/DeleteCommand.cpp
    // What the transfer code still reads of the local pane by these names, kept in step with it.
    void Dir1_Change();
    QString LocalDir; // ends with "/"
    bool LocalItemSelected = false;
    QString SelectedLocalName;

    // ---- Download, upload, panel and buttons (transfer/*.cpp) ----
    void Picture1_Click();
    void BuildTransferQueue(ListView* list);
    void DownloadQueue();
    void Picture2_Click();
    void UploadQueue();
    void ShowTransferPanel();
    void HideTransferPanel();
    void PinWindowSize();
    void ReleaseWindowSize();
    void EndTransfer();
    void cmdCancel_Click();
    // Stops a running transfer so that nothing of it passes for complete: an upload is aborted on the
    // server, a download's temporary file removed. Every way out of a transfer but its own end comes
    // here (Cancel, Exit, closing the window, Disconnect).
    void AbandonTransfer();
    void Picture1_MouseMove(int button, int shift, double x, double y);
    void Picture2_MouseMove(int button, int shift, double x, double y);
    void Picture1_MouseUp(int button, int shift, double x, double y);
    void Picture2_MouseUp(int button, int shift, double x, double y);
    // The mode of the option buttons, read when each file is opened.
    TransferMode SelectedTransferMode() const;
    // Starts a queue: a stale cancel is forgotten and the size pinned. Returns the queue's names and
    // sizes, copied (the cancel command empties the lists mid-transfer), and its total.
    QList<QPair<QString, std::int64_t>> BeginQueue(std::int64_t& total);
    // Shows the panel layout that fits the window state, runs the queue, then undoes that layout.
    void RunQueueWithPanel(void (frmMain::*queue)());
    // Puts the normal images on both transfer buttons.
    void LoadNormalButtonImages();
    // True when the user confirmed a cancel; the transfer loops test it before each chunk.
    bool CancelRequested = false;

    // ---- Resizing and layouts (app/Layouts.cpp) ----
    void Form_Resize();
    void ShowPanelNormal();
    void HidePanelNormal();
    void ShowPanelMaximized();
    void HidePanelMaximized();
    // Set once the sizer has taken this window's size as its base.
    bool SizerReady = false;
    double LoadRemoteHeight = 0; // lstRemoteFiles' height at start-up, twips
    // What the maximised panel layout took from the lists, and the panel's places before it.
    PanelLayoutState PanelLayout;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    LocalPane* m_local = nullptr;
    void createControls();
    void createMenus();
    void connectHandlers();
    void Form_QueryUnload();
};
