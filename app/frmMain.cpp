#include "app/frmMain.h"

#include "app/PaneDragDrop.h"
#include "commandline/frmCommands.h"
#include "help/CHelp.h"
#include "help/frmAbout.h"
#include "local/LocalPane.h"
#include "profiles/TransferSettings.h"
#include "profiles/frmConnect.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "toolkit/DirListBox.h"
#include "toolkit/DriveListBox.h"
#include "toolkit/FileListBox.h"
#include "toolkit/Images.h"
#include "toolkit/ListView.h"
#include "toolkit/PictureBox.h"
#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"
#include "transfer/ExtensionCompare.h"
#include "transfer/QueueView.h"
#include "transfer/TransferQueue.h"
#include "transfer/Transfers.h"
#include "transfer/frmFileExists.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

namespace {

void (*g_endProcess)() = [] { std::_Exit(0); };

// However long a server takes to answer the abort and the goodbye, the program is gone this soon
// after the user chose to leave.
constexpr auto LeaveDeadline = std::chrono::seconds(3);

void armLeaveDeadline() {
    std::thread([end = g_endProcess] {
        std::this_thread::sleep_for(LeaveDeadline);
        end();
    }).detach();
}

// Design size of the client area, in twips.
constexpr double DesignClientWidth = 7590;
constexpr double DesignClientHeight = 5835;

const char* const ToolbarImageNames[] = {"connect", "disconnect", "delete", "rename", "refresh"};

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral(" Tovo FTP"));
    setWindowIcon(Images::WindowIcon());
    for (const char* name : ToolbarImageNames) {
        ImageList2.append(Images::ToolbarImage(QString::fromLatin1(name)));
        ImageList3.append(Images::ToolbarHotImage(QString::fromLatin1(name)));
    }
    ImageList6 = Images::SmallIcons();
    createControls();
    createMenus();
    m_local = new LocalPane({Drive1, Dir1, ListView1, mnuLocal}, this);
    Commands = new frmCommands();
    m_remote = std::make_unique<RemotePane>(
        RemotePaneView{lstRemoteFiles, lblDirectory, StatusBar1, Toolbar1, Text1, mnuLocal, Commands});
    createTransfers();
    loadTransferSettings();
    m_dragDrop = std::make_unique<PaneDragDrop>(*this);
    connectHandlers();
    m_transfers->LoadNormalButtonImages();
    Client->resize(PixelsX(DesignClientWidth), PixelsY(DesignClientHeight));
    resize(PixelsX(DesignClientWidth), PixelsY(DesignClientHeight) + menuBar()->sizeHint().height());
}

frmMain::~frmMain() {
    // Tearing the controls down can still end an open label edit; no handler may run on a form
    // that is half destroyed.
    for (QObject* control : findChildren<QObject*>())
        QObject::disconnect(control, nullptr, this, nullptr);
    delete Commands;
    // Before the transfers go: the queue window gives the queue its change hook back.
    delete Queue;
}

