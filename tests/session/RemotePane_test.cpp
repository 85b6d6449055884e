#include "session/RemotePane.h"

#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QtTest>
#include <memory>

namespace {

const QString NewFolderError =
    QStringLiteral("Error trying to create directory.  Make sure you are connected and "
                   "that your servers is properly configured.");

FtpTestServer::User user(const QString& start = QString()) {
    return {QStringLiteral("user"), QStringLiteral("secret"), QString(), start};
}

void selectRemote(MainWindowHarness& harness, const QString& name) {
    ListView* list = harness.form().lstRemoteFiles;
    QTreeWidgetItem* item = list->Item(harness.remoteRow(name));
    QVERIFY(item);
    list->ClearSelectedItem();
    list->SetSelectedItem(item);
}

// A main window logged in to the server as "user"; most tests start here.
struct Connected {
    MsgBoxRecorder messages;
    MainWindowHarness harness;
    frmMain& form = harness.form();
    explicit Connected(const FtpTestServer& server) {
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
    }
};

} // namespace

class RemotePaneTest : public QObject {
    Q_OBJECT
private slots:
    void doubleClickIntoFolderWithBlanksAndBackUp() {
        FtpTestServer server({user(QStringLiteral("/pub"))});
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("pub/My Docs/inner.txt"), "x");
        server.writeFile(QStringLiteral("pub/top.txt"), "y");
        Connected connected(server);
        auto& [messages, harness, form] = connected;

        harness.doubleClickRemote(QStringLiteral("top.txt")); // a file: nothing happens
        QCOMPARE(form.lblDirectory->text(), QStringLiteral("/pub/"));
        QCOMPARE(harness.remoteNames(), (QStringList{".^.", "My Docs", "top.txt"}));

        harness.doubleClickRemote(QStringLiteral("My Docs"));
        QCOMPARE(form.lblDirectory->text(), QStringLiteral("/pub/My Docs/"));
        QCOMPARE(form.RemoteCurrentDir, QStringLiteral("/pub/My Docs/"));
        QCOMPARE(harness.remoteNames(), (QStringList{".^.", "inner.txt"}));

        harness.doubleClickRemote(QStringLiteral(".^."));
        QCOMPARE(form.RemoteCurrentDir, QStringLiteral("/pub/"));
        QCOMPARE(form.lblDirectory->text(), QStringLiteral("/pub/"));
        QCOMPARE(harness.remoteNames(), (QStringList{".^.", "My Docs", "top.txt"}));
        QVERIFY(!form.lstRemoteFiles->SelectedItem());

