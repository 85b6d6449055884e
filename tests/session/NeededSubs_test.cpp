#include "session/NeededSubs.h"

#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QToolBar>
#include <QtTest>

namespace {

const QString ConnectError = QStringLiteral("Error Connecting!");

FtpTestServer::User pubUser() {
    return {QStringLiteral("pubuser"), QStringLiteral("pw"), QString(), QStringLiteral("/pub")};
}

// Client ends of established TCP connections to this port (loopback shows both ends; we count ours).
int establishedTo(int port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    int count = 0;
    const QByteArray remote = QByteArray(":") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    table.readLine();
    while (!table.atEnd()) {
        const QList<QByteArray> fields = table.readLine().simplified().split(' ');
        if (fields.size() > 3 && fields[2].endsWith(remote) && fields[3] == "01")
            ++count;
    }
    return count;
}

QStringList rowTexts(const ListView* list, int row) {
    const QTreeWidgetItem* item = list->Item(row);
    return {ListView::Text(item), ListView::SubItem(item, 1), ListView::SubItem(item, 2),
            ListView::SubItem(item, 3), QString::number(ListView::SmallIcon(item))};
}

} // namespace

class NeededSubsTest : public QObject {
    Q_OBJECT
private slots:
    void connectShowsDirectoryAndSwapsButtons() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("b"));
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        QCOMPARE(form.StatusBar1->PanelText(1), QStringLiteral("Status:  Connected"));
        QCOMPARE(form.lblDirectory->text(), QStringLiteral("/")); // no second slash at the root
        QCOMPARE(form.RemoteCurrentDir, QStringLiteral("/"));
        QVERIFY(form.Toolbar1->isHidden());
        QVERIFY(!form.Toolbar5->isHidden());
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral("b")}); // no parent row at the root
        QVERIFY(FtpSession.IsFtp);
    }

    void wrongPasswordReportsAndStaysDisconnected() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("a.txt"), "x");
        MsgBoxRecorder messages;
        messages.answerNext(vbOK);
        MainWindowHarness harness;
        frmMain& form = harness.form();
        harness.connectTo(server, QStringLiteral("user"), QStringLiteral("wrong"));
        QCOMPARE(messages.texts(), QStringList{ConnectError});
        QCOMPARE(messages.calls().first().title, QStringLiteral("Connection Error"));
        QCOMPARE(messages.calls().first().style, vbOKOnly | vbExclamation);
        QCOMPARE(FtpSession.hConnect, HINTERNET(0));
        QVERIFY(FtpSession.hInternet != 0);
        QCOMPARE(form.StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
        QCOMPARE(form.lstRemoteFiles->Count(), 0);
        QVERIFY(!form.Toolbar1->isHidden());
    }

    void loginDirectoryGetsSlashAndParentRow() {
        FtpTestServer server({pubUser()});
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("pub/readme.txt"), "hello");
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        harness.connectOk(server, QStringLiteral("pubuser"), QStringLiteral("pw"), messages);
        QCOMPARE(harness.form().lblDirectory->text(), QStringLiteral("/pub/"));
        QCOMPARE(harness.remoteNames(), (QStringList{QStringLiteral(".^."), QStringLiteral("readme.txt")}));
        QCOMPARE(ListView::SmallIcon(harness.form().lstRemoteFiles->Item(1)), 19);
    }

    void listingOrderTextsAndIcons() {
        FtpTestServer server({pubUser()});
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("pub/b"));
        server.makeDir(QStringLiteral("pub/My Folder"));
        server.writeFile(QStringLiteral("pub/B.txt"), QByteArray(512, 'b'));
        server.writeFile(QStringLiteral("pub/a.TXT"), QByteArray(511, 'a'));
        server.writeFile(QStringLiteral("pub/c"), QByteArray(1048576, 'c'));
        QFile dated(server.path(QStringLiteral("pub/a.TXT")));
        QVERIFY(dated.open(QIODevice::ReadWrite));
        QVERIFY(dated.setFileTime(QDateTime(QDate(2001, 3, 7), QTime(9, 5, 30), Qt::UTC),
                                  QFileDevice::FileModificationTime));
        dated.close();
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        harness.connectOk(server, QStringLiteral("pubuser"), QStringLiteral("pw"), messages);
        const ListView* list = harness.form().lstRemoteFiles;
        QCOMPARE(list->Count(), 6);
        QCOMPARE(rowTexts(list, 1), (QStringList{".^.", "", "", "", "19"}));
        // Folders in server order, then files by name regardless of case.
        QStringList folders{ListView::Text(list->Item(2)), ListView::Text(list->Item(3))};
        folders.sort();
        QCOMPARE(folders, (QStringList{"My Folder", "b"}));
        QCOMPARE(ListView::SmallIcon(list->Item(2)), 12);
        QCOMPARE(ListView::SubItem(list->Item(2), 1), QString());
        QCOMPARE(rowTexts(list, 4), (QStringList{"a.TXT", "0Kb", "3/7/2001 9:5", "511", "14"}));
        QCOMPARE(rowTexts(list, 5).mid(0, 2), (QStringList{"B.txt", "1Kb"}));
        QCOMPARE(rowTexts(list, 6),
                 (QStringList{"c", "1,024Kb", ListView::SubItem(list->Item(6), 2), "1048576", "15"}));
        QVERIFY(!list->isColumnHidden(1));
        QVERIFY(list->isColumnHidden(3)); // the exact size is kept out of sight
        QVERIFY(list->Item(4)->textAlignment(1) & Qt::AlignRight);
    }

    void sizesFromTwoGibibytesUpAreExact() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        QFile big(server.path(QStringLiteral("big.iso")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(3221225473LL)); // sparse: 3 GiB and one byte
        big.close();
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        const ListView* list = harness.form().lstRemoteFiles;
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral("big.iso")});
        QCOMPARE(ListView::SubItem(list->Item(1), 1), QStringLiteral("3,145,728Kb"));
        QCOMPARE(ListView::SubItem(list->Item(1), 3), QStringLiteral("3221225473"));
    }

    void reconnectClosesTheEarlierSession() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        const HINTERNET firstSession = FtpSession.hInternet;
        const HINTERNET firstConnection = FtpSession.hConnect;
        const int openAfterFirst = establishedTo(server.port());
        QVERIFY(openAfterFirst >= 1);
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        QVERIFY(FtpSession.hConnect != firstConnection);
        // The earlier handles are gone: no call works on them any more.
        char buffer[256];
        std::uint32_t length = sizeof buffer;
        QCOMPARE(FtpGetCurrentDirectoryA(firstConnection, buffer, &length), 0);
        QCOMPARE(InternetCloseHandle(firstSession), 0);
        QCOMPARE(establishedTo(server.port()), openAfterFirst);
    }

    void reconnectWithWrongPasswordDoesNotRideOnTheOldLogin() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        messages.answerNext(vbOK);
        harness.connectTo(server, QStringLiteral("user"), QStringLiteral("nope"));
        QCOMPARE(messages.texts(), QStringList{ConnectError});
        QCOMPARE(FtpSession.hConnect, HINTERNET(0));
        QCOMPARE(harness.form().lstRemoteFiles->Count(), 0);
    }

    void silentServerFailsAfterTheTimeOut() {
        ScriptedFtpServer silent;
        silent.on("", Silent());
        QVERIFY(silent.start());
        MsgBoxRecorder messages;
        messages.answerNext(vbOK);
        MainWindowHarness harness;
        SetNetworkTimeoutMs(300);
        FtpSession.Server = "127.0.0.1";
        FtpSession.Port = silent.port();
        FtpSession.User = "user";
        FtpSession.Password = "secret";
        FtpSession.Service = 1;
        ConnectToServer(harness.form());
        QCOMPARE(FtpSession.hConnect, HINTERNET(0));
        QCOMPARE(messages.texts(), QStringList{ConnectError});
        QCOMPARE(harness.form().StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
    }

    void httpServiceConnectsWithoutListing() {
        MsgBoxRecorder messages;
        messages.allowUnexpected(true);
        MainWindowHarness harness;
        FtpSession.Server = "127.0.0.1";
        FtpSession.Port = 1;
        FtpSession.Service = 3;
        ConnectToServer(harness.form());
        QVERIFY(!FtpSession.IsFtp);
        QVERIFY(FtpSession.hConnect != 0);
        QCOMPARE(harness.form().lblDirectory->text(), QString()); // the directory cannot be read
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral(".^.")});
    }

    void listingWhileNotConnectedGivesOnlyTheParentRow() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        form.List3->addItem(QStringLiteral("stale"));
        ListRemoteFiles(form);
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral(".^.")});
        QCOMPARE(form.List3->count(), 0);
        QCOMPARE(MousePointer(), int(vbDefault));
        QCOMPARE(GetRemoteDirectory(0), std::string());
        QCOMPARE(OpenListingConnection(), HINTERNET(0));
    }
};

QTEST_MAIN(NeededSubsTest)
#include "NeededSubs_test.moc"
