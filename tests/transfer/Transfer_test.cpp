// Downloads and uploads through the real window against a real server: rows listed and clicked as a
// user does, exact bytes on both sides, cancel, and the failures a user meets.
#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TestFiles.h"
#include "transfer/StopResize.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {
const QString Completed = QStringLiteral("Data transfer completed.");
}

class TransferTest : public QObject {
    Q_OBJECT
    FtpTestServer m_server;
    std::unique_ptr<MainWindowHarness> m_window;

    // Files on the server as f1.bin, f2.bin, ... of the given sizes; returns their contents.
    QList<QByteArray> serve(const QList<int>& sizes, bool local = false) {
        QList<QByteArray> contents;
        for (int i = 0; i < sizes.size(); ++i) {
            contents.append(RandomBytes(sizes[i], quint32(i + 1)));
            const QString name = QStringLiteral("f%1.bin").arg(i + 1);
            if (local)
                WriteFileBytes(m_window->localDir() + name, contents.last());
            else
                m_server.writeFile(name, contents.last());
        }
        return contents;
    }
    static QStringList names(qsizetype count) {
        QStringList list;
        for (qsizetype i = 1; i <= count; ++i)
            list.append(QStringLiteral("f%1.bin").arg(i));
        return list;
    }
    frmMain& connected() {
        m_window->connectTo(m_server.port());
        m_window->listLocal();
        return m_window->form();
    }
    // The scripted server serves one control connection at a time, so the command line finds none.
    void connectScripted(const ScriptedFtpServer& server, MsgBoxRecorder& boxes) {
        SetNetworkTimeoutMs(1000);
        boxes.answerNext(vbOK);
        m_window->connectTo(server.port());
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("No Command Line Capabilities")});
        boxes.clear();
        m_window->listLocal();
    }
    void verifyEnded() {
        QVERIFY(!m_window->form().cmdCancel->isVisible());
        QVERIFY(!StopResize.HookInstalled);
        QVERIFY(!m_window->form().TransferRunning);
    }