        harness.doubleClickRemote(QStringLiteral(".^."));
        QCOMPARE(form.RemoteCurrentDir, QStringLiteral("/"));
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral("pub")});
        QVERIFY(messages.calls().isEmpty());
    }

    void goingUpFromTheRootOrARelativePathEndsAtTheRoot_data() {
        QTest::addColumn<QString>("known");
        QTest::newRow("root") << "/";
        QTest::newRow("no leading slash") << "pub/";
    }
    void goingUpFromTheRootOrARelativePathEndsAtTheRoot() {
        QFETCH(QString, known);
        FtpTestServer server({user(QStringLiteral("/pub"))});
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("pub"));
        Connected connected(server);
        auto& [messages, harness, form] = connected;
        harness.form().RemoteCurrentDir = known;
        harness.form().NavigateRemoteUp();
        QCOMPARE(harness.form().RemoteCurrentDir, QStringLiteral("/"));
        QCOMPARE(harness.form().lblDirectory->text(), QStringLiteral("/"));
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral("pub")});
    }

    void itemClickBookkeeping() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("dir one"));
        server.writeFile(QStringLiteral("a.txt"), "a");
        server.writeFile(QStringLiteral("b.txt"), "b");
        Connected connected(server);
        auto& [messages, harness, form] = connected;
        ListView* list = form.lstRemoteFiles;
        const auto click = [&](const QString& name, Qt::KeyboardModifiers modifiers = {}) {
            QTreeWidgetItem* item = list->Item(harness.remoteRow(name));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                              list->visualItemRect(item).center());
        };
        click(QStringLiteral("a.txt"));
        QVERIFY(form.RemoteItemSelected);
        QCOMPARE(SelectedRemoteFolder, QString());
        click(QStringLiteral("b.txt"), Qt::ShiftModifier);
        QCOMPARE(list->selectedItems().size(), 2);
        click(QStringLiteral("dir one"));
        QCOMPARE(SelectedRemoteFolder, QStringLiteral("/dir one/"));
        QCOMPARE(list->selectedItems().size(), 1);
        QVERIFY(!list->MultiSelect());
        QCOMPARE(form.LastFocus, QStringLiteral("remote"));
        // The folder choice outlives a disconnect.
        form.mnuDisconnect_Click();
        QCOMPARE(SelectedRemoteFolder, QStringLiteral("/dir one/"));
    }

    void renameAcceptedAndRefused() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("old.txt"), "o");
        server.writeFile(QStringLiteral("other.txt"), "t");
        Connected connected(server);
        auto& [messages, harness, form] = connected;

        selectRemote(harness, QStringLiteral("old.txt"));
        form.BeginRemoteRename();
        QVERIFY(form.lstRemoteFiles->IsEditingLabel());
        form.lstRemoteFiles->CommitLabelEdit(QStringLiteral("new name.txt"));
        QVERIFY(QFile::exists(server.path(QStringLiteral("new name.txt"))));
        QCOMPARE(harness.remoteNames(), (QStringList{"new name.txt", "other.txt"}));
        QVERIFY(messages.calls().isEmpty());

        // Renaming onto a missing source is refused by the server.
        QFile::remove(server.path(QStringLiteral("other.txt")));
        selectRemote(harness, QStringLiteral("other.txt"));
        form.BeginRemoteRename();
        messages.answerNext(vbOK);
        form.lstRemoteFiles->CommitLabelEdit(QStringLiteral("renamed.txt"));
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Error renaming file!")});
        QCOMPARE(messages.calls().first().title, QStringLiteral("Error"));
        QCOMPARE(messages.calls().first().style, vbOKOnly | vbExclamation);
        // Reloaded from the server: no row carries the refused name.
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral("new name.txt")});
    }

    void makeDirBelowTheParentRow() {
        FtpTestServer server({user(QStringLiteral("/pub"))});
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("pub/z.txt"), "z");
        Connected connected(server);
        auto& [messages, harness, form] = connected;
        form.cmdMakeDir_Click();
        QVERIFY(form.CreatingRemoteFolder);
        QCOMPARE(harness.remoteNames(), (QStringList{".^.", "New Folder", "z.txt"}));
        QCOMPARE(ListView::Text(form.lstRemoteFiles->SelectedItem()), QStringLiteral("New Folder"));
        form.lstRemoteFiles->CommitLabelEdit(QStringLiteral("made here"));
        QVERIFY(!form.CreatingRemoteFolder);
        QVERIFY(QFileInfo(server.path(QStringLiteral("pub/made here"))).isDir());
        QCOMPARE(harness.remoteNames(), (QStringList{".^.", "made here", "z.txt"}));
        QVERIFY(messages.calls().isEmpty());
    }

    void makeDirAtTheRootWithOneEntryAndRefused() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("exists"));
        Connected connected(server);
        auto& [messages, harness, form] = connected;
        form.cmdMakeDir_Click();
        QCOMPARE(harness.remoteNames(), (QStringList{"exists", "New Folder"}));
        messages.answerNext(vbOK);
        form.lstRemoteFiles->CommitLabelEdit(QStringLiteral("exists")); // already there: refused
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Action Failed!")});
        QCOMPARE(messages.calls().first().title, QStringLiteral("ERROR!"));
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral("exists")});
        QVERIFY(form.Text1->hasFocus());
    }

    void makeDirWithAnEmptyRootThenRenameStaysARename() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        Connected connected(server);
        auto& [messages, harness, form] = connected;
        QCOMPARE(form.lstRemoteFiles->Count(), 0);
        messages.answerNext(vbOK);
        form.cmdMakeDir_Click();
        QCOMPARE(messages.texts(), QStringList{NewFolderError});
        QCOMPARE(messages.calls().first().title, QStringLiteral("Error Creating New Directory"));
        QCOMPARE(messages.calls().first().style, vbOKOnly | vbInformation);
        QVERIFY(!form.CreatingRemoteFolder);

        // The next label edit renames instead of creating a folder.
        server.writeFile(QStringLiteral("file.txt"), "f");
        form.RefreshBothPanes();
        selectRemote(harness, QStringLiteral("file.txt"));
        form.BeginRemoteRename();
        form.lstRemoteFiles->CommitLabelEdit(QStringLiteral("moved.txt"));
        QVERIFY(QFile::exists(server.path(QStringLiteral("moved.txt"))));
        QVERIFY(!QFileInfo::exists(server.path(QStringLiteral("moved.txt/"))) ||
                !QFileInfo(server.path(QStringLiteral("moved.txt"))).isDir());
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral("moved.txt")});
    }

    void makeDirWithoutConnection() {
        MsgBoxRecorder messages;
        messages.answerNext(vbOK);
        MainWindowHarness harness;
        harness.form().cmdMakeDir_Click();
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("No Connection")});
        QCOMPARE(messages.calls().first().title, QStringLiteral("Tovo FTP"));
        QCOMPARE(messages.calls().first().style, int(vbOKOnly));
        QVERIFY(!harness.form().CreatingRemoteFolder);
    }

    void escapeOnNewFolderCreatesNothing() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("a.txt"), "a");
        Connected connected(server);
        auto& [messages, harness, form] = connected;
        form.cmdMakeDir_Click();
        const auto editors = form.lstRemoteFiles->viewport()->findChildren<QLineEdit*>();
        QCOMPARE(editors.size(), 1);
        QTest::keyClick(editors.first(), Qt::Key_Escape);
        QVERIFY(!form.CreatingRemoteFolder);
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(QDir(server.root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
    }

    void disconnectTwice() {
        FtpTestServer server({user(QStringLiteral("/pub"))});
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("pub"));
        Connected connected(server);
        auto& [messages, harness, form] = connected;
        form.Toolbar5_ButtonClick();
        QCOMPARE(FtpSession.hInternet, HINTERNET(0));
        QCOMPARE(FtpSession.hConnect, HINTERNET(0));
        QCOMPARE(form.StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
        QCOMPARE(form.StatusBar1->PanelText(2), QStringLiteral("Command Line:  No"));
        QVERIFY(!form.Toolbar1->isHidden());
        QCOMPARE(form.lstRemoteFiles->Count(), 0);
        QCOMPARE(form.lblDirectory->text(), QString());
        QCOMPARE(form.RemoteCurrentDir, QStringLiteral("/pub/")); // kept
        // The second does nothing at all.
        form.StatusBar1->SetPanelText(1, QStringLiteral("marker"));
        form.mnuDisconnect_Click();
        QCOMPARE(form.StatusBar1->PanelText(1), QStringLiteral("marker"));
        QVERIFY(messages.calls().isEmpty());
    }

    void lostConnectionIsReportedWhenGoingUp() {
        auto server =
            std::make_unique<FtpTestServer>(QList<FtpTestServer::User>{user(QStringLiteral("/pub"))});
        TOVO_REQUIRE_SERVER(*server);
        server->makeDir(QStringLiteral("pub/sub"));
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        harness.connectOk(*server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        server.reset(); // the server goes away
        harness.doubleClickRemote(QStringLiteral("sub"));
        QCOMPARE(form.RemoteCurrentDir, QString());
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral(".^.")});
        messages.answerNext(vbOK);
        harness.doubleClickRemote(QStringLiteral(".^."));
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Error!  Connection has been terminated")});
        QCOMPARE(messages.calls().first().title, QStringLiteral("Connection Terminated"));
        QCOMPARE(messages.calls().first().style, vbOKOnly | vbCritical);
        QCOMPARE(FtpSession.hInternet, HINTERNET(0));
        QCOMPARE(form.StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
        QCOMPARE(form.lstRemoteFiles->Count(), 0);
    }

    void popupMenuOnlyWhenConnected() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        form.lstRemoteFiles_MouseDown(2, 0, 10, 10);
        QVERIFY(!form.mnuLocal->isVisible());
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        form.lstRemoteFiles_MouseDown(1, 0, 10, 10);
        QVERIFY(!form.mnuLocal->isVisible());
        QTest::mousePress(form.lstRemoteFiles->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(form.mnuLocal->isVisible());
        form.mnuLocal->hide();
    }

    void columnClickKeepsTheListingOrder() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("zdir"));
        server.writeFile(QStringLiteral("a.txt"), "a");
        Connected connected(server);
        auto& [messages, harness, form] = connected;
        harness.form().lstRemoteFiles_ColumnClick(1);
        QCOMPARE(harness.remoteNames(), (QStringList{"zdir", "a.txt"}));
        QCOMPARE(harness.form().lstRemoteFiles->SortKey(), 0);
    }
};

QTEST_MAIN(RemotePaneTest)
#include "RemotePane_test.moc"
