#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TransferFixture.h"

#include <QtTest>
#include <sys/stat.h>

// An upload never leaves the server a copy that looks complete when it is not: the local file is
// checked before STOR, and an upload that cannot finish is aborted (reset and ABOR).
class UploadSafetyTest : public QObject {
    Q_OBJECT

    static int count(const ScriptedFtpServer& server, const std::string& verb) {
        const auto commands = server.commands();
        return int(std::count_if(commands.begin(), commands.end(),
                                 [&verb](const std::string& line) { return line.rfind(verb, 0) == 0; }));
    }

private slots:
    void failuresNeverCompleteTheServerCopy_data() {
        QTest::addColumn<QString>("local"); // what happens to the local file
        QTest::addColumn<int>("stors");
        QTest::addColumn<int>("abors");
        QTest::newRow("gone before the upload") << QStringLiteral("gone") << 0 << 0;
        QTest::newRow("a named pipe") << QStringLiteral("pipe") << 0 << 0;
        QTest::newRow("shrinks while it is sent") << QStringLiteral("shrinks") << 1 << 1;
        QTest::newRow("upload cancelled") << QStringLiteral("cancel") << 1 << 1;
    }
    void failuresNeverCompleteTheServerCopy() {
        QFETCH(QString, local);
        ScriptedFtpServer server;
        QVERIFY(server.start());
        TransferFixture f;
        QVERIFY(f.connect(server.port()));
        const QString path = f.localDir() + QStringLiteral("up.bin");
        f.writeLocal(QStringLiteral("up.bin"), QByteArray(3 << 20, 'u')); // past the reader's buffer
        QTreeWidgetItem* row = f.addLocalRow(QStringLiteral("up.bin"));
        if (local != QLatin1String("shrinks") && local != QLatin1String("cancel"))
            QFile::remove(path);
        if (local == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        MsgBoxRecorder boxes;
        bool acted = false;
        f.onPump([&] {
            if (acted || local == QLatin1String("gone") || local == QLatin1String("pipe"))
                return;
            acted = true;
            if (local == QLatin1String("shrinks"))
                QFile::resize(path, 0);
            else
                f.form().cmdCancel_Click();
        });
        if (local == QLatin1String("cancel"))
            boxes.answerNext(vbYes);
        f.armUpload(row);
        f.form().Picture2_Click();
        QTEST(count(server, "STOR"), "stors");
        QTEST(count(server, "ABOR"), "abors");
    }
};

QTEST_MAIN(UploadSafetyTest)
#include "UploadSafety_test.moc"
