// The real main window: names shown as typed, the session kept while a transfer holds it.
#include "app/frmMain.h"

#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"
#include "toolkit/PictureBox.h"
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
};

QTEST_MAIN(frmMainTest)
#include "frmMain_test.moc"
