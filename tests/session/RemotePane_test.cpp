#include "session/RemotePane.h"

#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QtTest>
#include <functional>
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

// Connecting, listing, browsing, renaming and making folders in the remote pane of the real window.
// Every test logs in as its own user, whose login folder is its own, on one server for the whole class.
class RemotePaneTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FtpTestServer> m_server;
    std::unique_ptr<MsgBoxRecorder> m_messages;
    std::unique_ptr<MainWindowHarness> m_harness;

    frmMain& form() { return m_harness->form(); }
    QStringList names() const { return m_harness->remoteNames(); }
    void connectAs(const char* user) {
        m_harness->connectTo(*m_server, QString::fromLatin1(user), QStringLiteral("pw"));
        QVERIFY(FtpSession.hConnect != 0);
    }
    void select(const QString& name) {
        QTreeWidgetItem* item = form().lstRemoteFiles->Item(m_harness->remoteRow(name));
        QVERIFY(item);
        form().lstRemoteFiles->ClearSelectedItem();
        form().lstRemoteFiles->SetSelectedItem(item);
    }
    // Answers the one message box the next step must show, and checks it.
    void expectMessage(const QString& text, const std::function<void()>& step) {
        m_messages->clear();
        m_messages->answerNext(vbOK);
        step();
        QCOMPARE(m_messages->texts(), QStringList{text});
        m_messages->clear();
    }

