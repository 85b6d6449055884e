// The real main window: names shown as typed, the session kept while a transfer holds it, the
// transfer settings kept, and the menus, buttons and drops reaching the transfers with the panes' data.
#include "app/frmMain.h"

#include "local/LocalPane.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "tests/support/ExistsAnswerer.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"
#include "toolkit/DirListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/PictureBox.h"
#include "transfer/QueueView.h"
#include "transfer/Transfers.h"

#include <QtTest>
#include <QtWidgets>

namespace {
using Command = std::function<void(MainWindowHarness&)>;
// Rendered markup is narrower than its source text on one line; an image makes the label tall.
bool ShowsAsTyped(QLabel* label) {
    label->setWordWrap(false);
    const QSize hint = label->sizeHint();
    return hint.height() < 100 &&
           hint.width() >= QFontMetrics(label->font()).horizontalAdvance(label->text());
}

QStringList g_calls; // what reached the transfers, "L/" standing for the local pane's folder

// A drag arriving over a list and let go there, as the platform delivers it.
void DropOn(QAbstractItemView* list, QMimeData* data, QPoint at) {
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &drop);
    delete data;
}
QPoint RowCentre(MainWindowHarness& h, const QString& name) {
    return h.form().lstRemoteFiles->ItemRect(h.form().lstRemoteFiles->Item(h.remoteRow(name))).center();
}
QPoint FolderRow(DirListBox* tree, const char* name) {
    for (int row = 0; row < tree->count(); ++row)
        if (DirListBox::EntryPath(tree->item(row)).ends_with(std::string("/") + name))
            return tree->visualItemRect(tree->item(row)).center();
    return {};
}
QPoint Below(QAbstractItemView* list) {
    return {5, list->viewport()->height() - 3};
}
} // namespace

class frmMainTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir; // the current folder, where a relative image tag would look

