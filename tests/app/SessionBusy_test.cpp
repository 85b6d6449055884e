#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <functional>

// While a download holds the session, every command that would use it does nothing; the
// transfer ends whole and the remote pane keeps its folder.
class SessionBusyTest : public QObject {
    Q_OBJECT

    using Command = std::function<void(MainWindowHarness&)>;
    static Command toolbar(QToolBar* frmMain::*bar) {
        return [bar](MainWindowHarness& h) { (h.form().*bar)->actions().first()->trigger(); };
    }
    static Command menu(QAction* frmMain::*action) {
        return [action](MainWindowHarness& h) { (h.form().*action)->trigger(); };
    }

private slots:
    void sessionCommandsWaitForTheTransfer_data() {
        QTest::addColumn<Command>("command");
        QTest::newRow("open a folder") << Command([](MainWindowHarness& h) { h.doubleClickRemote("inner"); });
        QTest::newRow("parent row") << Command([](MainWindowHarness& h) { h.doubleClickRemote(".^."); });
        QTest::newRow("Refresh") << toolbar(&frmMain::Toolbar2);
        QTest::newRow("pop-up Refresh") << menu(&frmMain::mnuLocalRefresh);
        QTest::newRow("Rename") << toolbar(&frmMain::Toolbar4);
        QTest::newRow("pop-up Rename") << menu(&frmMain::mnuLocalRename);
        QTest::newRow("New Folder") << Command([](MainWindowHarness& h) { h.form().cmdMakeDir->click(); });
        QTest::newRow("pop-up New Folder") << menu(&frmMain::mnuLocalNewFolder);
        QTest::newRow("Delete") << toolbar(&frmMain::Toolbar3);
        QTest::newRow("pop-up Delete") << menu(&frmMain::mnuLocalDelete);
        QTest::newRow("Connect") << toolbar(&frmMain::Toolbar1);
        QTest::newRow("menu Connect") << menu(&frmMain::mnuConnect);
        QTest::newRow("Disconnect") << toolbar(&frmMain::Toolbar5);
        QTest::newRow("menu Disconnect") << menu(&frmMain::mnuDisconnect);
    }
    void sessionCommandsWaitForTheTransfer() {
        QFETCH(Command, command);
        FtpTestServer server;
        const QByteArray content = RandomBytes(300 * 1024 + 5, 3);
        server.writeFile(QStringLiteral("sub/file.bin"), content);
        server.makeDir(QStringLiteral("sub/inner"));
        TOVO_REQUIRE_SERVER(server);
        QTemporaryDir local;
        MainWindowHarness h;
        MsgBoxRecorder messages;
        h.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        h.doubleClickRemote(QStringLiteral("sub"));
        frmMain& form = h.form();
        form.LocalDir = local.path() + QLatin1Char('/');
        const QStringList listed = h.remoteNames();
        QTreeWidgetItem* row = form.lstRemoteFiles->Item(h.remoteRow(QStringLiteral("file.bin")));
        form.lstRemoteFiles->SetSelectedItem(row);
        ListView::SetSelected(row, true);
        form.RemoteItemSelected = true;
        form.LastFocus = QStringLiteral("remote");

        int modals = 0;
        const ModalInterceptor previous = SetModalInterceptor([&](QWidget* dialog) {
            ++modals;
            dialog->close();
        });
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, [&] {
            if (form.TransferHandle != 0) {
                during.stop();
                command(h);
            }
        });
        during.start(0);
        messages.answerNext(vbOK);
        form.Picture1_Click();
        SetModalInterceptor(previous);

        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Data transfer completed.")});
        QCOMPARE(ReadFileBytes(local.filePath(QStringLiteral("file.bin"))), content);
        QCOMPARE(modals, 0);
        QVERIFY(FtpSession.hConnect != 0);
        QCOMPARE(form.lblDirectory->text(), QStringLiteral("/sub/"));
        QCOMPARE(form.RemoteCurrentDir, QStringLiteral("/sub/"));
        QCOMPARE(h.remoteNames(), listed);
        for (const QLineEdit* editor : form.lstRemoteFiles->findChildren<QLineEdit*>())
            QVERIFY2(!editor->isVisible(), "a label edit was started");
        QVERIFY(QFileInfo(server.path(QStringLiteral("sub/file.bin"))).isFile());
    }
};

QTEST_MAIN(SessionBusyTest)
#include "SessionBusy_test.moc"
