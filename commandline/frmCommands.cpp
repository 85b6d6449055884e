#include "commandline/frmCommands.h"

#include "commandline/SocketFTP.h"
#include "help/CHelp.h"
#include "help/frmAbout.h"
#include "session/NeededSubs.h"

#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"

#include <QCloseEvent>
#include <QFrame>
#include <QMenuBar>
#include <QSocketNotifier>
#include <QTextEdit>
#include <QTimer>

namespace {

constexpr double kClientWidth = 5445;
constexpr double kClientHeight = 675;

template <typename T> T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

} // namespace

frmCommands::frmCommands(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmCommands"));
    setWindowTitle(QStringLiteral(" CHMOD"));

    Client = named(new QWidget(this), "Client");
    setCentralWidget(Client);
    Client->setFixedSize(PixelsX(kClientWidth), PixelsY(kClientHeight));

    UnixInfo = named(new QTextEdit(Client), "UnixInfo");
    UnixInfo->setReadOnly(true);
    UnixInfo->setAcceptRichText(true);
    PlaceTwips(UnixInfo, 0, 120, 5415, 855);
    Line1 = named(new QFrame(Client), "Line1");
    Line1->setFrameShape(QFrame::HLine);
    PlaceTwips(Line1, 0, 60, kClientWidth, 15);
    // Created last so that it lies over the lower part of the transcript.
    CHMODStatus = named(new StatusBar(1, Client), "CHMODStatus");
    PlaceTwips(CHMODStatus, 0, 420, kClientWidth, 255);

    mnuClose = named(menuBar()->addMenu(QStringLiteral("Close")), "mnuClose");
    mnuExit = named(mnuClose->addAction(QStringLiteral("Close")), "mnuExit");
    mnuHelp = named(menuBar()->addMenu(QStringLiteral("Help")), "mnuHelp");
    mnuContents = named(mnuHelp->addAction(QStringLiteral("Help Contents")), "mnuContents");
    mnuAbout = named(mnuHelp->addAction(QStringLiteral("About")), "mnuAbout");
    connect(mnuExit, &QAction::triggered, this, &frmCommands::mnuExit_Click);
    connect(mnuContents, &QAction::triggered, this, &frmCommands::mnuContents_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmCommands::mnuAbout_Click);

    m_keepAlive = new QTimer(this);
    connect(m_keepAlive, &QTimer::timeout, this, [this] { KeepCommandChannelAlive(SockCMD, *this); });

    adjustSize();
    Form_Load();
}

void frmCommands::Form_Load() {
    // Whole twips first, then halved with the fraction dropped.
    const auto left = static_cast<long long>(ScreenWidth() - TwipsX(width())) / 2;
    const auto top = static_cast<long long>(ScreenHeight() - TwipsY(height())) / 2;
    move(PixelsX(static_cast<double>(left)), PixelsY(static_cast<double>(top)));
}

void frmCommands::ShowCommandLine() {
    show();
    raise();
    activateWindow();
}

void frmCommands::closeEvent(QCloseEvent* event) {
    // The window owns the command line's connection and transcript: never unload it, only hide it.
    event->ignore();
    hide();
}

void frmCommands::mnuExit_Click() {
    hide();
}

void frmCommands::mnuContents_Click() {
    CHelp().Show(CHelp::HelpFilePath(), QString());
}

void frmCommands::mnuAbout_Click() {
    // Not modal, no owner, its timer left running: it closes itself after seven seconds.
    auto* about = new frmAbout();
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void frmCommands::sockData_Disconnect() {
    if (MainStatusBar)
        MainStatusBar->SetPanelText(2, QStringLiteral("Command Line: No "));
}

void frmCommands::AppendTranscript(const std::string& text, std::uint32_t rgb, bool bold) {
    UnixInfo->moveCursor(QTextCursor::End);
    UnixInfo->setTextColor(QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                                  static_cast<int>(rgb & 0xFF)));
    UnixInfo->setFontWeight(bold ? QFont::Bold : QFont::Normal);
    // The text box takes CR as a paragraph break of its own; CR LF is one line end.
    QString plain = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    UnixInfo->insertPlainText(plain);
}

void frmCommands::WatchConnection(int descriptor) {
    // Later, not now: this may run inside the old watch's own signal.
    if (m_connectionWatch) {
        m_connectionWatch->setEnabled(false);
        m_connectionWatch->deleteLater();
    }
    m_connectionWatch = nullptr;
    if (descriptor < 0) {
        m_keepAlive->stop();
        return;
    }
    m_keepAlive->start(KeepAliveIntervalMs());
    m_connectionWatch = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(m_connectionWatch, &QSocketNotifier::activated, this, &frmCommands::SockCMD_DataArrival);
}

void frmCommands::SockCMD_DataArrival() {
    // The socket may have been closed (and its number given to another) since the watch began.
    if (!m_connectionWatch || SockCMD.Descriptor() != m_connectionWatch->socket()) {
        WatchConnection(-1);
        return;
    }
    ReadServerLines(SockCMD, *this);
}

void frmCommands::ConnectionClosed() {
    if (MainStatusBar)
        MainStatusBar->SetPanelText(2, QStringLiteral("Command Line:  No"));
}

void frmCommands::ShowMessage(const std::string& text) {
    MsgBox(QString::fromStdString(text), vbOKOnly);
}
