// The command-line window on the main form: logging in with the session, hiding on close, and the
// status when its connection drops.
#include "app/frmMain.h"
#include "commandline/SocketFTP.h"
#include "commandline/frmCommands.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "toolkit/StatusBar.h"

#include <QTextEdit>
#include <QtTest>

class frmCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void connectLogsInTheCommandLine() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        MsgBoxRecorder boxes;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), boxes);
        QCOMPARE(form.StatusBar1->PanelText(2), QStringLiteral("Command Line:  Yes"));
        frmCommands& commands = *form.Commands;
        const QString transcript = commands.UnixInfo->toPlainText();
        // Closing the window only hides it: the transcript and the connection stay.
        form.mnuCommandLine->trigger();
        QVERIFY(commands.isVisible() && !commands.close() && !commands.isVisible());
        QCOMPARE(commands.UnixInfo->toPlainText(), transcript);
        QVERIFY(commands.SockCMD.IsConnected());
        commands.sockData_Disconnect();
        QCOMPARE(form.StatusBar1->PanelText(2), QStringLiteral("Command Line: No "));
    }

    // What the server says before it hangs up reaches the transcript, and the status tells.
    void serverHangingUpClosesTheCommandLine() {
        ScriptedFtpServer server;
        server.on("PASS", "close:230 Logged in\n421 Idle too long");
        QVERIFY(server.start());
        frmCommands commands;
        StatusBar status(2);
        commands.MainStatusBar = &status;
        QCOMPARE(
            RunCommandChannel(commands.SockCMD, commands, true, "127.0.0.1", server.port(), "u", "p", 2000),
            CommandChannelResult::LoggedIn);
        QTRY_COMPARE(status.PanelText(2), QStringLiteral("Command Line:  No"));
        QVERIFY(!commands.SockCMD.IsConnected() && commands.SockCMD.State() == CommandSocket::StateClosing);
        QVERIFY(commands.UnixInfo->toPlainText().endsWith(QStringLiteral("Server: \n421 Idle too long\n")));
    }
};

QTEST_MAIN(frmCommandsTest)
#include "frmCommands_test.moc"
