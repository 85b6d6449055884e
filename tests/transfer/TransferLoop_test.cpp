#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TestFiles.h"

#include <QtTest>
#include <sys/stat.h>

// The transfer loop never leaves the server a copy that looks complete when it is not.
class TransferLoopTest : public QObject {
    Q_OBJECT

private slots:
    void uploadFailuresNeverCompleteTheServerCopy_data() {
        QTest::addColumn<QString>("local");        // what happens to the local file
        QTest::addColumn<QStringList>("commands"); // STOR and ABOR sent
        QTest::newRow("gone before the upload") << QStringLiteral("gone") << QStringList();
        QTest::newRow("a named pipe") << QStringLiteral("pipe") << QStringList();
        QTest::newRow("shrinks while it is sent")
            << QStringLiteral("shrinks") << QStringList{"STOR up.bin", "ABOR"};
        QTest::newRow("upload cancelled") << QStringLiteral("cancel") << QStringList{"STOR up.bin", "ABOR"};
    }
    void uploadFailuresNeverCompleteTheServerCopy() {
        QFETCH(QString, local);
        ScriptedFtpServer server;
        QVERIFY(server.start());
        MainWindowHarness f;
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK); // the scripted server takes one control connection: no command line
        f.connectTo(server.port());
        boxes.clear();
        const QString path = f.localDir() + QStringLiteral("up.bin");
        QVERIFY(WriteFileBytes(path, QByteArray(32 << 20, 'u'))); // long enough to pump mid-file
        f.listLocal();
        f.clickLocal({QStringLiteral("up.bin")});
        if (local == QLatin1String("gone") || local == QLatin1String("pipe"))
            QFile::remove(path);
        if (local == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (local == QLatin1String("cancel"))
            boxes.answerNext(vbYes);
        bool acted = false;
        f.onPump([&] {
            if (!std::exchange(acted, true))
                local == QLatin1String("shrinks") ? void(QFile::resize(path, 0)) : f.form().cmdCancel_Click();
        });
        f.form().Picture2_Click();
        QStringList sent;
        for (const std::string& command : server.commands())
            if (command.starts_with("STOR") || command == "ABOR")
                sent << QString::fromStdString(command);
        QTEST(sent, "commands");
    }
};

QTEST_MAIN(TransferLoopTest)
#include "TransferLoop_test.moc"
