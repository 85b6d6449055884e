// The real main window: start-up, menus, resizing, names shown as typed, the session kept while busy.
#include "app/frmMain.h"

#include "app/ListView.h"
#include "app/PictureBox.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "commandline/frmCommands.h"
#include "help/CHelp.h"
#include "help/frmAbout.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"

#include <QtTest>
#include <QtWidgets>

namespace {
int g_endCalls = 0;
using Command = std::function<void(MainWindowHarness&)>;
// A toolbar button and its menu command, one after the other.
Command Both(QToolBar* frmMain::*bar, QAction* frmMain::*action) {
    return [=](MainWindowHarness& h) {
        (h.form().*bar)->actions().first()->trigger();
        (h.form().*action)->trigger();
    };
}
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
    void initTestCase() {
        QImage picture(400, 400, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(m_dir.filePath("big.png")));
        QDir::setCurrent(m_dir.path());
    }

    void screenAdviceOnlyAt640x480() {
        for (const auto& [width, height, twips, advised] : {std::tuple{640, 480, 15, true},
                                                            {800, 600, 15, false},
                                                            {640, 480, 12, false},
                                                            {320, 240, 15, false}}) {
            OverrideScreen(width, height, twips);
            MsgBoxRecorder messages;
            if (advised)
                messages.answerNext(vbOK);
            MainWindowHarness harness;
            QCOMPARE(messages.calls().size(), advised ? 1 : 0);
            QVERIFY(harness.splashCount() == 1 && harness.form().isVisible()); // start-up goes on either way
        }
        ClearScreenOverride();
    }

    void splashRunsModallyUntilItsTimerFiresAndAnyClickCloses() {
        frmAbout splash;
        QVERIFY(splash.Timer1->isActive());
        splash.Timer1->start(50); // the real seven seconds are not waited for here
        ShowModal(&splash);
        QVERIFY(!splash.isVisible() && !splash.Timer1->isActive());
        for (const char* part : {"Frame1", "Picture1", "Picture2"}) {
            frmAbout about;
            about.show();
            QVERIFY(QTest::qWaitForWindowExposed(&about));
            QTest::mouseClick(about.findChild<QWidget*>(part), Qt::LeftButton, {}, QPoint(3, 3));
            QVERIFY2(!about.isVisible(), part);
        }
    }