private slots:
    // Markup in a name is never rendered and an image tag never reads a file.
    void namesShowAsTyped_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"a<b>c", "<img src=big.png>"})
            QTest::newRow(name) << QString(name);
    }
    void namesShowAsTyped() {
        QFETCH(QString, name);
        QImage picture(400, 400, QImage::Format_RGB32);
        QVERIFY(picture.save(m_dir.filePath("big.png")) && QDir::setCurrent(m_dir.path()));
        FtpTestServer server;
        server.makeDir(name);
        TOVO_REQUIRE_SERVER(server);
        MainWindowHarness h;
        {
            MsgBoxRecorder messages;
            h.connectOk(server, "user", "secret", messages);
            h.doubleClickRemote(name);
        }
        for (QLabel* label : h.form().findChildren<QLabel*>()) { // any label or status panel may quote a name
            if (!qobject_cast<PictureBox*>(label)) {
                label->setText("Downloading File: " + name);
                QVERIFY2(ShowsAsTyped(label), qPrintable(label->objectName()));
            }
        }
        bool boxShowsAsTyped = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            boxShowsAsTyped = box && ShowsAsTyped(box->findChild<QLabel*>("qt_msgbox_label"));
            box->accept();
        });
        MsgBox("Are you sure you want to delete directory: " + name, vbOKOnly);
        QVERIFY(boxShowsAsTyped);
    }

    // While a download holds the session, a command that would use it does nothing; the transfer ends
    // whole and the remote pane keeps its folder.
    void sessionCommandsWaitForTheTransfer_data() {
        QTest::addColumn<Command>("command");
        QTest::newRow("open a folder") << Command([](MainWindowHarness& h) { h.doubleClickRemote("inner"); });
        QTest::newRow("Delete") << Command([](MainWindowHarness& h) { h.form().mnuLocalDelete->trigger(); });
        QTest::newRow("Disconnect") << Command(
            [](MainWindowHarness& h) { h.form().mnuDisconnect->trigger(); });
    }
    void sessionCommandsWaitForTheTransfer() {
        QFETCH(Command, command);
        FtpTestServer server;
        const QByteArray content = RandomBytes(300 * 1024 + 5, 3);
        server.writeFile("sub/file.bin", content);
        server.makeDir("sub/inner");
        TOVO_REQUIRE_SERVER(server);
        MainWindowHarness h;
        MsgBoxRecorder messages;
        h.connectOk(server, "user", "secret", messages);
        h.doubleClickRemote("sub");
        frmMain& form = h.form();
        h.clickRemote({"file.bin"});
        h.onPump([&] {
            if (form.transfers().TransferHandle != 0) {
                h.onPump({});
                command(h);
            }
        });
        messages.answerNext(vbOK);
        form.transfers().Picture1_Click();
        QCOMPARE(ReadFileBytes(h.localDir() + "file.bin"), content);
        QVERIFY(FtpSession.hConnect != 0 && form.remote().CurrentDir() == "/sub/");
        QVERIFY(QFileInfo(server.path("sub/file.bin")).isFile());
    }

    // The settings are read at start and saved when changed; the Ask setting's question goes to the dialog.
    void transferSettingsPersist() {
        MainWindowHarness h;
        frmMain& form = h.form();
        QVERIFY(form.mnuExistsReplace->isChecked() && form.mnuKeepTimes->isChecked());
        form.mnuExistsAsk->trigger();
        form.mnuKeepTimes->trigger();
        QCOMPARE(int(form.transfers().options().whenExists), int(WhenExists::Ask));
        QVERIFY(!form.transfers().options().keepTimes);
        frmMain again;
        QVERIFY(again.mnuExistsAsk->isChecked() && !again.mnuKeepTimes->isChecked());
        QVERIFY(again.transfers().options().whenExists == WhenExists::Ask &&
                !again.transfers().options().keepTimes);
        ExistsAnswerer answerer;
        answerer.answerNext(ExistsAction::KeepBoth);
        QCOMPARE(int(again.transfers().askExists({"a", {}, {}, false}).action), int(ExistsAction::KeepBoth));
    }

    void reachesTheTransfers_data() {
        QTest::addColumn<Command>("gesture");
        QTest::addColumn<QString>("calls");
        const auto remoteDrag = [](MainWindowHarness& h, const QStringList& rows) {
            h.clickRemote(rows);
            return h.form().lstRemoteFiles->DragDrop().dragData();
        };
        QTest::newRow("remote rows onto the file list") << Command([=](MainWindowHarness& h) {
            DropOn(h.form().ListView1, remoteDrag(h, {"a.txt", "b.txt"}), {5, 5});
        }) << "down a.txt,b.txt / L/";
        QTest::newRow("remote row onto a tree folder") << Command([=](MainWindowHarness& h) {
            DropOn(h.form().Dir1, remoteDrag(h, {"sub"}), FolderRow(h.form().Dir1, "inner"));
        }) << "down sub / L/inner/";
        QTest::newRow("remote row below the tree's folders") << Command([=](MainWindowHarness& h) {
            DropOn(h.form().Dir1, remoteDrag(h, {"a.txt"}), Below(h.form().Dir1));
        }) << "down a.txt / L/";
        QTest::newRow("remote rows onto the remote list") << Command([=](MainWindowHarness& h) {
            DropOn(h.form().lstRemoteFiles, remoteDrag(h, {"a.txt"}), Below(h.form().lstRemoteFiles));
        }) << "";
        QTest::newRow("without a session") << Command([=](MainWindowHarness& h) {
            QMimeData* data = remoteDrag(h, {"a.txt"});
            h.form().remote().EndSession();
            DropOn(h.form().ListView1, data, {5, 5});
        }) << "";
        QTest::newRow("local file onto the remote list") << Command([](MainWindowHarness& h) {
            h.clickLocal({"x.txt"});
            DropOn(h.form().lstRemoteFiles, h.form().ListView1->DragDrop().dragData(),
                   Below(h.form().lstRemoteFiles));
        }) << "up L/x.txt /";
        QTest::newRow("local file onto a remote folder row") << Command([](MainWindowHarness& h) {
            h.clickRemote({"a.txt"});
            h.clickLocal({"x.txt"});
            DropOn(h.form().lstRemoteFiles, h.form().ListView1->DragDrop().dragData(), RowCentre(h, "sub"));
            QCOMPARE(h.form().remote().SelectedEntries().at(0).name, "a.txt"); // the user's selection kept
        }) << "up L/x.txt /sub/";
        QTest::newRow("tree folder onto the remote list") << Command([](MainWindowHarness& h) {
            DirListBox* tree = h.form().Dir1;
            tree->setCurrentItem(tree->itemAt(FolderRow(tree, "inner")));
            DropOn(h.form().lstRemoteFiles, tree->DragDrop().dragData(), Below(h.form().lstRemoteFiles));
        }) << "up L/inner /";
        QTest::newRow("desktop files onto the remote list") << Command([](MainWindowHarness& h) {
            auto* data = new QMimeData;
            data->setUrls({QUrl::fromLocalFile(h.localDir() + "x.txt"), QUrl("http://127.0.0.1/y")});
            DropOn(h.form().lstRemoteFiles, data, Below(h.form().lstRemoteFiles));
        }) << "up L/x.txt /";
        QTest::newRow("Transfer > Upload folder")
            << Command([](MainWindowHarness& h) { h.form().mnuUploadFolder->trigger(); }) << "folder";
        QTest::newRow("upload button, tree used last") << Command([](MainWindowHarness& h) {
            h.form().LastFocus = "Dir1";
            QTest::mouseClick(h.form().Picture2, Qt::LeftButton);
        }) << "folder";
        QTest::newRow("Retry failed in the one queue window") << Command([](MainWindowHarness& h) {
            h.form().mnuQueue->trigger();
            h.form().mnuQueue->trigger();
            QCOMPARE(h.form().findChildren<QueueView*>().size(), 1);
            h.form().transfers().queue().add(TransferItem{});
            h.form().transfers().queue().setState(0, ItemState::Failed, "x");
            QTest::mouseClick(h.form().Queue->cmdRetryFailed, Qt::LeftButton);
        }) << "retry";
    }
    void reachesTheTransfers() {
        QFETCH(Command, gesture);
        QFETCH(QString, calls);
        FtpTestServer server;
        server.writeFile("a.txt", "a");
        server.writeFile("b.txt", "b");
        server.makeDir("sub");
        TOVO_REQUIRE_SERVER(server);
        MainWindowHarness h;
        QVERIFY(WriteFileBytes(h.localDir() + "x.txt", "x") && QDir(h.localDir()).mkdir("inner"));
        h.listLocal();
        h.form().Dir1->resize(h.form().Dir1->width(), 600); // room below the folders
        MsgBoxRecorder messages;
        h.connectOk(server, "user", "secret", messages);
        g_calls.clear();
        const auto local = [&](const std::string& path) {
            return QString::fromStdString(path).replace(h.localDir(), "L/");
        };
        const auto joined = [&](const auto& items, auto text) {
            QStringList parts;
            for (const auto& item : items)
                parts << text(item);
            return parts.join(',');
        };
        frmMain::TransferCommands& commands = h.form().TransferCalls;
        commands.downloadEntries = [&](const std::vector<RemoteEntry>& entries, const std::string& remoteDir,
                                       const std::string& localDir) {
            g_calls << "down " +
                           joined(entries,
                                  [](const RemoteEntry& e) { return QString::fromStdString(e.name); }) +
                           ' ' + QString::fromStdString(remoteDir) + ' ' + local(localDir);
        };
        commands.uploadPaths = [&](const std::vector<std::string>& paths, const std::string& remoteDir) {
            g_calls << "up " + joined(paths, local) + ' ' + QString::fromStdString(remoteDir);
        };
        commands.uploadFolder = [] { g_calls << "folder"; };
        commands.retryFailed = [] { g_calls << "retry"; };
        gesture(h);
        QCOMPARE(g_calls.join('|'), calls);
    }
};

QTEST_MAIN(frmMainTest)
#include "frmMain_test.moc"
