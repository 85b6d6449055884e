// The command-line window on the main form: logging in with the session, hiding on close, and the
// status when its connection drops.
#include "app/StatusBar.h"
#include "app/frmMain.h"
#include "commandline/frmCommands.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"

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
};

QTEST_MAIN(frmCommandsTest)
#include "frmCommands_test.moc"
