// The main window's start-up and menu commands: splash, screen advice, connect dialog, help, About
// and exit.
#include "app/frmMain.h"

#include "app/PictureBox.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "commandline/frmCommands.h"
#include "help/CHelp.h"
#include "help/frmAbout.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QToolBar>
#include <QtTest>

namespace {
int g_endCalls = 0;
}

class frmMainTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ClearScreenOverride(); }

    void screenAdviceOnlyAt640x480_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("twips");
        QTest::addColumn<bool>("advised");
        QTest::newRow("640x480") << 640 << 480 << 15 << true;
        QTest::newRow("800x600") << 800 << 600 << 15 << false;
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
        QCOMPARE(messages.calls().size(), advised ? 1 : 0);
        QCOMPARE(harness.splashCount(), 1); // start-up goes on either way
        QVERIFY(harness.form().isVisible());
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
        form.Commands->show();
        form.mnuExit->trigger();
        QCOMPARE(g_endCalls, 1);
        QVERIFY(!form.Commands->isVisible());
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
        QVERIFY(WriteFileBytes(help, {}));
        harness.form().mnuContents->trigger();
        QCOMPARE(opened, QStringList{help});
        CHelp::SetOpener(previous);
    }

    void aboutFromTheMenuStaysUntilClicked() {
        MsgBoxRecorder messages;
        MainWindowHarness harness;
        harness.form().mnuAbout->trigger();
        QPointer<frmAbout> about;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<frmAbout*>(widget); box && box->isVisible())
                about = box;
        QVERIFY(about && !about->isModal() && !about->Timer1->isActive());
        QTest::mouseClick(about->Picture1, Qt::LeftButton);
        QVERIFY(!about->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(about.isNull(), 2000); // unloaded when closed
    }
};

QTEST_MAIN(frmMainTest)
#include "frmMain_test.moc"
