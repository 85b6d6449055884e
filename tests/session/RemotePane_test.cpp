#include "session/RemotePane.h"

#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/UnusedPort.h"
#include "toolkit/ListView.h"
#include "toolkit/StatusBar.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QToolBar>
#include <QtTest>

using RemoteCommand = std::function<void(MainWindowHarness&)>;

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
    // The one state without a session: Connect offered, the status saying so, nothing listed.
    void verifyNotConnected() {
        QVERIFY(FtpSession.hConnect == 0 && !form().Toolbar1->isHidden());
        QCOMPARE(form().StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
        QVERIFY(names().isEmpty() && form().lblDirectory->text().isEmpty());
    }

private slots:
    void initTestCase() {
        QList<FtpTestServer::User> users;
        for (const char* name : {"pub", "rename", "mkdir"})
            users.append({QString::fromLatin1(name),
                          QStringLiteral("pw"),
                          {},
                          QLatin1Char('/') + QLatin1String(name)});
        m_server = std::make_unique<FtpTestServer>(users);
        TOVO_REQUIRE_SERVER(*m_server);
        m_server->makeDir(QStringLiteral("mkdir/exists"));
        m_server->makeDir(QStringLiteral("pub/b"));
        m_server->writeFile(QStringLiteral("pub/My Folder/inner.txt"), "x");
        m_server->writeFile(QStringLiteral("pub/B.txt"), QByteArray(512, 'b'));
        m_server->writeFile(QStringLiteral("pub/a.TXT"), QByteArray(511, 'a'));
    }
    void init() {
        m_messages = std::make_unique<MsgBoxRecorder>();
        m_harness = std::make_unique<MainWindowHarness>();
    }
    void cleanup() {
        m_harness.reset();
        m_messages.reset();
    }

    // A name another entry has is refused before the server is asked (it would replace that entry).
    void rename_data() {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("new name") << QStringLiteral("new name.txt") << true;
        QTest::newRow("letter case only") << QStringLiteral("OLD.txt") << true;
        QTest::newRow("onto another file") << QStringLiteral("other.txt") << false;
    }
    void rename() {
        QFETCH(QString, newName);
        QFETCH(bool, renamed);
        QDir(m_server->path(QStringLiteral("rename"))).removeRecursively();
        m_server->writeFile(QStringLiteral("rename/old.txt"), "o");
        m_server->writeFile(QStringLiteral("rename/other.txt"), "x");
        connectAs("rename");
        if (!renamed)
            m_messages->answerNext(vbOK);
        form().lstRemoteFiles->SetSelectedItem(
            form().lstRemoteFiles->Item(m_harness->remoteRow(QStringLiteral("old.txt"))));
        form().remote().BeginRemoteRename();
        form().lstRemoteFiles->CommitLabelEdit(newName);
        QStringList files = QDir(m_server->path(QStringLiteral("rename"))).entryList(QDir::Files);
        files.sort();
        QCOMPARE(files, QStringList({renamed ? newName : QStringLiteral("old.txt"), "other.txt"}));
        QCOMPARE(m_server->readFile(QStringLiteral("rename/other.txt")), QByteArray("x"));
        QCOMPARE(m_messages->calls().size(), renamed ? 0 : 1);
    }

    // However a connect fails, after a good one, the window is left ready to connect again, and the
    // message says why in plain words.
    void failedConnect_data() {
        QTest::addColumn<QByteArray>("verb"); // the server refuses at this command; none: nothing listens
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QString>("cause");
        QTest::newRow("not reached") << QByteArray() << QByteArray() << QStringLiteral("found or reached");
        QTest::newRow("no answer") << QByteArray("") << QByteArray("silent") << QStringLiteral("in time");
        QTest::newRow("login refused") << QByteArray("PASS") << QByteArray("530 Login incorrect.")
                                       << QStringLiteral("530 Login incorrect.");
        QTest::newRow("TLS refused") << QByteArray("AUTH") << QByteArray("502 No TLS here")
                                     << QStringLiteral("TLS");
    }
    void failedConnect() {
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, action);
        QFETCH(QString, cause);
        connectAs("pub");
        ScriptedFtpServer server;
        server.on(verb.toStdString(), action.toStdString());
        QVERIFY(server.start());
        SetNetworkTimeoutMs(500);
        FtpSession.Secure = verb == "AUTH";
        m_messages->answerNext(vbOK);
        m_harness->connectTo(verb.isNull() ? UnusedLoopbackPort() : server.port());
        QCOMPARE(m_messages->texts().size(), 1);
        const QStringList lines = m_messages->texts().first().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.first(), QStringLiteral("Error Connecting!"));
        QVERIFY2(lines.size() == 2 && lines[1].contains(cause), qPrintable(lines.join('|')));
        verifyNotConnected();
    }

    // A command that finds the session gone ends it and says so, without a fresh login behind it; a
    // refusal is said with the server's words; with the current folder unknown, nothing is aimed at it.
    void refusedOrLost_data() {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<RemoteCommand>("command");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("connected");
        const RemoteCommand open = [](MainWindowHarness& h) { h.doubleClickRemote(QStringLiteral("sub")); };
        const auto remove = [](const char* name) {
            return RemoteCommand([name](MainWindowHarness& h) {
                h.clickRemote({QString::fromLatin1(name)});
                h.form().LastFocus = QStringLiteral("remote");
                h.form().DeleteSelection();
            });
        };
        const RemoteCommand rename = [](MainWindowHarness& h) {
            h.clickRemote({QStringLiteral("f.txt")});
            h.form().remote().BeginRemoteRename();
            h.form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("g.txt"));
        };
        const RemoteCommand makeFolder = [](MainWindowHarness& h) {
            h.form().remote().cmdMakeDir_Click();
            h.form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("n"));
        };
        const QString lost = QStringLiteral("Connection has been terminated");
        const auto row = [](const char* name, const char* verb, const char* action,
                            const RemoteCommand& command, const QString& said, bool connected) {
            QTest::newRow(name) << QByteArray(verb) << QByteArray(action) << command << said << connected;
        };
        row("421 on CWD", "CWD", "close:421 Timeout, closing", open, lost, false);
        row("end of stream on CWD", "CWD", "close", open, lost, false);
        row("no answer to CWD", "CWD", "silent", open, lost, false);
        row("end of stream on DELE", "DELE", "close", remove("f.txt"), lost, false);
        row("421 on RNFR", "RNFR", "close:421 Bye", rename, lost, false);
        row("end of stream on MKD", "MKD", "close", makeFolder, lost, false);
        row("CWD refused", "CWD", "550 No way in.", open, "550 No way in.", true);
        row("RMD refused", "RMD", "550 Lock file present.", remove("sub"), "550 Lock file present.", true);
        row("DELE refused", "DELE", "550 Read-only file.", remove("f.txt"), "550 Read-only file.", true);
        row("folder unknown", "PWD", "257 somewhere", makeFolder, "folder", true);
    }
    void refusedOrLost() {
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, action);
        QFETCH(RemoteCommand, command);
        QFETCH(QString, said);
        QFETCH(bool, connected);
        ScriptedFtpServer server;
        server.on("LIST",
                  Transfer("drwxr-xr-x 1 u g 0 Jan 01 2001 sub\r\n-rw-r--r-- 1 u g 3 Jan 01 2001 f.txt\r\n"));
        server.on(verb.toStdString(), action.toStdString());
        QVERIFY(server.start());
        SetNetworkTimeoutMs(500);
        m_messages->answerNext(vbOK); // the command line finds no second connection
        m_harness->connectTo(server.port());
        const QStringList listed = names();
        m_messages->clear();
        m_messages->allowUnexpected(); // Yes to a question, OK to the answer
        command(*m_harness);
        QVERIFY(!m_messages->calls().isEmpty());
        const QString text = m_messages->calls().last().text;
        QVERIFY2(text.contains(said), qPrintable(text));
        if (connected)
            QVERIFY(FtpSession.hConnect != 0 && names() == listed);
        else
            verifyNotConnected();
        const std::vector<std::string> sent = server.commands();
        QCOMPARE(std::count(sent.begin(), sent.end(), "USER user"), 1);
    }

    // A name that is not UTF-8 is shown with replacement characters; what is done to it is done with
    // the server's bytes.
    void rawNames_data() {
        QTest::addColumn<RemoteCommand>("command");
        QTest::addColumn<QByteArray>("sent");
        const QString file = QString::fromUtf8("caf\xe9.txt");
        QTest::newRow("open") << RemoteCommand([](MainWindowHarness& h) {
            h.doubleClickRemote(QString::fromUtf8("d\xe9r"));
        }) << QByteArray("CWD d\xe9r");
        QTest::newRow("delete") << RemoteCommand([file](MainWindowHarness& h) {
            h.clickRemote({file});
            h.form().LastFocus = QStringLiteral("remote");
            h.form().DeleteSelection();
        }) << QByteArray("DELE /caf\xe9.txt");
        QTest::newRow("rename") << RemoteCommand([file](MainWindowHarness& h) {
            h.clickRemote({file});
            h.form().remote().BeginRemoteRename();
            h.form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("new.txt"));
        }) << QByteArray("RNFR caf\xe9.txt");
    }
    void rawNames() {
        QFETCH(RemoteCommand, command);
        QFETCH(QByteArray, sent);
        ScriptedFtpServer server;
        server.on("LIST", Transfer("drwxr-xr-x 1 u g 0 Jan 01 2001 d\xe9r\r\n"
                                   "-rw-r--r-- 1 u g 3 Jan 01 2001 caf\xe9.txt\r\n"));
        server.on("DELE", "250 Deleted.");
        QVERIFY(server.start());
        m_messages->answerNext(vbOK); // the command line finds no second connection
        m_harness->connectTo(server.port());
        m_harness->clickRemote({QString::fromUtf8("caf\xe9.txt")});
        const std::vector<RemoteEntry> selected = form().remote().SelectedEntries();
        QVERIFY(selected.size() == 1 && selected[0].name == "caf\xe9.txt" && selected[0].size == 3);
        m_messages->answerNext(vbYes);
        command(*m_harness);
        const std::vector<std::string> commands = server.commands();
        QVERIFY(std::find(commands.begin(), commands.end(), sent.toStdString()) != commands.end());
    }

    void makeFolder() {
        connectAs("mkdir");
        form().remote().cmdMakeDir_Click();
        QCOMPARE(names(), (QStringList{".^.", "New Folder", "exists"}));
        form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("made here"));
        QCOMPARE(QDir(m_server->path(QStringLiteral("mkdir"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 (QStringList{"exists", "made here"}));
    }

    void connectListsThenBrowses() {
        connectAs("pub");
        const ListView* list = form().lstRemoteFiles;
        // Folders in server order, then files by name regardless of case.
        QStringList folders = MainWindowHarness::RowTexts(list).mid(1, 2);
        folders.sort();
        QCOMPARE(folders, (QStringList{"My Folder", "b"}));
        QCOMPARE(MainWindowHarness::RowTexts(list).mid(3), (QStringList{"a.TXT", "B.txt"}));
        QCOMPARE(MainWindowHarness::RowTexts(list, 1), (QStringList{"", "", "", "0Kb", "1Kb"}));
    }
};

QTEST_MAIN(RemotePaneTest)
#include "RemotePane_test.moc"
