#include "session/RemotePane.h"

#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QtTest>
#include <functional>
#include <memory>

// Browsing, renaming and making folders in the remote pane of the real window. Every test logs in
// as its own user, whose login folder is its own, on one server for the whole class.
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
        users.append({QStringLiteral("empty"), QStringLiteral("pw"), QStringLiteral("emptyhome"), {}});
        m_server = std::make_unique<FtpTestServer>(users);
        TOVO_REQUIRE_SERVER(*m_server);
        m_server->writeFile(QStringLiteral("browse/My Docs/inner.txt"), "x");
        m_server->writeFile(QStringLiteral("browse/top.txt"), "y");
        for (const char* file : {"rename/old.txt", "rename/gone.txt"})
            m_server->writeFile(QString::fromLatin1(file), "o");
        m_server->makeDir(QStringLiteral("mkdir/exists"));
        m_server->makeDir(QStringLiteral("disconnect"));
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
        QCOMPARE(form().lstRemoteFiles->Count(), 0);
    }
};

QTEST_MAIN(RemotePaneTest)
#include "RemotePane_test.moc"
