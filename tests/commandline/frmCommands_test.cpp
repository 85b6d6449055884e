// The command-line window on the main form: logging in with the session, hiding on close, and the
// messages for each way the command line fails.
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "commandline/frmCommands.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/UnusedPort.h"

#include <QTextEdit>
#include <QtTest>

class frmCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetNetworkTimeoutMs(500); }
    void cleanup() { ResetFtpSession(); }

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
        QVERIFY(transcript.contains(QStringLiteral("PASS ****\n\nServer: \n230")));
        // Closing the window only hides it: the transcript and the connection stay.
        form.mnuCommandLine->trigger();
        QVERIFY(commands.isVisible() && !commands.close() && !commands.isVisible());
        QCOMPARE(commands.UnixInfo->toPlainText(), transcript);
        QVERIFY(commands.SockCMD.IsConnected());
        commands.sockData_Disconnect();
        QCOMPARE(form.StatusBar1->PanelText(2), QStringLiteral("Command Line: No "));
    }

    void failuresAreReportedOnce_data() {
        QTest::addColumn<QByteArray>("how");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("style"); // of the last message
        QTest::addColumn<QString>("title");
        const QString initError =
            QStringLiteral("An error initializing command line functionality has occured!  "
                           "You will not have access to advanced commands.");
        QTest::newRow("session not connected") << QByteArray("noSession") << QStringList{"Error Connecting!"}
                                               << (vbOKOnly | vbExclamation) << "Connection Error";
        QTest::newRow("connection refused")
            << QByteArray("refused") << QStringList{"Not connected ", "No Command Line Capabilities"}
            << int(vbOKOnly) << "Tovo FTP";
        QTest::newRow("user refused") << QByteArray("530") << QStringList{initError}
                                      << (vbOKOnly | vbExclamation) << "Error Initializing Command Line";
    }
    void failuresAreReportedOnce() {
        QFETCH(QByteArray, how);
        QFETCH(QStringList, texts);
        ScriptedFtpServer server;
        server.on("USER", how == "530" ? "530 Not allowed" : "331 Password required");
        QVERIFY(server.start());
        frmMain form;
        form.StatusBar1->SetPanelText(2, QStringLiteral("Command Line:  No"));
        FtpSession.hInternet = 1;
        FtpSession.hConnect = how == "noSession" ? 0 : 2;
        FtpSession.Server = "127.0.0.1";
        FtpSession.Port = how == "refused" ? UnusedLoopbackPort() : server.port();
        FtpSession.Service = 1;
        FtpSession.User = "anna";
        MsgBoxRecorder boxes;
        for (int i = 0; i < texts.size(); ++i)
            boxes.answerNext(vbOK);
        OpenCommandChannel(form);
        QCOMPARE(boxes.texts(), texts);
        QTEST(boxes.calls().constLast().style, "style");
        QTEST(boxes.calls().constLast().title, "title");
        QCOMPARE(form.StatusBar1->PanelText(2), QStringLiteral("Command Line:  No"));
        QCOMPARE(server.connections(), how == "noSession" || how == "refused" ? 0 : 1);
    }
};

QTEST_MAIN(frmCommandsTest)
#include "frmCommands_test.moc"
