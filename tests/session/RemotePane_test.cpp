#include "session/RemotePane.h"

#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
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
#include <QRegularExpression>
#include <QSet>
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
        for (const char* name : {"pub", "edit"})
            users.append({QString::fromLatin1(name),
                          QStringLiteral("pw"),
                          {},
                          QLatin1Char('/') + QLatin1String(name)});
        m_server = std::make_unique<FtpTestServer>(users);
        TOVO_REQUIRE_SERVER(*m_server);
        m_server->makeDir(QStringLiteral("pub/b"));
        m_server->writeFile(QStringLiteral("pub/My Folder/inner.txt"), "x");
        QVERIFY(WriteSizedFile(m_server->path(QStringLiteral("pub/B.txt")), (qint64(5) << 30) + 512));
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

    // Renaming, and a new folder: a name another entry has is refused before the server is asked (it
    // would replace that entry).
    void editNames_data() {
        QTest::addColumn<QString>("oldName"); // "": a new folder
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QStringList>("entries"); // in the folder afterwards
        QTest::newRow("new name") << "old.txt"
                                  << "new name.txt" << QStringList{"new name.txt", "other.txt"};
        QTest::newRow("letter case only") << "old.txt"
                                          << "OLD.txt" << QStringList{"OLD.txt", "other.txt"};
        QTest::newRow("onto another file") << "old.txt"
                                           << "other.txt" << QStringList{"old.txt", "other.txt"};
        QTest::newRow("new folder") << ""
                                    << "made here" << QStringList{"made here", "old.txt", "other.txt"};
    }
    void editNames() {
        QFETCH(QString, oldName);
        QFETCH(QString, newName);
        QFETCH(QStringList, entries);
        const QString folder = m_server->path(QStringLiteral("edit"));
        QDir(folder).removeRecursively();
        m_server->writeFile(QStringLiteral("edit/old.txt"), "o");
        m_server->writeFile(QStringLiteral("edit/other.txt"), "x");
        connectAs("edit");
        const bool refused = entries.contains(oldName);
        if (refused)
            m_messages->answerNext(vbOK);
        if (oldName.isEmpty()) {
            form().remote().cmdMakeDir_Click();
            QCOMPARE(names(), (QStringList{".^.", "New Folder", "old.txt", "other.txt"}));
        } else {
            form().lstRemoteFiles->SetSelectedItem(
                form().lstRemoteFiles->Item(m_harness->remoteRow(oldName)));
            form().remote().BeginRemoteRename();
        }
        form().lstRemoteFiles->CommitLabelEdit(newName);
        QStringList got = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        got.sort();
        QCOMPARE(got, entries);
        QCOMPARE(m_server->readFile(QStringLiteral("edit/other.txt")), QByteArray("x"));
        QCOMPARE(m_messages->calls().size(), refused ? 1 : 0);
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

    // A command that finds the session gone reconnects to the folder it was in and runs once more; when
    // that fails too, the session ends and says so. A refusal is said with the server's words; with the
    // current folder unknown, nothing is aimed at it.
    void refusedOrLost_data() {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QByteArray>("then"); // the answer the second time ("" the same, "again" a listing),
                                              // or "login refused" at the reconnect
        QTest::addColumn<QString>("command"); // "open", "delete NAME", "rename", "new folder" or "refresh"
        QTest::addColumn<QString>("said");    // "": the session's end, "-": nothing
        const auto row = [](const char* verb, const char* action, const char* then, const char* command,
                            const char* said = "") {
            QTest::addRow("%s: %s, then %s", verb, action, then)
                << QByteArray(verb) << QByteArray(action) << QByteArray(then) << command << said;
        };
        row("CWD", "close:421 Timeout, closing", "", "open");
        row("DELE", "close", "250 Deleted.", "delete f.txt", "-");
        row("RNFR", "close:421 Bye", "login refused", "rename");
        row("MKD", "close", "257 Made.", "new folder", "-");
        row("LIST", "close:421 Bye", "again", "refresh", "-");
        row("LIST", "close", "login refused", "refresh");
        row("CWD", "550 No way in.", "", "open", "550 No way in.");
        row("RMD", "550 Lock file present.", "", "delete sub", "550 Lock file present.");
        row("DELE", "550 Read-only file.", "", "delete f.txt", "550 Read-only file.");
        row("PWD", "257 somewhere", "", "new folder", "folder"); // the current folder unknown
    }
    void refusedOrLost() {
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, action);
        QFETCH(QByteArray, then);
        QFETCH(QString, command);
        QFETCH(QString, said);
        const FtpAction listing =
            Transfer("drwxr-xr-x 1 u g 0 Jan 01 2001 sub\r\n-rw-r--r-- 1 u g 3 Jan 01 2001 f.txt\r\n");
        ScriptedFtpServer server;
        server.on("LIST", listing);
        if (verb != "PWD")
            server.on("PWD", "257 \"/pub\" is the current directory");
        server.on(verb.toStdString(), action.toStdString());
        if (then == "login refused")
            server.on("PASS", "230 Logged in").on("PASS", "530 Login incorrect.");
        else if (!then.isEmpty())
            server.on(verb.toStdString(), then == "again" ? listing : ActionFrom(then.toStdString()));
        QVERIFY(server.start());
        SetNetworkTimeoutMs(500);
        m_messages->answerNext(vbOK); // the command line finds no second connection
        m_harness->connectTo(server.port());
        const QStringList listed = names();
        m_messages->clear();
        m_messages->allowUnexpected(); // Yes to a question, OK to the answer
        if (command == "open")
            m_harness->doubleClickRemote(QStringLiteral("sub"));
        if (command.startsWith("delete")) {
            m_harness->clickRemote({command.section(' ', 1)});
            form().LastFocus = QStringLiteral("remote");
            form().DeleteSelection();
        }
        if (command == "rename") {
            m_harness->clickRemote({QStringLiteral("f.txt")});
            form().remote().BeginRemoteRename();
        }
        if (command == "new folder")
            form().remote().cmdMakeDir_Click();
        if (command == "rename" || command == "new folder")
            form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("n"));
        if (command == "refresh")
            form().remote().ListRemoteFiles();
        const QStringList texts = m_messages->texts();
        const bool asked = command.startsWith("delete");
        if (said == "-") {
            QCOMPARE(texts.size(), asked ? 1 : 0);
            QVERIFY(FtpSession.hConnect != 0 && names() == listed);
            QCOMPARE(form().lblDirectory->text(), QStringLiteral("/pub/"));
            QCOMPARE(form().StatusBar1->PanelText(1), QStringLiteral("Status:  Connected"));
        } else {
            QVERIFY(!texts.isEmpty());
            QVERIFY2(texts.last().contains(said.isEmpty() ? QStringLiteral("Connection has been terminated")
                                                          : said),
                     qPrintable(texts.last()));
            if (said.isEmpty())
                verifyNotConnected();
            else
                QVERIFY(FtpSession.hConnect != 0 && names() == listed);
        }
        // The one new login goes back to the folder the pane shows.
        const std::vector<std::string> sent = server.commands();
        const auto relogin =
            std::find(std::find(sent.begin(), sent.end(), "USER user") + 1, sent.end(), "USER user");
        QCOMPARE(relogin != sent.end(), said.isEmpty() || said == "-");
        QCOMPARE(int(std::count(sent.begin(), sent.end(), "USER user")), relogin != sent.end() ? 2 : 1);
        if (then != "login refused" && relogin != sent.end())
            QVERIFY(std::find(relogin, sent.end(), "CWD /pub/") != sent.end());
    }

    // An idle session and its command line each say NOOP now and then.
    void keepAlive() {
        FtpTestServer server;
        server.logCommands();
        TOVO_REQUIRE_SERVER(server);
        SetKeepAliveIntervalMs(100);
        const auto restore = qScopeGuard([] { SetKeepAliveIntervalMs(kKeepAliveIntervalMs); });
        m_harness->connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), *m_messages);
        const QRegularExpression noop(QStringLiteral(":(\\d+)-\\[user\\] <- NOOP"));
        const auto connectionsSaying = [&] {
            QSet<QString> ports;
            for (auto match = noop.globalMatch(QString::fromUtf8(server.log())); match.hasNext();)
                ports.insert(match.next().captured(1));
            return ports.size();
        };
        QTRY_COMPARE(connectionsSaying(), 2);
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

    void connectListsThenBrowses() {
        connectAs("pub");
        const ListView* list = form().lstRemoteFiles;
        // Folders in server order, then files by name regardless of case.
        QStringList folders = MainWindowHarness::RowTexts(list).mid(1, 2);
        folders.sort();
        QCOMPARE(folders, (QStringList{"My Folder", "b"}));
        QCOMPARE(MainWindowHarness::RowTexts(list).mid(3), (QStringList{"a.TXT", "B.txt"}));
        QCOMPARE(MainWindowHarness::RowTexts(list, 1), (QStringList{"", "", "", "0Kb", "5,242,881Kb"}));
        QCOMPARE(MainWindowHarness::RowTexts(list, 3).last(),
                 QStringLiteral("5368709632")); // what the queue sums
    }
};

QTEST_MAIN(RemotePaneTest)
#include "RemotePane_test.moc"