private slots:
    void initTestCase() {
        QList<FtpTestServer::User> users;
        for (const char* name : {"browse", "rename", "mkdir", "disconnect"})
            users.append({QString::fromLatin1(name),
                          QStringLiteral("pw"),
                          {},
                          QLatin1Char('/') + QLatin1String(name)});
        users.append({QStringLiteral("pub"), QStringLiteral("pw"), {}, QStringLiteral("/pub")});
        users.append({QStringLiteral("empty"), QStringLiteral("pw"), QStringLiteral("emptyhome"), {}});
        users.append({QStringLiteral("root"), QStringLiteral("pw"), QStringLiteral("rootonly"), {}});
        m_server = std::make_unique<FtpTestServer>(users);
        TOVO_REQUIRE_SERVER(*m_server);
        m_server->writeFile(QStringLiteral("browse/My Docs/inner.txt"), "x");
        m_server->writeFile(QStringLiteral("browse/top.txt"), "y");
        for (const char* file : {"rename/old.txt", "rename/gone.txt"})
            m_server->writeFile(QString::fromLatin1(file), "o");
        m_server->makeDir(QStringLiteral("mkdir/exists"));
        m_server->makeDir(QStringLiteral("disconnect"));
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

    void browseIntoAFolderWithBlanksAndBackUp() {
        connectAs("browse");
        m_harness->doubleClickRemote(QStringLiteral("top.txt")); // a file: nothing happens
        QCOMPARE(form().lblDirectory->text(), QStringLiteral("/browse/"));
        m_harness->doubleClickRemote(QStringLiteral("My Docs"));
        QCOMPARE(form().lblDirectory->text() + form().RemoteCurrentDir,
                 QStringLiteral("/browse/My Docs//browse/My Docs/"));
        QCOMPARE(names(), (QStringList{".^.", "inner.txt"}));
        m_harness->doubleClickRemote(QStringLiteral(".^."));
        QCOMPARE(names(), (QStringList{".^.", "My Docs", "top.txt"}));
        m_harness->doubleClickRemote(QStringLiteral(".^."));
        QCOMPARE(form().lblDirectory->text(), QStringLiteral("/"));
        QVERIFY(!names().contains(QStringLiteral(".^."))); // none at the root
        // A click on a folder remembers it, also past a disconnect.
        ListView* list = form().lstRemoteFiles;
        QTest::mouseClick(
            list->viewport(), Qt::LeftButton, {},
            list->visualItemRect(list->Item(m_harness->remoteRow(QStringLiteral("browse")))).center());
        QCOMPARE(form().LastFocus, QStringLiteral("remote"));
        form().mnuDisconnect_Click();
        QCOMPARE(SelectedRemoteFolder, QStringLiteral("/browse/"));
    }

    void renameAcceptedAndRefused() {
        connectAs("rename");
        select(QStringLiteral("old.txt"));
        form().BeginRemoteRename();
        form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("new name.txt"));
        QVERIFY(QFile::exists(m_server->path(QStringLiteral("rename/new name.txt"))));
        QCOMPARE(names(), (QStringList{".^.", "gone.txt", "new name.txt"}));
        // The server refuses to rename a file that is gone; the pane is listed again.
        QFile::remove(m_server->path(QStringLiteral("rename/gone.txt")));
        select(QStringLiteral("gone.txt"));
        form().BeginRemoteRename();
        expectMessage(QStringLiteral("Error renaming file!"),
                      [&] { form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("renamed.txt")); });
        QCOMPARE(names(), (QStringList{".^.", "new name.txt"}));
    }

    void makeFolderMadeRefusedAndEscaped() {
        connectAs("mkdir");
        form().cmdMakeDir_Click();
        QCOMPARE(names(), (QStringList{".^.", "New Folder", "exists"}));
        form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("made here"));
        QVERIFY(m_harness->remoteRow(QStringLiteral("made here")) > 1);
        form().cmdMakeDir_Click();
        expectMessage(QStringLiteral("Action Failed!"),
                      [&] { form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("exists")); });
        QCOMPARE(names().size(), 3);
        form().cmdMakeDir_Click();
        QLineEdit* editor = nullptr;
        for (QLineEdit* open : form().lstRemoteFiles->viewport()->findChildren<QLineEdit*>())
            editor = open->isVisible() ? open : editor;
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(!form().CreatingRemoteFolder);
        QCOMPARE(QDir(m_server->path(QStringLiteral("mkdir"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 (QStringList{"exists", "made here"}));
    }

    void makeFolderInAnEmptyRootFailsAndTheNextEditStaysARename() {
        expectMessage(QStringLiteral("No Connection"), [&] { form().cmdMakeDir_Click(); });
        connectAs("empty");
        QCOMPARE(form().lstRemoteFiles->Count(), 0);
        expectMessage(
            QStringLiteral("Error trying to create directory.  Make sure you are connected and that "
                           "your servers is properly configured."),
            [&] { form().cmdMakeDir_Click(); });
        QVERIFY(!form().CreatingRemoteFolder);
        m_server->writeFile(QStringLiteral("emptyhome/file.txt"), "f");
        form().RefreshBothPanes();
        select(QStringLiteral("file.txt"));
        form().BeginRemoteRename();
        form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("moved.txt"));
        QVERIFY(QFileInfo(m_server->path(QStringLiteral("emptyhome/moved.txt"))).isFile());
    }

    void disconnectTwice() {
        connectAs("disconnect");
        form().Toolbar5_ButtonClick();
        QVERIFY(FtpSession.hInternet == 0 && FtpSession.hConnect == 0);
        QCOMPARE(form().StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
        QCOMPARE(form().StatusBar1->PanelText(2), QStringLiteral("Command Line:  No"));
        QVERIFY(!form().Toolbar1->isHidden());
        QCOMPARE(form().lstRemoteFiles->Count(), 0);
        QCOMPARE(form().RemoteCurrentDir, QStringLiteral("/disconnect/")); // kept
        // The second does nothing at all.
        form().StatusBar1->SetPanelText(1, QStringLiteral("marker"));
        form().mnuDisconnect_Click();
        QCOMPARE(form().StatusBar1->PanelText(1), QStringLiteral("marker"));
    }

    void lostConnectionIsReportedWhenGoingUp() {
        auto server = std::make_unique<FtpTestServer>(QList<FtpTestServer::User>{
            {QStringLiteral("u"), QStringLiteral("pw"), {}, QStringLiteral("/pub")}});
        TOVO_REQUIRE_SERVER(*server);
        server->makeDir(QStringLiteral("pub/sub"));
        m_harness->connectTo(*server, QStringLiteral("u"), QStringLiteral("pw"));
        server.reset(); // the server goes away
        m_harness->doubleClickRemote(QStringLiteral("sub"));
        QCOMPARE(form().RemoteCurrentDir, QString());
        QCOMPARE(names(), QStringList{QStringLiteral(".^.")});
        expectMessage(QStringLiteral("Error!  Connection has been terminated"),
                      [&] { m_harness->doubleClickRemote(QStringLiteral(".^.")); });
        QCOMPARE(FtpSession.hInternet, HINTERNET(0));
        QCOMPARE(form().StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
        QCOMPARE(form().lstRemoteFiles->Count(), 0);
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
        QCOMPARE(names(), QStringList{QStringLiteral("b")});
        const HINTERNET firstSession = FtpSession.hInternet;
        const HINTERNET firstConnection = FtpSession.hConnect;
        const int openAfterFirst = establishedTo(m_server->port());
        connectAs("root");
        QVERIFY(FtpSession.hConnect != 0 && FtpSession.hConnect != firstConnection);
        QCOMPARE(InternetCloseHandle(firstSession), 0); // already gone
        QCOMPARE(establishedTo(m_server->port()), openAfterFirst);
        // A wrong password fails although the earlier login is still open.
        m_messages->answerNext(vbOK);
        m_harness->connectTo(*m_server, QStringLiteral("root"), QStringLiteral("wrong"));
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
        QCOMPARE(names(), (QStringList{".^.", name}));
        QCOMPARE(form().lblDirectory->text(), QString::fromStdString(dir));
        // A cut listing says so in the status bar until a listing is shown whole again.
        const QString connected = form().StatusBar1->PanelText(1);
        ShowListingLimit(form(), 1'000'000, 5);
        QVERIFY(form().StatusBar1->PanelText(1).contains(QStringLiteral("1,000,000")));
        ShowListingLimit(form(), 2, 0);
        QCOMPARE(form().StatusBar1->PanelText(1), connected);
    }
};

QTEST_MAIN(RemotePaneTest)
#include "RemotePane_test.moc"
