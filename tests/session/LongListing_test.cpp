#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "session/NeededSubs.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"

#include <QLabel>
#include <QtTest>

class LongListingTest : public QObject {
    Q_OBJECT
private slots:
    // A name of 300 bytes reaches its row whole, in a folder whose path is longer than 255 bytes;
    // the server's "." and ".." are not shown as folders.
    void longNamesAndPathsStayWholeWithoutDotFolders() {
        const QString name = QString(150, QChar(0xE9)); // 300 bytes of UTF-8
        const std::string dir = "/" + std::string(280, 'd') + "/";
        const std::string file = "-rw-r--r-- 1 o g 3 Jan 5 2020 " + name.toStdString() + "\r\n";
        ScriptedFtpServer server;
        server.on("PWD", "257 \"" + dir + "\" is the current directory");
        server.on("LIST",
                  Transfer("drwxr-xr-x 2 o g 1 Jan 5 2020 .\r\ndrwxr-xr-x 2 o g 1 Jan 5 2020 ..\r\n" + file));
        QVERIFY(server.start());
        MainWindowHarness harness;
        MsgBoxRecorder messages;
        messages.answerNext(vbOK); // the scripted server takes one control connection: no command line
        harness.connectTo(server.port());
        const QStringList names = harness.remoteNames();
        QCOMPARE(names.size(), 2); // the parent row and the file
        QCOMPARE(names.last(), name);
        QCOMPARE(harness.form().lblDirectory->text(), QString::fromStdString(dir));

        // A cut listing says so in the status bar until a listing is shown whole again.
        const QString connected = harness.form().StatusBar1->PanelText(1);
        ShowListingLimit(harness.form(), 1'000'000, 5);
        QVERIFY(harness.form().StatusBar1->PanelText(1).contains(QStringLiteral("1,000,000")));
        ShowListingLimit(harness.form(), 2, 0);
        QCOMPARE(harness.form().StatusBar1->PanelText(1), connected);
    }
};

QTEST_MAIN(LongListingTest)
#include "LongListing_test.moc"