void frmMain::connectHandlers() {
    // The one gate of the commands that use the FTP session: while a transfer holds it they do
    // nothing. Rename, New Folder, Delete and the pop-up's Refresh go through it only when they
    // would act on the remote pane; the local pane stays usable.
    const auto unlessBusy = [this](void (frmMain::*handler)(), bool remoteFocusOnly = false) {
        return [this, handler, remoteFocusOnly] {
            if (!m_transfers->SessionBusy(remoteFocusOnly))
                (this->*handler)();
        };
    };
    connect(mnuConnect, &QAction::triggered, this, unlessBusy(&frmMain::mnuConnect_Click));
    connect(mnuCommandLine, &QAction::triggered, this, &frmMain::mnuCommandLine_Click);
    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
    connect(mnuContents, &QAction::triggered, this, &frmMain::mnuContents_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(mnuLocalDelete, &QAction::triggered, this, unlessBusy(&frmMain::mnuLocalDelete_Click, true));
    connect(mnuLocalNewFolder, &QAction::triggered, this,
            unlessBusy(&frmMain::mnuLocalNewFolder_Click, true));
    connect(mnuLocalRefresh, &QAction::triggered, this, unlessBusy(&frmMain::RefreshBothPanes));
    connect(mnuLocalRename, &QAction::triggered, this, unlessBusy(&frmMain::mnuLocalRename_Click, true));

    connect(Toolbar1, &QToolBar::actionTriggered, this, unlessBusy(&frmMain::Toolbar1_ButtonClick));
    connect(Toolbar2, &QToolBar::actionTriggered, this, unlessBusy(&frmMain::Toolbar2_ButtonClick));
    connect(Toolbar3, &QToolBar::actionTriggered, this, unlessBusy(&frmMain::Toolbar3_ButtonClick, true));
    connect(Toolbar4, &QToolBar::actionTriggered, this, unlessBusy(&frmMain::Toolbar4_ButtonClick, true));
    connect(Toolbar5, &QToolBar::actionTriggered, this, unlessBusy(&frmMain::Toolbar5_ButtonClick));

    // The remote pane's handlers: connected with the pane as context, so none runs once it is gone.
    RemotePane* remotePane = m_remote.get();
    remotePane->isBusy = [this] { return m_transfers->SessionBusy(); };
    remotePane->abandonTransfer = [this] { m_transfers->AbandonTransfer(); };
    const auto remoteUnlessBusy = [this, remotePane](void (RemotePane::*handler)()) {
        return [this, remotePane, handler] {
            if (!m_transfers->SessionBusy())
                (remotePane->*handler)();
        };
    };
    connect(remotePane, &RemotePane::focused, this, [this] { LastFocus = QStringLiteral("remote"); });
    connect(mnuDisconnect, &QAction::triggered, remotePane,
            remoteUnlessBusy(&RemotePane::mnuDisconnect_Click));
    connect(lstRemoteFiles, &ListView::GotFocus, remotePane, &RemotePane::lstRemoteFiles_GotFocus);
    connect(lstRemoteFiles, &ListView::Click, remotePane, &RemotePane::lstRemoteFiles_Click);
    connect(lstRemoteFiles, &ListView::ItemClick, remotePane, &RemotePane::lstRemoteFiles_ItemClick);
    connect(lstRemoteFiles, &ListView::DblClick, remotePane,
            remoteUnlessBusy(&RemotePane::lstRemoteFiles_DblClick));
    connect(lstRemoteFiles, &ListView::ColumnClick, remotePane, &RemotePane::lstRemoteFiles_ColumnClick);
    connect(lstRemoteFiles, &ListView::MouseDown, remotePane, &RemotePane::lstRemoteFiles_MouseDown);
    connect(lstRemoteFiles, &ListView::AfterLabelEdit, remotePane,
            &RemotePane::lstRemoteFiles_AfterLabelEdit);
    connect(cmdMakeDir, &QPushButton::clicked, remotePane, remoteUnlessBusy(&RemotePane::cmdMakeDir_Click));

    LocalPane* local = m_local;
    connect(Dir1, &DirListBox::Change, local, &LocalPane::Dir1_Change);
    connect(Dir1, &DirListBox::GotFocus, local, &LocalPane::Dir1_GotFocus);
    connect(Drive1, &DriveListBox::Change, local, &LocalPane::Drive1_Change);
    connect(ListView1, &ListView::GotFocus, local, &LocalPane::ListView1_GotFocus);
    connect(ListView1, &ListView::Click, local, &LocalPane::ListView1_Click);
    connect(ListView1, &ListView::ItemClick, local, &LocalPane::ListView1_ItemClick);
    connect(ListView1, &ListView::ColumnClick, local, &LocalPane::ListView1_ColumnClick);
    connect(ListView1, &ListView::MouseDown, local, &LocalPane::ListView1_MouseDown);
    connect(ListView1, &ListView::AfterLabelEdit, local, &LocalPane::ListView1_AfterLabelEdit);
    connect(local, &LocalPane::focused, this, [this](const QString& which) { LastFocus = which; });

    Transfers* transfer = m_transfers.get();
    connect(Picture1, &PictureBox::Click, transfer, &Transfers::Picture1_Click);
    connect(Picture2, &PictureBox::Click, this, &frmMain::Picture2_Click);
    connect(Picture1, &PictureBox::MouseMove, transfer, &Transfers::Picture1_MouseMove);
    connect(Picture2, &PictureBox::MouseMove, transfer, &Transfers::Picture2_MouseMove);
    connect(Picture1, &PictureBox::MouseUp, transfer, &Transfers::Picture1_MouseUp);
    connect(Picture2, &PictureBox::MouseUp, transfer, &Transfers::Picture2_MouseUp);
    connect(cmdCancel, &QPushButton::clicked, transfer, &Transfers::cmdCancel_Click);

    connect(mnuUploadFolder, &QAction::triggered, this, unlessBusy(&frmMain::mnuUploadFolder_Click));
    connect(mnuQueue, &QAction::triggered, this, &frmMain::mnuQueue_Click);
    connect(WhenExistsChoices, &QActionGroup::triggered, this,
            [this](QAction* choice) { SetWhenExists(static_cast<WhenExists>(choice->data().toInt())); });
    connect(mnuKeepTimes, &QAction::triggered, this, &frmMain::SetKeepTimes);
}

void frmMain::createTransfers() {
    const TransferView view{.window = this,
                            .optAuto = optAuto,
                            .optASCII = optASCII,
                            .Picture1 = Picture1,
                            .Picture2 = Picture2,
                            .ProgressBar1 = ProgressBar1,
                            .ProgressBar2 = ProgressBar2,
                            .cmdCancel = cmdCancel,
                            .Label5 = Label5,
                            .Label8 = Label8,
                            .Label9 = Label9,
                            .Label10 = Label10,
                            .Label11 = Label11,
                            .Label12 = Label12,
                            .Label13 = Label13,
                            .Label14 = Label14,
                            .Label15 = Label15,
                            .Label16 = Label16,
                            .lbSpeed = lbSpeed,
                            .StatusBar1 = StatusBar1,
                            .List1 = List1,
                            .List2 = List2};
    TransferPanes panes;
    panes.selectedRemote = [this] { return m_remote->SelectedEntries(); };
    panes.selectedLocal = [this] { return m_local->SelectedEntries(); };
    panes.remoteDir = [this] { return m_remote->CurrentDirBytes(); };
    panes.localDir = [this] { return m_local->CurrentDirBytes(); };
    panes.refreshRemote = [this] { m_remote->ListRemoteFiles(); };
    panes.refreshLocal = [this] { m_local->Dir1_Change(); };
    panes.reconnect = [this] { return m_remote->Reconnect(); };
    panes.takeRemotePick = [this] { return m_remote->TakeItemSelected(); };
    panes.takeLocalPick = [this] { return m_local->TakeItemSelected(); };
    TransferWindow window;
    window.showPanel = [this] {
        // The state is read once: the layout undone is the one that was shown.
        PanelShownMaximized = isMaximized();
        PanelShownMaximized ? ShowPanelMaximized() : ShowPanelNormal();
    };
    window.hidePanel = [this] { PanelShownMaximized ? HidePanelMaximized() : HidePanelNormal(); };
    window.skipNextResize = [this] { SkipNextResize = true; };
    window.lastFocus = [this] { return LastFocus; };
    m_transfers = std::make_unique<Transfers>(view, std::move(panes), std::move(window));
    m_transfers->askExists = [this](const ExistsQuestion& question) {
        return frmFileExists::Ask(question, this);
    };

    Transfers* transfers = m_transfers.get();
    TransferCalls.downloadEntries = [transfers](const std::vector<RemoteEntry>& entries,
                                                const std::string& remoteDir, const std::string& localDir) {
        transfers->DownloadEntries(entries, remoteDir, localDir);
    };
    TransferCalls.uploadPaths = [transfers](const std::vector<std::string>& paths,
                                            const std::string& remoteDir) {
        transfers->UploadPaths(paths, remoteDir);
    };
    TransferCalls.uploadFolder = [transfers] { transfers->UploadFolder(); };
    TransferCalls.retryFailed = [transfers] { transfers->RetryFailed(); };
}

void frmMain::Picture2_Click() {
    if (LastFocus != QStringLiteral("Dir1")) {
        m_transfers->Picture2_Click();
        return;
    }
    if (!m_transfers->Running())
        TransferCalls.uploadFolder();
}

void frmMain::mnuUploadFolder_Click() {
    TransferCalls.uploadFolder();
}

void frmMain::mnuQueue_Click() {
    if (!Queue) {
        Queue = new QueueView(
            m_transfers->queue(), [this] { TransferCalls.retryFailed(); },
            [this] { return m_transfers->Running(); }, this);
        connect(m_transfers.get(), &Transfers::runningChanged, Queue, &QueueView::UpdateRetryButton);
        // Over the main window, wherever that is: a desktop without a window manager would put it at 0,0.
        Queue->move(geometry().center() - Queue->rect().center());
    }
    Queue->show();
    Queue->raise();
    Queue->activateWindow();
}

QString frmMain::TransferSettingsPath() {
    return ProfileFolder() + QStringLiteral("/Transfer.ini");
}

void frmMain::loadTransferSettings() {
    const TransferOptions options =
        ReadTransferSettings(QFile::encodeName(TransferSettingsPath()).toStdString());
    m_transfers->setOptions(options);
    for (QAction* choice : WhenExistsChoices->actions())
        choice->setChecked(static_cast<WhenExists>(choice->data().toInt()) == options.whenExists);
    mnuKeepTimes->setChecked(options.keepTimes);
}

void frmMain::saveTransferSettings() {
    std::string reason;
    if (!WriteTransferSettings(QFile::encodeName(TransferSettingsPath()).toStdString(),
                               m_transfers->options(), &reason))
        MsgBox(QStringLiteral("The transfer settings cannot be saved in %1.\n%2")
                   .arg(TransferSettingsPath(), QString::fromLocal8Bit(reason)),
               vbOKOnly | vbExclamation);
}

void frmMain::SetWhenExists(WhenExists setting) {
    TransferOptions options = m_transfers->options();
    options.whenExists = setting;
    m_transfers->setOptions(options);
    for (QAction* choice : WhenExistsChoices->actions())
        choice->setChecked(static_cast<WhenExists>(choice->data().toInt()) == setting);
    saveTransferSettings();
}

void frmMain::SetKeepTimes(bool keep) {
    TransferOptions options = m_transfers->options();
    options.keepTimes = keep;
    m_transfers->setOptions(options);
    mnuKeepTimes->setChecked(keep);
    saveTransferSettings();
}

double frmMain::FormLeft() const {
    return TwipsX(frameGeometry().left());
}
double frmMain::FormTop() const {
    return TwipsY(frameGeometry().top());
}
double frmMain::FormWidth() const {
    return TwipsX(frameGeometry().width());
}
double frmMain::FormHeight() const {
    return TwipsY(frameGeometry().height());
}

void frmMain::SetFormWidth(double twips) {
    const int frame = frameGeometry().width() - width();
    resize(PixelsX(twips) - frame, height());
}

void frmMain::SetFormHeight(double twips) {
    const int frame = frameGeometry().height() - height();
    resize(width(), PixelsY(twips) - frame);
}

void frmMain::MoveForm(double leftTwips, double topTwips) {
    move(PixelsX(leftTwips), PixelsY(topTwips));
}

void frmMain::SetEndProcess(void (*endProcess)()) {
    g_endProcess = endProcess;
}

void frmMain::Form_Load() {
    // Whole twips first, then halved with the fraction dropped.
    MoveForm(static_cast<long long>(ScreenWidth() - FormWidth()) / 2,
             static_cast<long long>(ScreenHeight() - FormHeight()) / 2);
    NormalHeight = FormHeight();
    m_remote->Load();
    lstRemoteFiles->SetSmallIcons(ImageList6);
    ListView1->ClearRows();
    ListView1->SetSmallIcons(ImageList6);
    Dir1->SetPath(Drive1->Drive());
    const QRect directory = lblDirectory->geometry();
    Line1->setGeometry(Line1->x(), Line1->y(), directory.x() + directory.width() - Line1->x(),
                       Line1->height());
    CurrentTransferType = 1;
    m_local->SetStartLocalDir(Dir1->Path());
    SkipNextResize = false;
    if (ScreenWidth() == 9600 && ScreenHeight() == 7200)
        MsgBox(QStringLiteral("Tovo FTP Suggests a Minumum\r\nScreen Resolution of 800 x 600."),
               vbOKOnly | vbInformation, QStringLiteral("Tovo FTP"));
    LastFocus = QStringLiteral("Dir1");
    StatusClock->start();
    show();
    // The splash sits on the shown window until its timer or a click closes it.
    frmAbout splash;
    ShowModal(&splash);
}

void frmMain::mnuConnect_Click() {
    frmConnect dialog([this] { m_remote->ConnectToServer(); });
    ShowModal(&dialog);
}

void frmMain::Toolbar1_ButtonClick() {
    mnuConnect_Click();
}

void frmMain::Toolbar5_ButtonClick() {
    m_remote->mnuDisconnect_Click();
}

void frmMain::Toolbar2_ButtonClick() {
    RefreshBothPanes();
}

void frmMain::RefreshBothPanes() {
    m_local->mnuLocalRefresh_Click();
    m_remote->ListRemoteFiles();
    lstRemoteFiles->Refresh();
}

bool frmMain::ConfirmLeaving() {
    if (!m_transfers->Running() || LeavingConfirmed)
        return true;
    LeavingConfirmed = MsgBox(QStringLiteral("A file transfer is running. Stop it and exit?"),
                              vbYesNo | vbQuestion, QStringLiteral("Exit")) == vbYes;
    return LeavingConfirmed;
}

void frmMain::mnuExit_Click() {
    if (!ConfirmLeaving())
        return;
    // Before the handles close: closing the session would end an upload in order.
    m_transfers->AbandonTransfer();
    InternetCloseHandle(FtpSession.hInternet);
    InternetCloseHandle(FtpSession.hConnect);
    StatusBar1->SetPanelText(1, QStringLiteral("Status:  No Connection"));
    Commands->hide();
    close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!ConfirmLeaving()) {
        event->ignore();
        return;
    }
    event->accept();
    Form_QueryUnload();
}