private slots:
    void initTestCase() { TOVO_REQUIRE_SERVER(m_server); }
    void init() {
        QDir root(m_server.root());
        for (const QString& name : root.entryList(QDir::Files))
            root.remove(name);
        m_window = std::make_unique<MainWindowHarness>();
    }
    void cleanup() { m_window.reset(); }

    // Exact bytes both ways; the pane that received files is listed again.
    void roundTrip_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<QByteArray>("old"); // a longer file already at the destination
        for (const bool upload : {false, true}) {
            const char* way = upload ? "upload" : "download";
            QTest::addRow("%s empty", way) << upload << QList<int>{0} << QByteArray();
            QTest::addRow("%s one chunk exactly", way) << upload << QList<int>{1024} << QByteArray();
            QTest::addRow("%s 1024+1024+452", way) << upload << QList<int>{2500} << QByteArray();
            QTest::addRow("%s many chunks", way) << upload << QList<int>{700 * 1024 + 3} << QByteArray();
            QTest::addRow("%s three files", way) << upload << QList<int>{3000, 1, 5000} << QByteArray();
            QTest::addRow("%s over a longer file", way) << upload << QList<int>{5} << QByteArray(10000, 'L');
        }
    }
    void roundTrip() {
        QFETCH(bool, upload);
        QFETCH(QList<int>, sizes);
        QFETCH(QByteArray, old);
        const QList<QByteArray> contents = serve(sizes, upload);
        const QString target = upload ? m_server.root() + QLatin1Char('/') : m_window->localDir();
        if (!old.isEmpty())
            WriteFileBytes(target + QStringLiteral("f1.bin"), old);
        frmMain& form = connected();
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        upload ? m_window->clickLocal(names(sizes.size())) : m_window->clickRemote(names(sizes.size()));
        upload ? form.Picture2_Click() : form.Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{Completed});
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden, QDir::Name), names(sizes.size()));
        for (int i = 0; i < sizes.size(); ++i)
            QCOMPARE(ReadFileBytes(target + names(sizes.size())[i]), contents[i]);
        const QStringList listed =
            upload ? m_window->remoteNames() : MainWindowHarness::RowTexts(form.ListView1);
        QCOMPARE(listed, names(sizes.size()));
        verifyEnded();
    }

    // The user clicks Cancel during the second of three files; Yes stops there, No goes on.
    void cancel_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<int>("answer");
        QTest::newRow("download, yes") << false << int(vbYes);
        QTest::newRow("download, no") << false << int(vbNo);
        QTest::newRow("upload, yes") << true << int(vbYes);
    }
    void cancel() {
        QFETCH(bool, upload);
        QFETCH(int, answer);
        const QList<QByteArray> contents = serve({3000, 4 << 20, 100}, upload);
        const QString target = upload ? m_server.root() + QLatin1Char('/') : m_window->localDir();
        if (!upload)
            WriteFileBytes(target + QStringLiteral("f2.bin"), "old copy"); // must survive a cancel
        frmMain& form = connected();
        MsgBoxRecorder boxes;
        boxes.answerNext(answer);
        if (answer == vbNo)
            boxes.answerNext(vbOK);
        m_window->onPump([&] {
            if (form.Label15->text() == QLatin1String("2") && form.ProgressBar1->value() > 0) {
                m_window->onPump({});
                QTest::mouseClick(form.cmdCancel, Qt::LeftButton);
            }
        });
        upload ? m_window->clickLocal(names(3)) : m_window->clickRemote(names(3));
        upload ? form.Picture2_Click() : form.Picture1_Click();
        QCOMPARE(boxes.texts().size(), answer == vbNo ? 2 : 1);
        QCOMPARE(ReadFileBytes(target + QStringLiteral("f1.bin")), contents[0]);
        QCOMPARE(QFileInfo::exists(target + QStringLiteral("f3.bin")), answer == vbNo);
        verifyEnded();
        if (upload || answer == vbNo)
            return;
        QCOMPARE(ReadFileBytes(target + QStringLiteral("f2.bin")), QByteArray("old copy"));
        QCOMPARE(m_window->localEntries(), names(2)); // no partial file left beside them
        // A new download of the cancelled file brings it whole.
        boxes.answerNext(vbOK);
        m_window->clickRemote({QStringLiteral("f2.bin")});
        form.Picture1_Click();
        QCOMPARE(boxes.texts().last(), Completed);
        QCOMPARE(ReadFileBytes(target + QStringLiteral("f2.bin")), contents[1]);
    }

    void withoutAClickNothingMoves() {
        serve({10});
        frmMain& form = connected();
        MsgBoxRecorder boxes;
        form.Picture1_Click(); // no remote row clicked: nothing at all
        boxes.answerNext(vbOK);
        form.Picture2_Click(); // no local row clicked: "Failed"
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Failed")});
        QVERIFY(m_window->localEntries().isEmpty());
        verifyEnded();
    }

    void refusedOpenEndsSilently() {
        serve({3, 10});
        frmMain& form = connected();
        QVERIFY(QFile::remove(m_server.path(QStringLiteral("f2.bin")))); // gone since the listing
        MsgBoxRecorder boxes;
        m_window->clickRemote(names(2));
        form.Picture1_Click();
        QCOMPARE(m_window->localEntries(), QStringList{QStringLiteral("f1.bin")});
        verifyEnded();
    }

    void secondCommandAndResizeDuringATransferAreRefused() {
        const QList<QByteArray> contents = serve({100 * 1024});
        frmMain& form = connected();
        QSize pinned, during;
        m_window->onPump([&] {
            m_window->onPump({});
            form.RemoteItemSelected = form.LocalItemSelected = true;
            form.Picture1_Click();
            form.Picture2_Click();
            pinned = form.size();
            form.resize(pinned + QSize(120, 90)); // a drag on the border
            during = form.size();
        });
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        m_window->clickRemote(names(1));
        form.Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{Completed});
        QCOMPARE(during, pinned);
        QCOMPARE(ReadFileBytes(m_window->localDir() + QStringLiteral("f1.bin")), contents[0]);
    }

    // A local write that fails part-way leaves the old file as it was and nothing beside it.
    void failedLocalWriteKeepsTheOldFile_data() {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("file size limit (disk full)") << false;
        QTest::newRow("read-only folder") << true;
    }
    void failedLocalWriteKeepsTheOldFile() {
        QFETCH(bool, readOnlyFolder);
        if (readOnlyFolder && geteuid() == 0)
            QSKIP("root writes into read-only folders");
        serve({200 * 1024});
        const QString local = m_window->localDir() + QStringLiteral("f1.bin");
        WriteFileBytes(local, "old");
        frmMain& form = connected();
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &saved);
            QFile::setPermissions(m_window->localDir(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        if (readOnlyFolder) {
            QFile::setPermissions(m_window->localDir(), QFile::ReadOwner | QFile::ExeOwner);
        } else {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{64 * 1024, saved.rlim_max};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        m_window->clickRemote(names(1));
        form.Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("error")});
        QCOMPARE(ReadFileBytes(local), QByteArray("old"));
        QCOMPARE(m_window->localEntries(), names(1));
        verifyEnded();
    }

    // The local file is gone or cannot be read by the time its upload starts.
    void vanishedLocalFileIsNotReportedAsSent_data() {
        QTest::addColumn<bool>("folderInstead");
        QTest::newRow("deleted") << false;
        QTest::newRow("a folder now") << true;
    }
    void vanishedLocalFileIsNotReportedAsSent() {
        QFETCH(bool, folderInstead);
        serve({5000}, true);
        frmMain& form = connected();
        m_window->clickLocal(names(1));
        const QString local = m_window->localDir() + QStringLiteral("f1.bin");
        QVERIFY(QFile::remove(local));
        if (folderInstead)
            QVERIFY(QDir().mkdir(local));
        MsgBoxRecorder boxes;
        boxes.allowUnexpected(); // a message is welcome, a false success is not
        form.Picture2_Click();
        QVERIFY(!boxes.texts().contains(Completed));
        QCOMPARE(QFileInfo(m_server.path(QStringLiteral("f1.bin"))).size(), 0);
        verifyEnded();
    }

    // The server goes away while the window sits idle; the next download must not claim success.
    void sessionDroppedWhileIdle() {
        auto server = std::make_unique<FtpTestServer>();
        TOVO_REQUIRE_SERVER(*server);
        server->writeFile(QStringLiteral("f1.bin"), "data");
        m_window->connectTo(server->port());
        m_window->clickRemote(names(1));
        server.reset();
        MsgBoxRecorder boxes;
        boxes.allowUnexpected();
        m_window->form().Picture1_Click();
        QVERIFY(!boxes.texts().contains(Completed));
        QVERIFY(m_window->localEntries().isEmpty());
        verifyEnded();
    }

    // Replies only a scripted server gives: the transfer ends with one message and never claims success.
    void serverFailure_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("action");
        QTest::newRow("upload, data connection reset") << true << "STOR"
                                                       << "reset";
        QTest::newRow("upload, 450 at once") << true << "STOR"
                                             << "450 File busy";
        QTest::newRow("upload, 451 at once") << true << "STOR"
                                             << "451 Local error";
        QTest::newRow("upload, 452 at once") << true << "STOR"
                                             << "452 No space";
        QTest::newRow("download, data connection reset") << false << "RETR"
                                                         << "reset";
        QTest::newRow("download, 451 at the end") << false << "RETR"
                                                  << "451 Local error";
        QTest::newRow("download, data stops after 150") << false << "RETR"
                                                        << "stall";
    }
    void serverFailure() {
        QFETCH(bool, upload);
        QFETCH(QString, verb);
        QFETCH(QString, action);
        const std::string data = RandomBytes(50000).toStdString();
        ScriptedFtpServer server;
        server.on("LIST", Transfer("-rw-r--r-- 1 u g 50000 Mar  7  2001 f1.bin\r\n"));
        if (action == QLatin1String("reset"))
            server.on(verb.toStdString(), Transfer(data, "226 Transfer complete", 1500));
        else if (action == QLatin1String("stall"))
            server.on(verb.toStdString(), Stall());
        else if (upload)
            server.on(verb.toStdString(), action.toStdString());
        else
            server.on(verb.toStdString(), Transfer(data, action.toStdString()));
        QVERIFY(server.start());
        WriteFileBytes(m_window->localDir() + QStringLiteral("f1.bin"),
                       upload ? QByteArray::fromStdString(data) : QByteArray("previous"));
        MsgBoxRecorder boxes;
        connectScripted(server, boxes);
        boxes.allowUnexpected(); // which message is for the product to choose
        upload ? m_window->clickLocal(names(1)) : m_window->clickRemote(names(1));
        upload ? m_window->form().Picture2_Click() : m_window->form().Picture1_Click();
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY(!boxes.texts().contains(Completed));
        if (!upload)
            QCOMPARE(ReadFileBytes(m_window->localDir() + QStringLiteral("f1.bin")), QByteArray("previous"));
        QCOMPARE(m_window->localEntries(), names(1));
        verifyEnded();
    }

    // Junk and a 20 KB line among good ones in a listing: the good rows show intact.
    void hostileListing() {
        const std::string good = "-rw-r--r-- 1 u g 2048 Mar  7  2001 good1.txt\r\n"
                                 "drwxr-xr-x 2 u g 4096 Mar  7  2001 folder\r\n";
        ScriptedFtpServer server;
        server.on("LIST",
                  Transfer(good +
                           "total 12\r\ngarbage without fields\r\n\r\n-rw-r--r-- 1 u g 5 Mar  7  2001 " +
                           std::string(20000, 'x') + "\r\n-rw-r--r-- 1 u g 12 Xyz 99 99:99 odd\r\n" +
                           "-rw-r--r-- 1 u g 3221225472 Mar  7  2001 good2.bin\r\n" +
                           "-rw-r--r-- 1 u g 5 Mar  7  2001 ../tovo-listing-escape.txt\r\n" + good));
        server.on("RETR", Transfer("evil!"));
        QVERIFY(server.start());
        MsgBoxRecorder boxes;
        connectScripted(server, boxes);
        const QStringList rows = m_window->remoteNames();
        for (const QString name : {"folder", "good1.txt", "good2.bin"})
            QVERIFY2(rows.contains(name), qPrintable(rows.join(QLatin1Char('|')).left(300)));
        const QStringList sizes = MainWindowHarness::RowTexts(m_window->form().lstRemoteFiles, 3);
        QCOMPARE(sizes[rows.indexOf("good1.txt")], QStringLiteral("2048"));
        QCOMPARE(sizes[rows.indexOf("good2.bin")], QStringLiteral("3221225472"));
        for (const QString& row : rows)
            QVERIFY(row.size() < 20000 && !row.contains(QLatin1String("garbage")));
        // A listed name that leaves the local folder is never written.
        if (rows.contains("../tovo-listing-escape.txt")) {
            boxes.allowUnexpected();
            m_window->clickRemote({"../tovo-listing-escape.txt"});
            m_window->form().Picture1_Click();
            QVERIFY(!boxes.texts().contains(Completed));
        }
        QVERIFY(!QFileInfo::exists(m_window->localDir() + "../tovo-listing-escape.txt"));
        QVERIFY(m_window->localEntries().isEmpty());
    }

    // The type each file is opened with, as the server sees it just before the transfer.
    void transferType_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::newRow("download, auto, text") << false << "optAuto"
                                              << "notes.txt"
                                              << "TYPE A";
        QTest::newRow("download, ASCII, picture") << false << "optASCII"
                                                  << "photo.jpg"
                                                  << "TYPE A";
        QTest::newRow("upload, auto, picture") << true << "optAuto"
                                               << "photo.jpg"
                                               << "TYPE I";
        QTest::newRow("upload, binary, text") << true << "optBinary"
                                              << "notes.txt"
                                              << "TYPE I";
    }
    void transferType() {
        QFETCH(bool, upload);
        QFETCH(QString, mode);
        QFETCH(QString, name);
        QFETCH(QString, type);
        ScriptedFtpServer server;
        server.on("LIST", Transfer("-rw-r--r-- 1 u g 6 Mar  7  2001 " + name.toStdString() + "\r\n"));
        server.on("RETR", Transfer("line\r\n"));
        QVERIFY(server.start());
        QVERIFY(WriteFileBytes(m_window->localDir() + name, "line\r\n"));
        MsgBoxRecorder boxes;
        connectScripted(server, boxes);
        m_window->form().findChild<QRadioButton*>(mode)->setChecked(true);
        boxes.answerNext(vbOK);
        upload ? m_window->clickLocal({name}) : m_window->clickRemote({name});
        upload ? m_window->form().Picture2_Click() : m_window->form().Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{Completed});
        QString last;
        for (const std::string& line : server.commands())
            if (line.rfind("TYPE", 0) == 0)
                last = QString::fromStdString(line);
            else if (line.rfind(upload ? "STOR" : "RETR", 0) == 0)
                break;
        QCOMPARE(last, type);
    }
};

QTEST_MAIN(TransferTest)
#include "Transfer_test.moc"
