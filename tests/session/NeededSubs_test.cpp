#include "session/NeededSubs.h"

#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/ScriptedFtpServer.h"

#include <QFile>
#include <QLabel>
#include <QToolBar>
#include <QtTest>
#include <memory>

namespace {

// Client ends of established TCP connections to this port (loopback shows both ends; we count ours).
int establishedTo(int port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    int count = 0;
    const QByteArray remote = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    while (!table.atEnd()) {
        const QList<QByteArray> fields = table.readLine().simplified().split(' ');
        count += fields.size() > 3 && fields[2].endsWith(remote) && fields[3] == "01" ? 1 : 0;
    }
    return count;
}

} // namespace

// Connecting and listing through the real window, on one server for the whole class.
class NeededSubsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FtpTestServer> m_server;

    void connectAs(MainWindowHarness& harness, const char* user, const char* password = "pw") {
        harness.connectTo(*m_server, QString::fromLatin1(user), QString::fromLatin1(password));
    }

private slots:
    void initTestCase() {
        m_server = std::make_unique<FtpTestServer>(QList<FtpTestServer::User>{
            {QStringLiteral("pub"), QStringLiteral("pw"), {}, QStringLiteral("/pub")},
            {QStringLiteral("root"), QStringLiteral("pw"), QStringLiteral("rootonly"), {}}});
        TOVO_REQUIRE_SERVER(*m_server);
        m_server->makeDir(QStringLiteral("rootonly/b"));
        m_server->makeDir(QStringLiteral("pub/b"));
        m_server->makeDir(QStringLiteral("pub/My Folder"));
        m_server->writeFile(QStringLiteral("pub/B.txt"), QByteArray(512, 'b'));
        m_server->writeFile(QStringLiteral("pub/a.TXT"), QByteArray(511, 'a'));
        QFile dated(m_server->path(QStringLiteral("pub/a.TXT")));
        QVERIFY(dated.open(QIODevice::ReadWrite) &&
                dated.setFileTime(QDateTime(QDate(2001, 3, 7), QTime(9, 5, 30), Qt::UTC),
                                  QFileDevice::FileModificationTime));
        WriteSizedFile(m_server->path(QStringLiteral("pub/big.iso")), 3221225473LL); // 3 GiB and a byte
    }

    void connectListsFoldersThenFilesWithTheirTexts() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        connectAs(harness, "pub");
        QCOMPARE(form.StatusBar1->PanelText(1), QStringLiteral("Status:  Connected"));
        QCOMPARE(form.lblDirectory->text(), QStringLiteral("/pub/"));
        QVERIFY(form.Toolbar1->isHidden() && !form.Toolbar5->isHidden());
        const ListView* list = form.lstRemoteFiles;
        // Folders in server order, then files by name regardless of case.
        QStringList folders = MainWindowHarness::RowTexts(list).mid(1, 2);
        folders.sort();
        QCOMPARE(folders, (QStringList{"My Folder", "b"}));
        QCOMPARE(MainWindowHarness::RowTexts(list).mid(3), (QStringList{"a.TXT", "B.txt", "big.iso"}));
        QCOMPARE(MainWindowHarness::RowTexts(list, 1), (QStringList{"", "", "", "0Kb", "1Kb", "3,145,728Kb"}));
        QCOMPARE(MainWindowHarness::RowTexts(list, 2).at(3), QStringLiteral("3/7/2001 9:5"));
        QCOMPARE(MainWindowHarness::RowTexts(list, 3).mid(3), (QStringList{"511", "512", "3221225473"}));
        QVERIFY(list->isColumnHidden(3)); // the exact size is kept out of sight
        QCOMPARE(ListView::SmallIcon(list->Item(1)), ParentRowIcon);
        QCOMPARE(ListView::SmallIcon(list->Item(2)), FolderIcon);
        QCOMPARE(ListView::SmallIcon(list->Item(4)), IconIndexForName("a.TXT"));
    }

    void rootHasNoParentRow() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        connectAs(harness, "root");
        QCOMPARE(harness.form().lblDirectory->text(), QStringLiteral("/")); // no second slash
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral("b")});
    }

    void reconnectClosesTheEarlierSessionAndNeedsItsOwnLogin() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        connectAs(harness, "root");
        const HINTERNET firstSession = FtpSession.hInternet;
        const HINTERNET firstConnection = FtpSession.hConnect;
        const int openAfterFirst = establishedTo(m_server->port());
        connectAs(harness, "root");
        QVERIFY(FtpSession.hConnect != 0 && FtpSession.hConnect != firstConnection);
        QCOMPARE(InternetCloseHandle(firstSession), 0); // already gone
        QCOMPARE(establishedTo(m_server->port()), openAfterFirst);
        // A wrong password fails although the earlier login is still open.
        messages.answerNext(vbOK);
        connectAs(harness, "root", "wrong");
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Error Connecting!")});
        QCOMPARE(messages.calls().first().title, QStringLiteral("Connection Error"));
        QCOMPARE(FtpSession.hConnect, HINTERNET(0));
        QCOMPARE(harness.form().StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
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
        FtpSession.Service = 1;
        ConnectToServer(harness.form());
        QCOMPARE(FtpSession.hConnect, HINTERNET(0));
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Error Connecting!")});
    }
};

QTEST_MAIN(NeededSubsTest)
#include "NeededSubs_test.moc"
