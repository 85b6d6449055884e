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
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TestFiles.h"

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
    std::unique_ptr<MsgBoxRecorder> m_messages;
    std::unique_ptr<MainWindowHarness> m_harness;

    frmMain& form() { return m_harness->form(); }
    void connectAs(const char* user, const char* password = "pw") {
        m_harness->connectTo(*m_server, QString::fromLatin1(user), QString::fromLatin1(password));
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
    void init() {
        m_messages = std::make_unique<MsgBoxRecorder>();
        m_harness = std::make_unique<MainWindowHarness>();
    }
    void cleanup() {
        m_harness.reset();
        m_messages.reset();
    }

    void connectListsFoldersThenFilesWithTheirTexts() {
        connectAs("pub");
        QCOMPARE(form().StatusBar1->PanelText(1), QStringLiteral("Status:  Connected"));
        QCOMPARE(form().lblDirectory->text(), QStringLiteral("/pub/"));
        QVERIFY(form().Toolbar1->isHidden() && !form().Toolbar5->isHidden());
        const ListView* list = form().lstRemoteFiles;
        // Folders in server order, then files by name regardless of case.
        QStringList folders = MainWindowHarness::RowTexts(list).mid(1, 2);
        folders.sort();
        QCOMPARE(folders, (QStringList{"My Folder", "b"}));
        QCOMPARE(MainWindowHarness::RowTexts(list).mid(3), (QStringList{"a.TXT", "B.txt", "big.iso"}));
        QCOMPARE(MainWindowHarness::RowTexts(list, 1),
                 (QStringList{"", "", "", "0Kb", "1Kb", "3,145,728Kb"}));
        QCOMPARE(MainWindowHarness::RowTexts(list, 2).at(3), QStringLiteral("3/7/2001 9:5"));
        QCOMPARE(MainWindowHarness::RowTexts(list, 3).mid(3), (QStringList{"511", "512", "3221225473"}));
        QCOMPARE(ListView::SmallIcon(list->Item(1)), ParentRowIcon);
        QCOMPARE(ListView::SmallIcon(list->Item(2)), FolderIcon);
        QCOMPARE(ListView::SmallIcon(list->Item(4)), IconIndexForName("a.TXT"));
    }

    void reconnectClosesTheEarlierSessionAndNeedsItsOwnLogin() {
        connectAs("root");
        QCOMPARE(form().lblDirectory->text(), QStringLiteral("/")); // no second slash, no parent row
        QCOMPARE(m_harness->remoteNames(), QStringList{QStringLiteral("b")});
        const HINTERNET firstSession = FtpSession.hInternet;
        const HINTERNET firstConnection = FtpSession.hConnect;
        const int openAfterFirst = establishedTo(m_server->port());
        connectAs("root");
        QVERIFY(FtpSession.hConnect != 0 && FtpSession.hConnect != firstConnection);
        QCOMPARE(InternetCloseHandle(firstSession), 0); // already gone
        QCOMPARE(establishedTo(m_server->port()), openAfterFirst);
        // A wrong password fails although the earlier login is still open.
        m_messages->answerNext(vbOK);
        connectAs("root", "wrong");
        QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Error Connecting!")});
        QCOMPARE(m_messages->calls().first().title, QStringLiteral("Connection Error"));
        QCOMPARE(FtpSession.hConnect, HINTERNET(0));
        QCOMPARE(form().StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
        QCOMPARE(form().lstRemoteFiles->Count(), 0);
    }

    void silentServerFailsAfterTheTimeOut() {
        ScriptedFtpServer silent;
        silent.on("", Silent());
        QVERIFY(silent.start());
        m_messages->answerNext(vbOK);
        SetNetworkTimeoutMs(300);
        FtpSession.Server = "127.0.0.1";
        FtpSession.Port = silent.port();
        FtpSession.Service = 1;
        ConnectToServer(form());
        QCOMPARE(FtpSession.hConnect, HINTERNET(0));
        QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Error Connecting!")});
    }

    // A name of 300 bytes reaches its row whole, in a folder whose path is longer than 255 bytes;
    // the server's "." and ".." are not shown as folders.
    void longNamesAndPathsStayWholeWithoutDotFolders() {
        const QString name = QString(150, QChar(0xE9)); // 300 bytes of UTF-8
        const std::string dir = "/" + std::string(280, 'd') + "/";
        ScriptedFtpServer server;
        server.on("PWD", "257 \"" + dir + "\" is the current directory");
        server.on("LIST", Transfer("drwxr-xr-x 2 o g 1 Jan 5 2020 .\r\ndrwxr-xr-x 2 o g 1 Jan 5 2020 ..\r\n"
                                   "-rw-r--r-- 1 o g 3 Jan 5 2020 " +
                                   name.toStdString() + "\r\n"));
        QVERIFY(server.start());
        m_messages->answerNext(vbOK); // the scripted server takes one control connection: no command line
        m_harness->connectTo(server.port());
        QCOMPARE(m_harness->remoteNames(), (QStringList{".^.", name}));
        QCOMPARE(form().lblDirectory->text(), QString::fromStdString(dir));
        // A cut listing says so in the status bar until a listing is shown whole again.
        const QString connected = form().StatusBar1->PanelText(1);
        ShowListingLimit(form(), 1'000'000, 5);
        QVERIFY(form().StatusBar1->PanelText(1).contains(QStringLiteral("1,000,000")));
        ShowListingLimit(form(), 2, 0);
        QCOMPARE(form().StatusBar1->PanelText(1), connected);
    }
};

QTEST_MAIN(NeededSubsTest)
#include "NeededSubs_test.moc"
