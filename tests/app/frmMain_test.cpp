#include "app/frmMain.h"

#include "app/ListView.h"
#include "app/PictureBox.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "commandline/frmCommands.h"
#include "help/CHelp.h"
#include "help/frmAbout.h"
#include "profiles/frmConnect.h"
#include "session/FtpSession.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QToolBar>
#include <QtTest>

namespace {

const QString ScreenAdvice = QStringLiteral("Tovo FTP Suggests a Minumum\r\nScreen Resolution of 800 x 600.");
int g_endCalls = 0;

frmAbout* openAboutBox() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* about = qobject_cast<frmAbout*>(widget); about && about->isVisible())
            return about;
    return nullptr;
}

} // namespace

class frmMainTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ClearScreenOverride(); }

    void startUpState() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        QCOMPARE(harness.splashCount(), 1);
        QVERIFY(form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral(" Tovo FTP"));
        QCOMPARE(form.StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
        QCOMPARE(form.StatusBar1->PanelText(2), QStringLiteral("Command Line:  No"));
        const QTime shown = QLocale().toTime(form.StatusBar1->PanelText(3), QLocale::ShortFormat);
        QVERIFY2(shown.isValid(), qPrintable(form.StatusBar1->PanelText(3)));
        QVERIFY(qAbs(shown.secsTo(QTime::currentTime())) < 120 ||
                qAbs(shown.secsTo(QTime::currentTime())) > 86000);
        QCOMPARE(form.LastFocus, QStringLiteral("Dir1"));
        QCOMPARE(form.RemoteCurrentDir, QString());
        QVERIFY(!form.CreatingRemoteFolder);
        QVERIFY(!form.Toolbar1->isHidden());
        QCOMPARE(form.lblDirectory->text(), QString());
        // Showing the window runs the resize handler, which runs the lines to the remote list's right edge.
        QCOMPARE(form.Line1->geometry().right(), form.lstRemoteFiles->geometry().right());
        QVERIFY(messages.calls().isEmpty());
    }

    void picturesAreLoaded() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        QVERIFY(!form.windowIcon().isNull());
        QCOMPARE(form.ImageList6.size(), 19);
        for (const QIcon& icon : form.ImageList6)
            QCOMPARE(icon.pixmap(16, 16).size(), QSize(16, 16));
        QCOMPARE(form.ImageList2.size(), 5);
        QCOMPARE(form.ImageList3.size(), 5);
        for (int index = 0; index < 5; ++index) {
            QVERIFY(!form.ImageList2[index].isNull());
            QVERIFY(form.ImageList2[index].pixmap(16, 16).toImage() !=
                    form.ImageList3[index].pixmap(16, 16).toImage());
        }
        // Each toolbar button shows its hot image under the pointer.
        const QIcon connect = form.Toolbar1->actions().first()->icon();
        QCOMPARE(connect.pixmap(16, 16, QIcon::Active).toImage(),
                 form.ImageList3[0].pixmap(16, 16).toImage().convertToFormat(
                     connect.pixmap(16, 16, QIcon::Active).toImage().format()));
        // The parent row of the remote list carries image 19.
        form.RefreshBothPanes();
        const QTreeWidgetItem* parent = form.lstRemoteFiles->Item(1);
        QCOMPARE(parent->icon(0).pixmap(16, 16).toImage(), form.ImageList6[18].pixmap(16, 16).toImage());
    }

    void screenAdviceOnlyAt640x480_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("twips");
        QTest::addColumn<bool>("advised");
        QTest::newRow("640x480") << 640 << 480 << 15 << true;
        QTest::newRow("800x600") << 800 << 600 << 15 << false;
        QTest::newRow("1024x768") << 1024 << 768 << 15 << false;
        QTest::newRow("640x480 at 12 twips") << 640 << 480 << 12 << false;
        QTest::newRow("smaller") << 320 << 240 << 15 << false;
    }
    void screenAdviceOnlyAt640x480() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, twips);
        QFETCH(bool, advised);
        OverrideScreen(width, height, twips);
        MsgBoxRecorder messages;
        if (advised)
            messages.answerNext(vbOK);
        MainWindowHarness harness;
        QCOMPARE(messages.texts(), advised ? QStringList{ScreenAdvice} : QStringList());
        if (advised) {
            QCOMPARE(messages.calls().first().title, QStringLiteral("Tovo FTP"));
            QCOMPARE(messages.calls().first().style, vbOKOnly | vbInformation);
            QCOMPARE(harness.splashCount(), 1); // start-up goes on
        }
    }

    void refreshWhileNotConnectedLeavesOnlyTheParentRow() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        form.Toolbar2->actions().first()->trigger();
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral(".^.")});
        form.RefreshBothPanes();
        QCOMPARE(harness.remoteNames(), QStringList{QStringLiteral(".^.")}); // emptied before listing
        QVERIFY(form.ListView1->Sorted());
    }

    void connectShowsTheDialogModallyEveryTime() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        QStringList shown;
        const ModalInterceptor previous = SetModalInterceptor(
            [&shown](QWidget* form) { shown.append(QString::fromLatin1(form->metaObject()->className())); });
        harness.form().mnuConnect->trigger();
        harness.form().Toolbar1->actions().first()->trigger();
        SetModalInterceptor(previous);
        QCOMPARE(shown, (QStringList{"frmConnect", "frmConnect"}));
    }

    void exitHidesTheCommandWindowAndEnds() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        frmMain& form = harness.form();
        frmMain::SetEndProcess([] { ++g_endCalls; });
        g_endCalls = 0;
        form.Commands->show();
        form.StatusBar1->SetPanelText(1, QStringLiteral("marker"));
        form.mnuExit->trigger();
        QCOMPARE(g_endCalls, 1);
        QVERIFY(!form.Commands->isVisible());
        QCOMPARE(form.StatusBar1->PanelText(1), QStringLiteral("Status:  No Connection"));
        QVERIFY(messages.calls().isEmpty());
        frmMain::SetEndProcess([] {});
    }

    void helpContentsOpensTheFileBesideTheProgram() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        QStringList opened;
        const CHelp::Opener previous =
            CHelp::SetOpener([&opened](const QString& target, std::optional<int>) { opened.append(target); });
        harness.form().mnuContents->trigger();
        QVERIFY(opened.isEmpty()); // no help file: nothing opens, nothing is said
        const QString help = harness.appPath() + QStringLiteral("/TovoHelp.chm");
        QFile file(help);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        harness.form().mnuContents->trigger();
        QCOMPARE(opened, QStringList{help});
        QVERIFY(messages.calls().isEmpty());
        CHelp::SetOpener(previous);
    }

    void aboutFromTheMenuStaysUntilClicked() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        harness.form().mnuAbout->trigger();
        QPointer<frmAbout> about = openAboutBox();
        QVERIFY(about);
        QVERIFY(!about->isModal());
        QVERIFY(!about->parentWidget());
        QVERIFY(!about->Timer1->isActive());
        QTest::mouseClick(about->Picture1, Qt::LeftButton);
        QVERIFY(!about->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(about.isNull(), 2000); // unloaded when closed
    }
};

QTEST_MAIN(frmMainTest)
#include "frmMain_test.moc"