void frmMain::Form_QueryUnload() {
    // A transfer is stopped first: the process ends before any destructor could remove a download's
    // temporary file, and closing the session would end an upload in order.
    m_transfers->AbandonTransfer();
    armLeaveDeadline();
    InternetCloseHandle(FtpSession.hInternet);
    InternetCloseHandle(FtpSession.hConnect);
    Commands->SockCMD.Disconnect();
    g_endProcess();
}

void frmMain::mnuContents_Click() {
    CHelp().Show(CHelp::HelpFilePath());
}

void frmMain::mnuAbout_Click() {
    // Not modal and without an owner; it stays until clicked.
    auto* about = new frmAbout();
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->Timer1->stop();
    about->show();
}

void frmMain::mnuCommandLine_Click() {
    Commands->show();
    Commands->raise();
}

void frmMain::Toolbar3_ButtonClick() {
    DeleteSelection();
}

void frmMain::mnuLocalDelete_Click() {
    DeleteSelection();
}

void frmMain::mnuLocalNewFolder_Click() {
    if (LastFocus == QStringLiteral("remote"))
        m_remote->cmdMakeDir_Click();
    else
        m_local->mnuLocalNewFolder_Click();
}

void frmMain::mnuLocalRename_Click() {
    if (LastFocus == QStringLiteral("remote"))
        m_remote->BeginRemoteRename();
    else
        m_local->BeginLocalRename();
}

void frmMain::Toolbar4_ButtonClick() {
    if (LastFocus == QStringLiteral("listview1"))
        m_local->BeginLocalRename();
    else if (LastFocus == QStringLiteral("remote"))
        m_remote->BeginRemoteRename();
    else
        MsgBox(QStringLiteral("You must select a file!"), vbOKOnly | vbExclamation, QStringLiteral("Error!"));
}

void frmMain::DeleteSelection() {
    if (LastFocus == QStringLiteral("remote"))
        m_remote->DeleteSelection();
    else
        m_local->DeleteSelection();
}
