#include "app/frmMain.h"

#include "commandline/frmCommands.h"
#include "help/CHelp.h"
#include "help/frmAbout.h"
#include "local/LocalPane.h"
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
#include "transfer/TransferQueue.h"
#include "transfer/Transfers.h"

#include <QAction>
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

// A toolbar button shows its hot image while the pointer is over it.
QIcon toolbarButtonIcon(const QIcon& normal, const QIcon& hot) {
    QIcon icon;
    icon.addPixmap(normal.pixmap(16, 16), QIcon::Normal);
    icon.addPixmap(hot.pixmap(16, 16), QIcon::Active);
    return icon;
}

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, double left, double top,
                  double width, double height) {
    auto* label = named(new QLabel(caption, parent), name);
    // Labels show names from the server and the disk: never markup, which could even load a file.
    label->setTextFormat(Qt::PlainText);
    PlaceTwips(label, left, top, width, height);
    return label;
}

QFrame* makeLine(QWidget* parent, const char* name) {
    auto* line = named(new QFrame(parent), name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QToolBar* makeToolbar(QWidget* parent, const char* name, const QString& caption, const char* key,
                      const QString& tip, const QIcon& icon, double top) {
    auto* bar = named(new QToolBar(parent), name);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setAutoFillBackground(true); // Toolbar1 must hide Toolbar5 beneath it
    bar->setIconSize(QSize(16, 16));
    // The captions must fit the narrow command column under their images.
    QFont font = bar->font();
    font.setPointSizeF(7);
    bar->setFont(font);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->layout()->setContentsMargins(0, 0, 0, 0);
    QAction* button = bar->addAction(icon, caption);
    button->setObjectName(QString::fromLatin1(key));
    button->setToolTip(tip);
    PlaceTwips(bar, 3120, top, 675, 600);
    return bar;
}

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
}

void frmMain::createControls() {
    Client = named(new QWidget(this), "Client");
    setCentralWidget(Client);
    QWidget* c = Client;

    Label1 = makeLabel(c, "Label1", QStringLiteral("Local Machine"), 600, 0, 2295, 375);
    Label2 = makeLabel(c, "Label2", QStringLiteral("Remote Machine"), 4440, 0, 2535, 375);
    Line1 = makeLine(c, "Line1");
    Line2 = makeLine(c, "Line2");
    PlaceTwips(Line1, 120, 0, 8280 - 120, 15);
    PlaceTwips(Line2, 0, 360, 10200, 15);

    Drive1 = named(new DriveListBox(c), "Drive1");
    PlaceTwips(Drive1, 0, 480, 3135, 315);
    Dir1 = named(new DirListBox(c), "Dir1");
    PlaceTwips(Dir1, 0, 840, 3135, 1665);
    ListView1 = named(new ListView(c), "ListView1");
    PlaceTwips(ListView1, 0, 2520, 3135, 2655);
    ListView1->SetColumns({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")},
                          {1400, 1000, 1600, 0});
    ListView1->SetColumnAlignment(1, Qt::AlignRight);
    ListView1->SetMultiSelect(true);
    ListView1->SetSorted(true); // by name, ascending

    lblDirectory = makeLabel(c, "lblDirectory", QString(), 3840, 480, 2055, 255);
    cmdMakeDir = named(new QPushButton(QStringLiteral("MKDIR"), c), "cmdMakeDir");
    PlaceTwips(cmdMakeDir, 6000, 480, 735, 220);
    lstRemoteFiles = named(new ListView(c), "lstRemoteFiles");
    PlaceTwips(lstRemoteFiles, 3840, 720, 3765, 4455);
    lstRemoteFiles->SetColumns({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")},
                               {2800, 2000, 1000, 0});
    lstRemoteFiles->SetColumnAlignment(1, Qt::AlignRight);

    const auto image = [this](int index) {
        return toolbarButtonIcon(ImageList2.value(index), ImageList3.value(index));
    };
    Toolbar5 = makeToolbar(c, "Toolbar5", QStringLiteral("Disconnt"), "Disconnect",
                           QStringLiteral("Disconnect from server"), image(1), 1080);
    Toolbar1 = makeToolbar(c, "Toolbar1", QStringLiteral("Connect"), "Connect",
                           QStringLiteral("Connect to Server"), image(0), 1080);
    Toolbar3 = makeToolbar(c, "Toolbar3", QStringLiteral("  Delete"), "DelFile",
                           QStringLiteral("Delete Selected File"), image(2), 1800);
    Toolbar4 = makeToolbar(c, "Toolbar4", QStringLiteral("Rename"), "Rename",
                           QStringLiteral("Rename Selected File"), image(3), 2520);
    Toolbar2 = makeToolbar(c, "Toolbar2", QStringLiteral(" Refresh"), "Reload",
                           QStringLiteral("Refresh Lists"), image(4), 3240);

    Frame1 = named(new QGroupBox(c), "Frame1");
    PlaceTwips(Frame1, 0, 5160, 8415, 375);
    optAuto = named(new QRadioButton(QStringLiteral("Auto"), Frame1), "optAuto");
    PlaceTwips(optAuto, 4440, 120, 735, 195);
    optASCII = named(new QRadioButton(QStringLiteral("ASCII"), Frame1), "optASCII");
    PlaceTwips(optASCII, 5280, 120, 735, 195);
    optBinary = named(new QRadioButton(QStringLiteral("Binary"), Frame1), "optBinary");
    PlaceTwips(optBinary, 6240, 120, 855, 195);
    optAuto->setChecked(true);

    Picture1 = named(new PictureBox(c), "Picture1");
    PlaceTwips(Picture1, 3360, 3960, 255, 255);
    Picture2 = named(new PictureBox(c), "Picture2");
    PlaceTwips(Picture2, 3360, 4440, 255, 255);

    // The transfer panel lies below the design client area until a transfer uncovers it.
    Label13 = makeLabel(c, "Label13", QString(), 2400, 5760, 3135, 255);
    ProgressBar1 = named(new QProgressBar(c), "ProgressBar1");
    PlaceTwips(ProgressBar1, 2400, 6120, 3615, 255);
    Label8 = makeLabel(c, "Label8", QStringLiteral("Performing Operation:"), 3000, 6480, 1575, 255);
    // The file number ends where "/ count" begins, however many digits it has.
    Label15 = makeLabel(c, "Label15", QStringLiteral("0"), 4590, 6480, 420, 255);
    Label15->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label14 = makeLabel(c, "Label14", QStringLiteral("/ 0"), 5040, 6480, 615, 255);
    ProgressBar2 = named(new QProgressBar(c), "ProgressBar2");
    PlaceTwips(ProgressBar2, 2400, 6720, 3615, 255);
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), c), "cmdCancel");
    PlaceTwips(cmdCancel, 6240, 6720, 1215, 255);
    Label9 = makeLabel(c, "Label9", QStringLiteral("Bytes Received:"), 1680, 7080, 1455, 255);
    Label10 = makeLabel(c, "Label10", QStringLiteral("Bytes Total:"), 3480, 7080, 1095, 255);
    Label5 = makeLabel(c, "Label5", QStringLiteral("Transfer Rate"), 4920, 7080, 1335, 255);
    Label16 = makeLabel(c, "Label16", QString(), 1680, 7320, 1215, 255);
    Label11 = makeLabel(c, "Label11", QString(), 3480, 7320, 1215, 255);
    lbSpeed = makeLabel(c, "lbSpeed", QString(), 4920, 7320, 1695, 255);
    Label12 = makeLabel(c, "Label12", QString(), 9960, 6720, 615, 255);
    for (QWidget* panel : std::initializer_list<QWidget*>{ProgressBar1, ProgressBar2, cmdCancel, Label5,
                                                          Label8, Label9, Label10, Label11, Label12, Label13,
                                                          Label14, Label15, Label16, lbSpeed})
        panel->setVisible(false);
    for (QProgressBar* bar : {ProgressBar1, ProgressBar2}) {
        bar->setTextVisible(false);
        bar->setRange(0, 1);
        bar->setValue(0);
    }

    StatusBar1 = named(new StatusBar(3, c), "StatusBar1");
    PlaceTwips(StatusBar1, 0, 5580, 7590, 255);
    StatusBar1->SetPanelText(1, QStringLiteral("Status:"));
    StatusBar1->SetPanelToolTip(1, QStringLiteral("Connection Status"));
    StatusBar1->SetPanelText(2, QStringLiteral("Command Line:"));
    StatusBar1->SetPanelText(3, QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));

    // Auxiliary controls: never visible, right of the client area.
    List1 = named(new QListWidget(c), "List1");
    List2 = named(new QListWidget(c), "List2");
    List3 = named(new QListWidget(c), "List3");
    ListView2 = named(new ListView(c), "ListView2");
    ListView2->SetColumns({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")},
                          {2800, 2000, 1000, 0});
    ListView2->SetColumnAlignment(1, Qt::AlignRight); // its rows are copied into lstRemoteFiles
    ListView2->SetSorted(true);
    File1 = named(new FileListBox(c), "File1");
    for (QWidget* hidden : std::initializer_list<QWidget*>{List1, List2, List3, ListView2, File1}) {
        PlaceTwips(hidden, 9120, 480, 1215, 255);
        hidden->setVisible(false);
    }
    Text1 = named(new QLineEdit(c), "Text1");
    PlaceTwips(Text1, 9120, 960, 1215, 255);

    StatusClock = named(new QTimer(this), "StatusClock");
    StatusClock->setInterval(1000);
    connect(StatusClock, &QTimer::timeout, this, [this] {
        // A transfer writes its rate into panel 3; the clock waits until it is emptied again.
        const QString text = StatusBar1->PanelText(3);
        if (!text.startsWith(QStringLiteral("Transfer Rate:")) && !m_transfers->Running())
            StatusBar1->SetPanelText(3, QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
    });
}

void frmMain::createMenus() {
    mnuFile = named(menuBar()->addMenu(QStringLiteral("File")), "mnuFile");
    mnuConnect = named(mnuFile->addAction(QStringLiteral("Connect")), "mnuConnect");
    mnuDisconnect = named(mnuFile->addAction(QStringLiteral("Disconnect")), "mnuDisconnect");
    mnuCommandLine = named(mnuFile->addAction(QStringLiteral("Command Line")), "mnuCommandLine");
    mnuExit = named(mnuFile->addAction(QStringLiteral("Exit")), "mnuExit");
    mnuHelp = named(menuBar()->addMenu(QStringLiteral("Help")), "mnuHelp");
    mnuContents = named(mnuHelp->addAction(QStringLiteral("Help Contents")), "mnuContents");
    mnuAbout = named(mnuHelp->addAction(QStringLiteral("About")), "mnuAbout");

    mnuLocal = named(new QMenu(QStringLiteral("LocalClick"), this), "mnuLocal");
    mnuLocalDelete = named(mnuLocal->addAction(QStringLiteral("Delete")), "mnuLocalDelete");
    mnuLocalLine = named(mnuLocal->addSeparator(), "mnuLocalLine");
    mnuLocalNewFolder = named(mnuLocal->addAction(QStringLiteral("New Folder")), "mnuLocalNewFolder");
    mnuLocalRefresh = named(mnuLocal->addAction(QStringLiteral("Refresh")), "mnuLocalRefresh");
    mnuLocalRename = named(mnuLocal->addAction(QStringLiteral("Rename")), "mnuLocalRename");
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
    local->isBusy = [this] { return m_transfers->Running(); };
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
    connect(Picture2, &PictureBox::Click, transfer, &Transfers::Picture2_Click);
    connect(Picture1, &PictureBox::MouseMove, transfer, &Transfers::Picture1_MouseMove);
    connect(Picture2, &PictureBox::MouseMove, transfer, &Transfers::Picture2_MouseMove);
    connect(Picture1, &PictureBox::MouseUp, transfer, &Transfers::Picture1_MouseUp);
    connect(Picture2, &PictureBox::MouseUp, transfer, &Transfers::Picture2_MouseUp);
    connect(cmdCancel, &QPushButton::clicked, transfer, &Transfers::cmdCancel_Click);
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
    panes.remoteDir = [this] { return m_remote->CurrentDir(); };
    panes.localDir = [this] { return m_local->CurrentDir(); };
    panes.refreshRemote = [this] { m_remote->ListRemoteFiles(); };
    panes.refreshLocal = [this] { m_local->Dir1_Change(); };
    panes.sessionLost = [this] { return m_remote->SessionLost(); };
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
    ListView2->SetSmallIcons(ImageList6);
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
    TwipsPerPixelX = ScreenTwipsPerPixelX();
    TwipsPerPixelY = ScreenTwipsPerPixelY();
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
