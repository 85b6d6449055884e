#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "commandline/frmCommands.h"
#include "help/CHelp.h"
#include "help/frmAbout.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/UnusedPort.h"

#include <QMenuBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

namespace {

const QString kInitError = QStringLiteral("An error initializing command line functionality has occured!  "
                                          "You will not have access to advanced commands.");

// A session as ConnectToServer leaves it after a successful connect.
void ConnectedSession(int port, std::int16_t service = 1, const std::string& user = "anna",
                      const std::string& password = "pw") {
    ResetFtpSession();
    FtpSession.hInternet = 1;
    FtpSession.hConnect = 2;
    FtpSession.Server = " 127.0.0.1 ";
    FtpSession.Port = port;
    FtpSession.Service = service;
    FtpSession.User = user;
    FtpSession.Password = password;
}

} // namespace

class frmCommandsTest : public QObject {
    Q_OBJECT
    frmMain* m_form = nullptr;

    frmCommands& Commands() { return *m_form->Commands; }
    QString Panel2() const { return m_form->StatusBar1->PanelText(2); }
    QString Transcript() { return Commands().UnixInfo->toPlainText(); }

private slots:
    void initTestCase() { SetNetworkTimeoutMs(500); }
    void init() {
        m_form = new frmMain();
        m_form->StatusBar1->SetPanelText(2, QStringLiteral("Command Line:  No"));
    }
    void cleanup() {
        delete m_form;
        m_form = nullptr;
        ResetFtpSession();
    }

    void windowAndControls() {
        frmCommands& commands = Commands();
        QCOMPARE(commands.windowTitle(), QStringLiteral(" CHMOD"));
        QVERIFY(commands.UnixInfo->isReadOnly());
        QVERIFY(commands.UnixInfo->acceptRichText());
        QVERIFY(!commands.isVisible());
        // The status bar lies over the lower part of the transcript.
        QVERIFY(commands.CHMODStatus->geometry().intersects(commands.UnixInfo->geometry()));
    }

