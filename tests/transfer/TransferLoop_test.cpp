#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TransferFixture.h"
#include "transfer/TransferQueue.h"

#include <QtTest>
#include <sys/stat.h>

// The transfer loop never leaves the server a copy that looks complete when it is not, and its byte
// sums stop at the greatest value.
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
        TransferFixture f;
        QVERIFY(f.connect(server.port()));
        const QString path = f.localDir() + QStringLiteral("up.bin");
        f.writeLocal(QStringLiteral("up.bin"), QByteArray(3 << 20, 'u')); // past the reader's buffer
        f.armUpload(f.addLocalRow(QStringLiteral("up.bin")));
        if (local == QLatin1String("gone") || local == QLatin1String("pipe"))
            QFile::remove(path);
        if (local == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        MsgBoxRecorder boxes;
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

    void byteSumsSaturate() {
        constexpr qint64 greatest = std::numeric_limits<qint64>::max();
        QCOMPARE(AddBytes(1024, 452), 1476);
        QCOMPARE(AddBytes(greatest - 5, greatest - 5), greatest);
        QCOMPARE(AddBytes(greatest, 1), greatest);
    }
};

QTEST_MAIN(TransferLoopTest)
#include "TransferLoop_test.moc"
