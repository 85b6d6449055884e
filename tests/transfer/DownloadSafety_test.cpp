#include "app/DirListBox.h"
#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"
#include "transfer/TempFileWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

// A download's file reaches the disk before it takes the target's place, fits any name the folder
// can hold, and leaves nothing behind when the window closes mid-transfer.
class DownloadSafetyTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    static inline QStringList s_calls;
    static inline bool s_failFileSync = false;
    static inline QString s_watched;
    static inline QStringList s_atExit;

    QStringList entries() const {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void cleanup() {
        TempFileWriter::SetDiskCalls({::fsync, ::rename});
        for (const QString& name : entries())
            QFile::remove(m_dir.filePath(name));
    }

    void everyNameTheFolderHoldsCanBeWritten_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("200 bytes") << QString(200, QLatin1Char('a'));
        QTest::newRow("241 bytes") << QString(241, QLatin1Char('b'));
        QTest::newRow("255 bytes") << QString(255, QLatin1Char('c'));
        QTest::newRow("254 bytes of two-byte letters") << QString(127, QChar(0xE9));
        QTest::newRow("255 bytes of three-byte letters") << QString(85, QChar(0x4E2D));
    }
    void everyNameTheFolderHoldsCanBeWritten() {
        QFETCH(QString, name);
        TempFileWriter writer;
        QVERIFY(writer.open(QFile::encodeName(m_dir.filePath(name)).toStdString()));
        QVERIFY(writer.write("data", 4) && writer.commit());
        QCOMPARE(entries(), QStringList{name});
        QCOMPARE(ReadFileBytes(m_dir.filePath(name)), QByteArray("data"));
    }

    void theFileIsOnDiskBeforeItReplacesTheTarget_data() {
        QTest::addColumn<bool>("fileSyncFails");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("flushed, renamed, folder flushed")
            << false << QStringList{"sync file", "rename", "sync folder"} << QByteArray("new");
        QTest::newRow("a failed flush keeps the old file")
            << true << QStringList{"sync file"} << QByteArray("old");
    }
    void theFileIsOnDiskBeforeItReplacesTheTarget() {
        QFETCH(bool, fileSyncFails);
        QFETCH(QStringList, calls);
        QFETCH(QByteArray, target);
        s_calls.clear();
        s_failFileSync = fileSyncFails;
        TempFileWriter::SetDiskCalls({[](int fd) {
                                          struct stat info {};
                                          ::fstat(fd, &info);
                                          s_calls << (S_ISDIR(info.st_mode) ? "sync folder" : "sync file");
                                          return S_ISDIR(info.st_mode) || !s_failFileSync ? ::fsync(fd) : -1;
                                      },
                                      [](const char* from, const char* to) {
                                          s_calls << "rename";
                                          return ::rename(from, to);
                                      }});
        QVERIFY(WriteFileBytes(m_dir.filePath("t.bin"), "old"));
        TempFileWriter writer;
        QVERIFY(writer.open(QFile::encodeName(m_dir.filePath("t.bin")).toStdString()) &&
                writer.write("new", 3));
        QCOMPARE(writer.commit(), !fileSyncFails);
        QCOMPARE(s_calls, calls);
        QCOMPARE(ReadFileBytes(m_dir.filePath("t.bin")), target);
        QCOMPARE(entries(), QStringList{"t.bin"});
    }

    void closingTheWindowCancelsAndRemovesTheTemporaryFile() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("big.bin"), RandomBytes(400 * 1024));
        MainWindowHarness harness;
        MsgBoxRecorder messages;
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        frmMain& form = harness.form();
        form.LocalDir = m_dir.path() + QLatin1Char('/');
        s_watched = m_dir.path();
        s_atExit = {QStringLiteral("<not closed>")};
        frmMain::SetEndProcess(
            [] { s_atExit = QDir(s_watched).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot); });
        QTreeWidgetItem* row = form.lstRemoteFiles->Item(harness.remoteRow(QStringLiteral("big.bin")));
        form.lstRemoteFiles->SetSelectedItem(row);
        ListView::SetSelected(row, true);
        form.RemoteItemSelected = true;
        // Closed from inside the transfer's pump once its temporary file exists.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (!entries().isEmpty()) {
                closer.stop();
                form.close();
            }
        });
        closer.start(0);
        form.Picture1_Click();
        frmMain::SetEndProcess([] {});
        QCOMPARE(s_atExit, QStringList());
        QCOMPARE(entries(), QStringList());
        QVERIFY(messages.calls().isEmpty());
    }

    void aQueueWritesIntoTheFolderItStartedIn() {
        FtpTestServer server;
        server.writeFile(QStringLiteral("one.bin"), RandomBytes(200 * 1024, 5));
        server.writeFile(QStringLiteral("two.bin"), RandomBytes(9, 6));
        TOVO_REQUIRE_SERVER(server);
        MainWindowHarness harness;
        MsgBoxRecorder messages;
        harness.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
        frmMain& form = harness.form();
        form.Dir1->SetPath(m_dir.path());
        QTemporaryDir elsewhere;
        for (const QString& name : {QStringLiteral("one.bin"), QStringLiteral("two.bin")}) {
            QTreeWidgetItem* row = form.lstRemoteFiles->Item(harness.remoteRow(name));
            ListView::SetSelected(row, true);
            form.lstRemoteFiles->SetSelectedItem(row);
        }
        form.RemoteItemSelected = true;
        // The user opens another local folder while the first file comes in.
        QTimer::singleShot(0, [&] { form.Dir1->SetPath(elsewhere.path()); });
        messages.answerNext(vbOK);
        form.Picture1_Click();
        QCOMPARE(entries(), (QStringList{QStringLiteral("one.bin"), QStringLiteral("two.bin")}));
        QVERIFY(QDir(elsewhere.path()).isEmpty());
    }
};

QTEST_MAIN(DownloadSafetyTest)
#include "DownloadSafety_test.moc"
