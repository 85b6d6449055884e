#pragma once
// The main window: local machine on the left, remote server on the right, the command column,
// the transfer area and the status bar. Its handlers are grouped by subsystem (see the sources
// named at each group).

#include "app/PanelLayouts.h"
#include "session/RemoteEntry.h"
#include "session/WinInetAPI.h"
#include "transfer/ExistsPolicy.h"
#include "transfer/ExtensionCompare.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
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
class PaneDragDrop;
class PictureBox;
class QueueView;
class RemotePane;
class StatusBar;
class Transfers;
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
    QListWidget* List1 = nullptr; // transfer queue: names
    QListWidget* List2 = nullptr; // transfer queue: sizes
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
    QMenu* mnuTransfer = nullptr;
    QAction* mnuUploadFolder = nullptr;
    QAction* mnuQueue = nullptr;
    QAction* mnuTransferLine = nullptr;
    QMenu* mnuWhenExists = nullptr; // exclusive choices, in the order of WhenExists
    QActionGroup* WhenExistsChoices = nullptr;
    QAction* mnuExistsReplace = nullptr;
    QAction* mnuExistsAsk = nullptr;
    QAction* mnuExistsNewer = nullptr;
    QAction* mnuExistsResume = nullptr;
    QAction* mnuExistsSkip = nullptr;
    QAction* mnuKeepTimes = nullptr;
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
    bool SkipNextResize = false;
    double NormalHeight = 0; // twips
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
    // Ends the program; tests replace it so that the test process lives on.
    static void SetEndProcess(void (*endProcess)());
    // Before leaving while a transfer runs, asks whether to stop it; true when the program may go
    // (asked once: Exit and the close that follows it do not ask twice).
    bool ConfirmLeaving();
    bool LeavingConfirmed = false;

    // ---- FTP session and remote pane (session/RemotePane.cpp) ----
    RemotePane& remote() { return *m_remote; }

    // ---- Local pane (local/LocalPane.h); the commands of both panes go to the one focused last ----
    LocalPane& local() { return *m_local; }
    void mnuLocalDelete_Click();
    void mnuLocalNewFolder_Click();
    void mnuLocalRename_Click();
    void Toolbar4_ButtonClick();
    void Toolbar3_ButtonClick();
    void DeleteSelection();

    // ---- Download, upload, panel and buttons (transfer/Transfers.h) ----
    Transfers& transfers() { return *m_transfers; }
    // The transfers' entry points as the window's menus, buttons and drops call them; tests put
    // recorders in their place.
    struct TransferCommands {
        std::function<void(const std::vector<RemoteEntry>& entries, const std::string& remoteDir,
                           const std::string& localDir)>
            downloadEntries;
        std::function<void(const std::vector<std::string>& localPaths, const std::string& remoteDir)>
            uploadPaths;
        std::function<void()> uploadFolder;
        std::function<void()> retryFailed;
    };
    TransferCommands TransferCalls;
    // The upload button: with the folder tree focused last, the tree's folder goes up whole.
    void Picture2_Click();

    // ---- Transfer menu (app/frmMain.cpp); its settings live in Transfer.ini beside Profile.ini ----
    void mnuUploadFolder_Click();
    // Opens the queue's window, made once and kept.
    void mnuQueue_Click();
    QueueView* Queue = nullptr;
    void SetWhenExists(WhenExists setting);
    void SetKeepTimes(bool keep);
    static QString TransferSettingsPath();

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
    // The panel layout shown for the running transfer: the one undone is the one that was shown.
    bool PanelShownMaximized = false;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<RemotePane> m_remote;
    LocalPane* m_local = nullptr;

    // app/Controls.cpp
    void createControls();
    void createCommandColumn();
    void createTransferPanel();
    void createStatusBar();
    void createMenus();
    void connectHandlers();
    void Form_QueryUnload();
    void createTransfers();
    void createTransferMenu();
    void loadTransferSettings();
    void saveTransferSettings();

    std::unique_ptr<Transfers> m_transfers;
    std::unique_ptr<PaneDragDrop> m_dragDrop;
};