    void menuCommands() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        QStringList shown; // Connect shows the dialog modally every time
        const ModalInterceptor previous = SetModalInterceptor([&shown](QWidget* dialog) {
            shown.append(QString::fromLatin1(dialog->metaObject()->className()));
        });
        form.mnuConnect->trigger();
        form.Toolbar1->actions().first()->trigger();
        SetModalInterceptor(previous);
        QCOMPARE(shown, (QStringList{"frmConnect", "frmConnect"}));
        // Help opens the file beside the program; without it nothing opens and nothing is said.
        QStringList opened;
        const CHelp::Opener previousOpener =
            CHelp::SetOpener([&opened](const QString& target, std::optional<int>) { opened.append(target); });
        form.mnuContents->trigger();
        QVERIFY(opened.isEmpty());
        const QString help = harness.appPath() + "/TovoHelp.chm";
        QVERIFY(WriteFileBytes(help, {}));
        form.mnuContents->trigger();
        CHelp::SetOpener(previousOpener);
        QCOMPARE(opened, QStringList{help});
        // About from the menu is no splash: modeless, no timer, unloaded when clicked.
        form.mnuAbout->trigger();
        QPointer<frmAbout> about;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<frmAbout*>(widget); box && box->isVisible())
                about = box;
        QVERIFY(about && !about->isModal() && !about->Timer1->isActive());
        QTest::mouseClick(about->Picture1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(about.isNull(), 2000);
        frmMain::SetEndProcess([] { ++g_endCalls; }); // Exit hides the command window and ends
        form.Commands->show();
        form.mnuExit->trigger();
        frmMain::SetEndProcess([] {});
        QVERIFY(g_endCalls == 1 && !form.Commands->isVisible());
    }

    void resizeScalesControls() {
        MainWindowHarness window;
        frmMain& form = window.form();
        const QRect remote = form.lstRemoteFiles->geometry(), status = form.StatusBar1->geometry();
        form.resize(form.width() * 2, form.height());
        QVERIFY(qAbs(form.lstRemoteFiles->x() - 2 * remote.x()) <= 1);
        QVERIFY(qAbs(form.lstRemoteFiles->width() - 2 * remote.width()) <= 1);
        QCOMPARE(form.lstRemoteFiles->height(), remote.height());
        // The status bar is docked, never scaled.
        QVERIFY(form.StatusBar1->height() == status.height() &&
                form.StatusBar1->width() == form.Client->width());
        QCOMPARE(form.StatusBar1->geometry().bottom(), form.Client->height() - 1);
        // Too small snaps back, the controls scaled to the corrected size only.
        form.resize(200, 150);
        QVERIFY(form.width() > 200 && form.height() > 150);
        const QRect small = form.lstRemoteFiles->geometry();
        form.Form_Resize();
        QCOMPARE(form.lstRemoteFiles->geometry(), small);
        form.setWindowState(Qt::WindowMinimized); // neither clamped nor scaled
        form.resize(100, 100);
        QCOMPARE(form.lstRemoteFiles->geometry(), small);
    }

    void normalPanelLayoutReturnsToTheStartHeight() {
        MainWindowHarness window;
        frmMain& form = window.form();
        const double startHeight = form.FormHeight();
        form.resize(form.width(), form.height() + 60); // the user changed it meanwhile
        const QRect remote = form.lstRemoteFiles->geometry();
        form.ShowPanelNormal();
        QVERIFY(form.cmdCancel->geometry().bottom() < form.StatusBar1->y());
        QCOMPARE(form.lstRemoteFiles->geometry(), remote); // not scaled
        form.HidePanelNormal();
        QVERIFY(form.FormHeight() == startHeight && !form.SkipNextResize);
    }

    void maximisedPanelLayoutRoundTrip() {
        MainWindowHarness window;
        frmMain& form = window.form();
        form.showMaximized();
        QVERIFY(QTest::qWaitFor([&] { return form.isMaximized(); }, 2000));
        QTest::qWait(50);
        const QList<QWidget*> controls{form.Toolbar1, form.Toolbar2, form.lstRemoteFiles, form.ListView1,
                                       form.Label16};
        QList<QRect> before;
        for (QWidget* control : controls)
            before.append(control->geometry());
        form.ShowPanelMaximized();
        QVERIFY(!form.Picture1->isVisible() && form.lstRemoteFiles->height() < before[2].height());
        QVERIFY(form.Label16->geometry().bottom() < form.StatusBar1->y());
        form.HidePanelMaximized();
        QVERIFY(form.Picture1->isVisible() && form.Picture2->isVisible() && !form.SkipNextResize);
        for (qsizetype i = 0; i < controls.size(); ++i)
            QVERIFY(qAbs(controls[i]->y() - before[i].y()) <= 1 &&
                    qAbs(controls[i]->height() - before[i].height()) <= 1);
    }
    // Markup in a name is never rendered and an image tag never reads a file.
    void namesShowAsTyped_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"a<b>c", "<img src=big.png>", "<i>x&amp;y"})
            QTest::newRow(name) << QString(name);
    }
    void namesShowAsTyped() {
        QFETCH(QString, name);
        FtpTestServer server;
        server.makeDir(name);
        TOVO_REQUIRE_SERVER(server);
        MainWindowHarness h;
        {
            MsgBoxRecorder messages;
            h.connectOk(server, "user", "secret", messages);
            h.doubleClickRemote(name);
        }
        frmMain& form = h.form();
        QCOMPARE(form.lblDirectory->text(), '/' + name + '/');
        QVERIFY(ShowsAsTyped(form.lblDirectory));
        for (QLabel* label : form.findChildren<QLabel*>()) { // any label or status panel may quote a name
            if (!qobject_cast<PictureBox*>(label)) {
                label->setText("Downloading File: " + name);
                QVERIFY2(ShowsAsTyped(label), qPrintable(label->objectName()));
            }
        }
        bool boxShowsAsTyped = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            boxShowsAsTyped = ShowsAsTyped(box->findChild<QLabel*>("qt_msgbox_label"));
            box->accept();
        });
        MsgBox("Are you sure you want to delete directory: " + name, vbOKOnly);
        QVERIFY(boxShowsAsTyped);
    }

    // While a download holds the session, every command that would use it does nothing; the transfer
    // ends whole and the remote pane keeps its folder.
    void sessionCommandsWaitForTheTransfer_data() {
        QTest::addColumn<Command>("command");
        QTest::newRow("open a folder") << Command([](MainWindowHarness& h) { h.doubleClickRemote("inner"); });
        QTest::newRow("parent row") << Command([](MainWindowHarness& h) { h.doubleClickRemote(".^."); });
        QTest::newRow("New Folder") << Command([](MainWindowHarness& h) {
            h.form().cmdMakeDir->click();
            h.form().mnuLocalNewFolder->trigger();
        });
        QTest::newRow("Refresh") << Both(&frmMain::Toolbar2, &frmMain::mnuLocalRefresh);
        QTest::newRow("Rename") << Both(&frmMain::Toolbar4, &frmMain::mnuLocalRename);
        QTest::newRow("Delete") << Both(&frmMain::Toolbar3, &frmMain::mnuLocalDelete);
        QTest::newRow("Connect") << Both(&frmMain::Toolbar1, &frmMain::mnuConnect);
        QTest::newRow("Disconnect") << Both(&frmMain::Toolbar5, &frmMain::mnuDisconnect);
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
        const QStringList listed = h.remoteNames();
        h.clickRemote({"file.bin"});
        int modals = 0;
        const ModalInterceptor previous = SetModalInterceptor([&](QWidget* dialog) {
            ++modals;
            dialog->close();
        });
        h.onPump([&] {
            if (form.TransferHandle != 0) {
                h.onPump({});
                command(h);
            }
        });
        messages.answerNext(vbOK);
        form.Picture1_Click();
        SetModalInterceptor(previous);
        QCOMPARE(messages.texts(), QStringList{"Data transfer completed."});
        QCOMPARE(ReadFileBytes(h.localDir() + "file.bin"), content);
        QVERIFY(modals == 0 && FtpSession.hConnect != 0);
        QVERIFY(form.lblDirectory->text() == "/sub/" && form.RemoteCurrentDir == "/sub/");
        QCOMPARE(h.remoteNames(), listed);
        for (const QLineEdit* editor : form.lstRemoteFiles->findChildren<QLineEdit*>())
            QVERIFY2(!editor->isVisible(), "a label edit was started");
        QVERIFY(QFileInfo(server.path("sub/file.bin")).isFile());
    }
};

QTEST_MAIN(frmMainTest)
#include "frmMain_test.moc"
