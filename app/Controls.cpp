// The main window's controls and menus, placed at their design positions in twips.
#include "app/frmMain.h"

#include "toolkit/DirListBox.h"
#include "toolkit/DriveListBox.h"
#include "toolkit/FileListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/PictureBox.h"
#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"
#include "transfer/Transfers.h"

#include <QAction>
#include <QActionGroup>
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
#include <QTime>
#include <QTimer>
#include <QToolBar>

namespace {

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

// A file list: name, size (right-aligned), date and the hidden exact size, widths in twips.
ListView* makeFileList(QWidget* parent, const char* name, const QList<int>& widths) {
    auto* list = named(new ListView(parent), name);
    list->SetColumns({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")}, widths);
    list->SetColumnAlignment(1, Qt::AlignRight);
    return list;
}

} // namespace

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
    ListView1 = makeFileList(c, "ListView1", {1400, 1000, 1600, 0});
    PlaceTwips(ListView1, 0, 2520, 3135, 2655);
    ListView1->SetMultiSelect(true);
    ListView1->SetSorted(true); // by name, ascending

    lblDirectory = makeLabel(c, "lblDirectory", QString(), 3840, 480, 2055, 255);
    cmdMakeDir = named(new QPushButton(QStringLiteral("MKDIR"), c), "cmdMakeDir");
    PlaceTwips(cmdMakeDir, 6000, 480, 735, 220);
    lstRemoteFiles = makeFileList(c, "lstRemoteFiles", {2800, 2000, 1000, 0});
    PlaceTwips(lstRemoteFiles, 3840, 720, 3765, 4455);
    createCommandColumn();
    createTransferPanel();
    createStatusBar();
}

void frmMain::createCommandColumn() {
    QWidget* c = Client;
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
}

// The transfer panel lies below the design client area until a transfer uncovers it.
void frmMain::createTransferPanel() {
    QWidget* c = Client;
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
}

// The status bar, its clock and the controls that are never shown.
void frmMain::createStatusBar() {
    QWidget* c = Client;
    StatusBar1 = named(new StatusBar(3, c), "StatusBar1");
    PlaceTwips(StatusBar1, 0, 5580, 7590, 255);
    StatusBar1->SetPanelText(1, QStringLiteral("Status:"));
    StatusBar1->SetPanelToolTip(1, QStringLiteral("Connection Status"));
    StatusBar1->SetPanelText(2, QStringLiteral("Command Line:"));
    StatusBar1->SetPanelText(3, QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));

    // Auxiliary controls: never visible, right of the client area.
    List1 = named(new QListWidget(c), "List1");
    List2 = named(new QListWidget(c), "List2");
    File1 = named(new FileListBox(c), "File1");
    for (QWidget* hidden : std::initializer_list<QWidget*>{List1, List2, File1}) {
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
    createTransferMenu();
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

void frmMain::createTransferMenu() {
    mnuTransfer = named(menuBar()->addMenu(QStringLiteral("&Transfer")), "mnuTransfer");
    mnuUploadFolder = named(mnuTransfer->addAction(QStringLiteral("&Upload folder")), "mnuUploadFolder");
    mnuQueue = named(mnuTransfer->addAction(QStringLiteral("&Queue")), "mnuQueue");
    mnuTransferLine = named(mnuTransfer->addSeparator(), "mnuTransferLine");
    mnuWhenExists = named(mnuTransfer->addMenu(QStringLiteral("&When a file exists")), "mnuWhenExists");
    WhenExistsChoices = named(new QActionGroup(this), "WhenExistsChoices");
    WhenExistsChoices->setExclusive(true);
    const auto choice = [this](const QString& caption, const char* name, WhenExists setting) {
        QAction* action = named(mnuWhenExists->addAction(caption), name);
        action->setCheckable(true);
        action->setData(static_cast<int>(setting));
        WhenExistsChoices->addAction(action);
        return action;
    };
    mnuExistsReplace = choice(QStringLiteral("&Replace"), "mnuExistsReplace", WhenExists::Replace);
    mnuExistsAsk = choice(QStringLiteral("&Ask"), "mnuExistsAsk", WhenExists::Ask);
    mnuExistsNewer = choice(QStringLiteral("Replace if &newer or a different size"), "mnuExistsNewer",
                            WhenExists::ReplaceIfNewerOrDifferent);
    mnuExistsResume = choice(QStringLiteral("Re&sume"), "mnuExistsResume", WhenExists::Resume);
    mnuExistsSkip = choice(QStringLiteral("S&kip"), "mnuExistsSkip", WhenExists::Skip);
    mnuKeepTimes = named(mnuTransfer->addAction(QStringLiteral("&Keep modification times")), "mnuKeepTimes");
    mnuKeepTimes->setCheckable(true);
}