    // Help Contents opens the help file with no window type; About shows a box that closes itself.
    void helpMenu() {
        frmCommands& commands = Commands();
        QStringList opened;
        const CHelp::Opener previous =
            CHelp::SetOpener([&opened](const QString& target, std::optional<int>) { opened.append(target); });
        QFile help(CHelp::HelpFilePath());
        const bool created = !help.exists() && help.open(QIODevice::WriteOnly);
        help.close();
        commands.mnuContents->trigger();
        CHelp::SetOpener(previous);
        if (created)
            QFile::remove(CHelp::HelpFilePath());
        QCOMPARE(opened, QStringList{CHelp::HelpFilePath()});

        commands.mnuAbout->trigger();
        frmAbout* about = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<frmAbout*>(window); box && box->isVisible())
                about = box;
        QVERIFY(about);
        QVERIFY(!about->isModal());
        QVERIFY(about->Timer1->isActive());
        about->Timer1_Timer();
        QTRY_VERIFY(!about->isVisible());
    }

    void transcriptHeadersAreColouredAndBold() {
        frmCommands& commands = Commands();
        commands.AppendTranscript("\r\nClient: \r\n", CommandLineView::Blue, true);
        commands.AppendTranscript("USER anna\r\n", CommandLineView::Black, false);
        commands.AppendTranscript("\r\nServer: \r\n", CommandLineView::Red, true);
        commands.AppendTranscript("331 Password\r\n", CommandLineView::Black, false);
        QCOMPARE(Transcript(), QStringLiteral("\nClient: \nUSER anna\n\nServer: \n331 Password\n"));
        const QTextDocument* document = commands.UnixInfo->document();
        const auto formatAt = [document](const QString& text) {
            const QTextBlock block = document->find(text).block();
            return block.begin().fragment().charFormat();
        };
        QCOMPARE(formatAt(QStringLiteral("Client: ")).foreground().color(), QColor(0, 0, 255));
        QCOMPARE(formatAt(QStringLiteral("Client: ")).fontWeight(), int(QFont::Bold));
        QCOMPARE(formatAt(QStringLiteral("Server: ")).foreground().color(), QColor(255, 0, 0));
        QCOMPARE(formatAt(QStringLiteral("USER anna")).foreground().color(), QColor(0, 0, 0));
        QCOMPARE(formatAt(QStringLiteral("USER anna")).fontWeight(), int(QFont::Normal));
    }

    // The command line follows the session to its own port (here not 21) when the session is FTP.
    void commandLineUsesTheSessionsPort() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QVERIFY(server.port() != 21);
        ConnectedSession(server.port());
        MsgBoxRecorder boxes;
        OpenCommandChannel(*m_form);
        QCOMPARE(server.connections(), 1);
        QCOMPARE(Commands().SockCMD.RemotePort(), server.port());
        QCOMPARE(Commands().SockCMD.HostName(), std::string("127.0.0.1"));
    }

    void httpSessionUsesPort21() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        ConnectedSession(server.port(), 3);
        MsgBoxRecorder boxes;
        boxes.allowUnexpected(); // whatever listens on 21 here, if anything
        OpenCommandChannel(*m_form);
        QCOMPARE(Commands().SockCMD.RemotePort(), 21);
        QCOMPARE(server.connections(), 0);
    }

    void failures_data() {
        QTest::addColumn<QByteArray>("how");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("session not connected")
            << QByteArray("noSession") << QStringList{"Error Connecting!"} << QStringList();
        QTest::newRow("connection refused")
            << QByteArray("refused") << QStringList{"Not connected ", "No Command Line Capabilities"}
            << QStringList();
        QTest::newRow("greeting not 220")
            << QByteArray("busy") << QStringList{"No Command Line Capabilities"} << QStringList();
        QTest::newRow("user refused")
            << QByteArray("530") << QStringList{kInitError} << QStringList{"USER anna"};
    }
    void failures() {
        QFETCH(QByteArray, how);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, commands);
        ScriptedFtpServer server;
        if (how == "busy")
            server.on("", Reply("421 Too many users"));
        else if (how == "530")
            server.on("USER", Reply("530 Not allowed"));
        QVERIFY(server.start());
        ConnectedSession(how == "refused" ? UnusedLoopbackPort() : server.port());
        if (how == "noSession")
            FtpSession.hConnect = 0;
        MsgBoxRecorder boxes;
        for (int i = 0; i < texts.size(); ++i)
            boxes.answerNext(vbOK);
        OpenCommandChannel(*m_form);
        QCOMPARE(boxes.texts(), texts);
        QCOMPARE(Panel2(), QStringLiteral("Command Line:  No"));
        QStringList sent;
        for (const std::string& command : server.commands())
            sent << QString::fromStdString(command);
        QCOMPARE(sent, commands);
        // Every message has OK; the last one names its trouble in the title, or carries the program's.
        const MsgBoxRecorder::Call last = boxes.calls().constLast();
        QCOMPARE(last.style & 0x0F, int(vbOKOnly));
        if (how == "noSession") {
            QCOMPARE(last.style, vbOKOnly | vbExclamation);
            QCOMPARE(last.title, QStringLiteral("Connection Error"));
            QCOMPARE(server.connections(), 0);
        } else if (texts.constLast() == kInitError) {
            QCOMPARE(last.style, vbOKOnly | vbExclamation);
            QCOMPARE(last.title, QStringLiteral("Error Initializing Command Line"));
        } else {
            QCOMPARE(last.style, int(vbOKOnly));
            QCOMPARE(last.title, QStringLiteral("Tovo FTP"));
        }
    }

    void closingOnlyHidesAndKeepsEverything() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        ConnectedSession(server.port());
        MsgBoxRecorder boxes;
        OpenCommandChannel(*m_form);
        frmCommands& commands = Commands();
        const QString transcript = Transcript();
        commands.ShowCommandLine();
        QVERIFY(commands.isVisible());
        QVERIFY(!commands.close());
        QVERIFY(!commands.isVisible());
        commands.ShowCommandLine();
        commands.mnuExit->trigger();
        QVERIFY(!commands.isVisible());
        QCOMPARE(Transcript(), transcript);
        QVERIFY(commands.SockCMD.IsConnected());
    }

    void mainWindowMenuShowsTheWindow() {
        m_form->mnuCommandLine->trigger();
        QVERIFY(Commands().isVisible());
    }

    void reconnectAppendsToTheTranscript() {
        ScriptedFtpServer first;
        first.on("", Reply("220 first"));
        ScriptedFtpServer second;
        second.on("", Reply("220 second"));
        QVERIFY(first.start() && second.start());
        MsgBoxRecorder boxes;
        ConnectedSession(first.port());
        OpenCommandChannel(*m_form);
        ConnectedSession(second.port());
        OpenCommandChannel(*m_form);
        QVERIFY(Transcript().indexOf(QStringLiteral("220 first")) <
                Transcript().indexOf(QStringLiteral("220 second")));
        QVERIFY(Transcript().contains(QStringLiteral("220 first")));
        QCOMPARE(Transcript().count(QStringLiteral("Server: ")), 6);
        QCOMPARE(Panel2(), QStringLiteral("Command Line:  Yes"));
    }

    void sockDataEventSetsPanel2() {
        Commands().MainStatusBar = m_form->StatusBar1;
        Commands().sockData_Disconnect();
        QCOMPARE(Panel2(), QStringLiteral("Command Line: No "));
    }

    void logsInOnTheRealServer() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        ConnectedSession(server.port(), 1, "user", "secret");
        MsgBoxRecorder boxes;
        OpenCommandChannel(*m_form);
        QCOMPARE(Panel2(), QStringLiteral("Command Line:  Yes"));
        QVERIFY(Transcript().contains(QStringLiteral("PASS secret")));
        QVERIFY(Transcript().contains(QStringLiteral("\n230")));
        QVERIFY(Commands().SockCMD.IsConnected());
    }
};

QTEST_MAIN(frmCommandsTest)
#include "frmCommands_test.moc"
