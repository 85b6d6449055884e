#include "session/RemotePane.h"

#include "app/ListView.h"
#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"

#include <QDir>
#include <QFile>
#include <QtTest>

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
        for (const char* file : {"rename/old.txt"})
            m_server->writeFile(QString::fromLatin1(file), "o");
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

    void renameAccepted() {
        connectAs("rename");
        form().lstRemoteFiles->SetSelectedItem(
            form().lstRemoteFiles->Item(m_harness->remoteRow(QStringLiteral("old.txt"))));
        form().BeginRemoteRename();
        form().lstRemoteFiles->CommitLabelEdit(QStringLiteral("new name.txt"));
        QVERIFY(QFile::exists(m_server->path(QStringLiteral("rename/new name.txt"))));
    }

    void makeFolder() {
        connectAs("mkdir");
        form().cmdMakeDir_Click();
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
