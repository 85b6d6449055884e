// Downloads and uploads through the real window against a real server: rows clicked as a user does,
// exact bytes on both sides, folder trees, existing targets, continued files, cancel, a dropped
// session, the failures a user meets, and the transfer buttons.
#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TestFiles.h"
#include "toolkit/DirListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/PictureBox.h"
#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"
#include "transfer/FileTimes.h"
#include "transfer/StopResize.h"
#include "transfer/Transfers.h"

#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QtTest>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

static const QString Completed = QStringLiteral("Data transfer completed.");

// Transfers on widgets of their own, without a main window.
struct OwnTransfers {
    QWidget window;
    std::unique_ptr<Transfers> transfers;
    explicit OwnTransfers(TransferPanes panes) {
        const auto label = [&] { return new QLabel(&window); };
        auto* automatic = new QRadioButton(&window);
        automatic->setChecked(true);
        const TransferView view{&window,
                                automatic,
                                new QRadioButton(&window),
                                new PictureBox(&window),
                                new PictureBox(&window),
                                new QProgressBar(&window),
                                new QProgressBar(&window),
                                new QPushButton(&window),
                                label(),
                                label(),
                                label(),
                                label(),
                                label(),
                                label(),
                                label(),
                                label(),
                                label(),
                                label(),
                                label(),
                                new StatusBar(3, &window),
                                new QListWidget(&window),
                                new QListWidget(&window)};
        transfers = std::make_unique<Transfers>(
            view, std::move(panes),
            TransferWindow{[] {}, [] {}, [] {}, [] { return QStringLiteral("remote"); }});
    }
};

static void connectSession(int port) {
    FtpSession.hInternet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    FtpSession.hConnect = InternetConnectA(FtpSession.hInternet, "127.0.0.1", port, "user", "secret",
                                           INTERNET_SERVICE_FTP, 0, 0);
}

// Every file below root (hidden ones included, links to folders not followed) with its bytes.
static QMap<QString, QByteArray> filesUnder(const QString& root) {
    QMap<QString, QByteArray> files;
    for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        files[QDir(root).relativeFilePath(path)] = ReadFileBytes(path);
    }
    return files;
}

class TransferTest : public QObject {
    Q_OBJECT
    FtpTestServer m_server;
    std::unique_ptr<MainWindowHarness> m_window;

    QList<QByteArray> serve(const QList<int>& sizes, bool local = false) {
        QList<QByteArray> contents;
        for (int i = 0; i < sizes.size(); ++i) {
            contents.append(RandomBytes(sizes[i], quint32(i + 1)));
            const QString name = names(i + 1).last();
            local ? void(WriteFileBytes(m_window->localDir() + name, contents.last()))
                  : m_server.writeFile(name, contents.last());
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
    void go(bool upload, const QStringList& rows) {
        upload ? m_window->clickLocal(rows) : m_window->clickRemote(rows);
        upload ? m_window->form().transfers().Picture2_Click()
               : m_window->form().transfers().Picture1_Click();
    }
    void verifyEnded() { QVERIFY(!m_window->form().cmdCancel->isVisible() && !StopResize.HookInstalled); }

private slots:
    void initTestCase() { TOVO_REQUIRE_SERVER(m_server); }
    void init() {
        QDir root(m_server.root());
        for (const QString& name : root.entryList(QDir::Files))
            root.remove(name);
        QDir(m_server.path("tree")).removeRecursively();
        m_window = std::make_unique<MainWindowHarness>();
    }
    void cleanup() { m_window.reset(); }

    // Exact bytes both ways; the pane that received files is listed again.
    void roundTrip_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<QByteArray>("old"); // a longer file already at the destination
        for (const bool up : {false, true}) {
            const auto row = [up](const char* name, const QList<int>& sizes, const QByteArray& old = {}) {
                QTest::addRow("%s %s", up ? "upload" : "download", name) << up << sizes << old;
            };
            row("empty", {0}), row("three files", {700 * 1024 + 3, 1, 5000});
            row("over a longer file", {5}, QByteArray(10000, 'L'));
        }
    }
    void roundTrip() {
        QFETCH(bool, upload);
        QFETCH(QList<int>, sizes);
        QFETCH(QByteArray, old);
        const QList<QByteArray> contents = serve(sizes, upload);
        const QString target = upload ? m_server.root() + QLatin1Char('/') : m_window->localDir();
        const QStringList all = names(sizes.size());
        if (!old.isEmpty())
            WriteFileBytes(target + all[0], old);
        frmMain& form = connected();
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        go(upload, all);
        QCOMPARE(boxes.texts(), QStringList{Completed});
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden, QDir::Name), all);
        for (int i = 0; i < sizes.size(); ++i)
            QCOMPARE(ReadFileBytes(target + all[i]), contents[i]);
        QCOMPARE(upload ? m_window->remoteNames() : MainWindowHarness::RowTexts(form.ListView1), all);
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
            const std::vector<TransferItem>& items = form.transfers().queue().items();
            if (items.size() == 3 && items[1].state == ItemState::Running &&
                form.transfers().TransferHandle != 0) {
                m_window->onPump({});
                QTest::mouseClick(form.cmdCancel, Qt::LeftButton);
            }
        });
        go(upload, names(3));
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
        go(false, {QStringLiteral("f2.bin")});
        QCOMPARE(boxes.texts().last(), Completed);
        QCOMPARE(ReadFileBytes(target + QStringLiteral("f2.bin")), contents[1]);
    }

    // Leaving while a slow server takes an upload: the program ends at once, and the server never
    // records a cut file as a whole one.
    void leavingDuringAnUpload_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<int>("size");
        QTest::newRow("Exit mid-file") << false << (32 << 20);
        QTest::newRow("close box mid-file") << true << (32 << 20);
        QTest::newRow("Exit, every byte sent") << false << (1 << 20);
    }
    void leavingDuringAnUpload() {
        QFETCH(bool, closeBox);
        QFETCH(int, size);
        FtpTestServer server;
        server.throttleUploads(300 * 1024);
        TOVO_REQUIRE_SERVER(server);
        SetNetworkTimeoutMs(30000); // as for users: long enough for the server to read what is on its way
        QVERIFY(WriteSizedFile(m_window->localDir() + "f1.bin", size));
        m_window->connectTo(server.port());
        m_window->listLocal();
        static std::atomic<int> ended;
        ended = 0;
        frmMain::SetEndProcess([] { ++ended; });
        frmMain& form = m_window->form();
        MsgBoxRecorder boxes;
        boxes.allowUnexpected(); // the window lives on after its end here; what it says then is moot
        boxes.answerNext(vbYes); // stop the transfer and leave
        QElapsedTimer running;
        running.start();
        m_window->onPump([&] {
            // Mid-file: past the server's first second, after which it reads in short bursts and sleeps
            // between them (awake, it would take the reset it sees before the ABOR for an end of file).
            // Every byte sent: the server's verdict is awaited.
            const bool midFile = size > (8 << 20) && running.elapsed() > 1500;
            if (midFile || (form.transfers().TransferHandle == 0 &&
                            form.ProgressBar2->value() == form.ProgressBar2->maximum())) {
                m_window->onPump({});
                closeBox ? void(form.close()) : form.mnuExit->trigger();
            }
        });
        go(true, names(1));
        QVERIFY(ended > 0);
        QVERIFY(!boxes.texts().contains(Completed));
        QTRY_VERIFY_WITH_TIMEOUT(server.log().contains("f1.bin"), 15000);
        if (server.log().contains("received"))
            QCOMPARE(QFileInfo(server.path("f1.bin")).size(), size);
    }

    // The local file goes wrong around its upload: the server copy never looks complete.
    void uploadOfATroubledLocalFile_data() {
        QTest::addColumn<QString>("local");
        QTest::addColumn<QStringList>("commands");  // STOR and ABOR sent
        for (const char* before : {"gone", "pipe"}) // a named pipe must not block the window
            QTest::newRow(before) << before << QStringList();
        for (const char* during : {"shrinks", "cancel"})
            QTest::newRow(during) << during << QStringList{"STOR /f1.bin", "ABOR"};
    }
    void uploadOfATroubledLocalFile() {
        QFETCH(QString, local);
        ScriptedFtpServer server;
        QVERIFY(server.start());
        MsgBoxRecorder boxes;
        connectScripted(server, boxes);
        const QString path = m_window->localDir() + QStringLiteral("f1.bin");
        QVERIFY(WriteFileBytes(path, QByteArray(32 << 20, 'u'))); // long enough to pump mid-file
        m_window->listLocal();
        m_window->clickLocal(names(1));
        if (local != "shrinks" && local != "cancel")
            QFile::remove(path);
        if (local == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        boxes.allowUnexpected(); // a message is welcome, a false success is not
        if (local == "cancel")
            boxes.answerNext(vbYes);
        bool acted = false;
        m_window->onPump([&] {
            if (!std::exchange(acted, true))
                local == "shrinks" ? void(QFile::resize(path, 0))
                                   : m_window->form().transfers().cmdCancel_Click();
        });
        m_window->form().transfers().Picture2_Click();
        QVERIFY(!boxes.texts().contains(Completed));
        QVERIFY(server.uploaded().size() < std::size_t(32 << 20)); // stopped mid-file, not at its end
        QStringList sent;
        for (const std::string& command : server.commands())
            if (command.starts_with("STOR") || command == "ABOR")
                sent << QString::fromStdString(command);
        QTEST(sent, "commands");
        verifyEnded();
    }

    // Three files, the second meeting trouble: the server's answer to it, or (no action) a name this
    // disk cannot take. A file refused alone is said with its name and the cause, and the others
    // still come; anything else ends the queue with one message. Never a false success, and a local
    // copy of the failed file stays as it was, with no partial file beside it.
    void troubleWithOneFile_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QString>("middle");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("goesOn");
        const auto row = [](bool up, const char* action, bool goesOn, const QString& middle = "f2.bin") {
            QTest::addRow("%s, %s", up ? "upload" : "download", action) << up << middle << action << goesOn;
        };
        row(false, "550 f2.bin: No such file", true);
        row(false, "", true, QString(300, 'n'));
        // A session closed mid-file is taken up again: reconnectAfterADrop.
        for (const char* action : {"reset", "451 Local error", "stall", "disk full"})
            row(false, action, false);
        row(true, "reset", false);
        row(true, "451 Local error", true); // refused at STOR
    }
    void troubleWithOneFile() {
        QFETCH(bool, upload);
        QFETCH(QString, middle);
        QFETCH(QString, action);
        QFETCH(bool, goesOn);
        const QStringList files{"f1.bin", middle, "f3.bin"};
        const std::string data = RandomBytes(50000).toStdString(), verb = upload ? "STOR" : "RETR";
        ScriptedFtpServer server;
        std::string listing;
        for (const QString& name : files)
            listing += "-rw-r--r-- 1 u g 50000 Mar  7  2001 " + name.toStdString() + "\r\n";
        server.on("LIST", Transfer(listing)).on(verb, Transfer("data"));
        server.on(verb, action == "reset"   ? Transfer(data, "226 Transfer complete", 1500)
                        : action == "stall" ? Stall()
                        : action.isEmpty() || action == "disk full" ? Transfer(data)
                        : upload || goesOn                          ? Reply(action.toStdString())
                                                                    : Transfer(data, action.toStdString()));
        server.on(verb, Transfer("data"));
        QVERIFY(server.start());
        for (const QString& name : files) // a download finds an older copy of the second file
            if (upload || name == middle)
                WriteFileBytes(m_window->localDir() + name,
                               upload ? QByteArray::fromStdString(data) : QByteArray("previous"));
        MsgBoxRecorder boxes;
        connectScripted(server, boxes);
        goesOn ? (boxes.answerNext(vbOK), boxes.answerNext(vbOK)) : boxes.allowUnexpected();
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &saved); });
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit diskFull{16 * 1024, saved.rlim_max}; // the disk fills up part-way
        QVERIFY(action != "disk full" || setrlimit(RLIMIT_FSIZE, &diskFull) == 0);
        go(upload, files);
        QCOMPARE(boxes.texts().size(), goesOn ? 2 : 1);
        QCOMPARE(boxes.texts().last().startsWith("Data transfer ended with failures."), goesOn);
        QVERIFY(!goesOn || (boxes.texts()[0].contains(middle) && boxes.texts()[0].contains(action)));
        QStringList reached = files.mid(0, goesOn ? 3 : 2), sent;
        reached.removeOne(QString(300, 'n')); // refused here before it is fetched
        for (const std::string& command : server.commands())
            if (command.starts_with(verb))
                sent << QString::fromStdString(command.substr(command.find_last_of(" /") + 1));
        QCOMPARE(sent, reached);
        if (!upload) {
            QCOMPARE(m_window->localEntries(), reached);
            QCOMPARE(ReadFileBytes(m_window->localDir() + middle),
                     QByteArray(middle == "f2.bin" ? "previous" : ""));
        }
        verifyEnded();
    }

    // A tree down or up keeps its shape and bytes, an empty folder included; a local link to a folder
    // is not followed, and a remote one back up the tree (listed as a folder) is said and not read
    // again. A folder whose target a file blocks is reported once and its subtree skipped, while the
    // rest moves and the closing message counts both.
    void folderTree_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<bool>("blocked");
        for (const bool up : {false, true})
            for (const bool blocked : {false, true})
                QTest::addRow("%s%s", up ? "upload" : "download", blocked ? ", a folder blocked" : "")
                    << up << blocked;
    }
    void folderTree() {
        QFETCH(bool, upload);
        QFETCH(bool, blocked);
        const QString source = upload ? m_window->localDir() : m_server.root() + '/';
        const QString target = upload ? m_server.root() + '/' : m_window->localDir();
        const QMap<QString, QByteArray> tree{{"tree/a.bin", RandomBytes(150000)},
                                             {"tree/sub/b.txt", "b\n"},
                                             {"tree/sub/deeper/c.bin", {}},
                                             {"tree/x/y.bin", "y"}};
        for (auto file = tree.begin(); file != tree.end(); ++file)
            QVERIFY(QDir().mkpath(QFileInfo(source + file.key()).path()) &&
                    WriteFileBytes(source + file.key(), *file));
        QVERIFY(QDir().mkpath(source + "tree/empty"));
        QVERIFY(QFile::link(source + "tree", source + "tree/sub/loop"));
        QMap<QString, QByteArray> expected = tree;
        if (blocked) {
            QVERIFY(QDir().mkpath(target + "tree") && WriteFileBytes(target + "tree/x", "in the way"));
            expected.remove("tree/x/y.bin");
            expected["tree/x"] = "in the way";
        }
        frmMain& form = connected();
        MsgBoxRecorder boxes;
        const int failed = (blocked ? 1 : 0) + (upload ? 0 : 1);
        for (int box = 0; box <= failed; ++box)
            boxes.answerNext(vbOK);
        upload ? form.transfers().UploadPaths({QFile::encodeName(source + "tree").toStdString()}, "/")
               : go(false, {"tree"});
        if (upload)
            QVERIFY(!QFileInfo::exists(target + "tree/sub/loop"));
        const QMap<QString, QByteArray> arrived = filesUnder(target);
        QCOMPARE(arrived.keys(), expected.keys()); // the shape
        QCOMPARE(arrived, expected);
        QVERIFY(QFileInfo(target + "tree/empty").isDir());
        QCOMPARE(
            boxes.texts().last(),
            failed == 0
                ? Completed
                : QString("Data transfer ended with failures.\n\nFiles moved: %1\nSkipped: 0\nFailed: %2")
                      .arg(blocked ? 3 : 4)
                      .arg(failed));
        QCOMPARE(boxes.texts().size(), failed + 1);
        QVERIFY(!blocked || boxes.texts().join("").contains("tree/x"));
        QVERIFY(upload || boxes.texts().join("").contains("tree/sub/loop"));
        verifyEnded();
    }

    // f1 exists at the target as its own first 1000 bytes, older; f2 does not. Each row lists the
    // target's files afterwards: old (left as it was) or new (the source's bytes).
    void existingTargets_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("answer"); // of the Ask question; -1: no one to ask
        QTest::addColumn<QStringList>("files");
        const QStringList replaced{"f1.bin=new", "f2.bin=new"}, kept{"f1.bin=old", "f2.bin=new"},
            both{"f1 (1).bin=new", "f1.bin=old", "f2.bin=new"};
        const auto row = [](bool up, const char* name, WhenExists setting, const QStringList& files,
                            ExistsAction answer = ExistsAction(-1)) {
            QTest::addRow("%s, %s", up ? "upload" : "download", name)
                << up << int(setting) << int(answer) << files;
        };
        for (const bool up : {false, true}) {
            row(up, "replace", WhenExists::Replace, replaced);
            row(up, "skip", WhenExists::Skip, kept);
            row(up, "resume", WhenExists::Resume, replaced);
            row(up, "ask: keep both", WhenExists::Ask, both, ExistsAction::KeepBoth);
        }
        row(false, "newer or different", WhenExists::ReplaceIfNewerOrDifferent, replaced);
        row(false, "ask, no one to ask", WhenExists::Ask, replaced);
        row(false, "ask: skip", WhenExists::Ask, kept, ExistsAction::Skip);
        row(false, "ask: cancel", WhenExists::Ask, {"f1.bin=old"}, ExistsAction::Cancel);
    }
    void existingTargets() {
        QFETCH(bool, upload);
        QFETCH(int, setting);
        QFETCH(int, answer);
        const QList<QByteArray> contents = serve({5000, 300}, upload);
        const QString target = upload ? m_server.root() + '/' : m_window->localDir();
        const QByteArray old = contents[0].left(1000);
        QVERIFY(WriteFileBytes(target + "f1.bin", old) &&
                SetLocalFileTime(QFile::encodeName(target + "f1.bin").toStdString(), 1000000000));
        connected();
        Transfers& transfers = m_window->form().transfers();
        transfers.setOptions({WhenExists(setting), true});
        int asked = 0;
        transfers.askExists = nullptr; // the window's dialog stands aside
        if (answer >= 0)
            transfers.askExists = [&](const ExistsQuestion& question) {
                asked += question.name == "f1.bin" && question.target.size == 1000 ? 1 : 100;
                return ExistsAnswer{ExistsAction(answer), true};
            };
        MsgBoxRecorder boxes;
        const bool cancelled = answer == int(ExistsAction::Cancel);
        if (!cancelled)
            boxes.answerNext(vbOK);
        go(upload, names(2));
        QStringList files;
        for (const QString& name : QDir(target).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            const QByteArray bytes = ReadFileBytes(target + name);
            files << name + (bytes == old                               ? "=old"
                             : bytes == contents[name.startsWith("f2")] ? "=new"
                                                                        : "=?");
        }
        QTEST(files, "files");
        QCOMPARE(asked, answer >= 0 ? 1 : 0);
        QCOMPARE(boxes.texts().size(), cancelled ? 0 : 1);
        QVERIFY(cancelled || boxes.texts()[0].startsWith(Completed));
        verifyEnded();
    }

    // A download finds what an earlier one kept, continues it and puts the whole file in place.
    void aKeptPartIsContinued() {
        const QList<QByteArray> contents = serve({300000});
        connected();
        // Not the file's own first bytes: only a continued download keeps them.
        const QByteArray part(100000, 'P');
        QVERIFY(WriteFileBytes(m_window->localDir() + "f1.bin.part", part));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        go(false, names(1));
        QCOMPARE(boxes.texts(), QStringList{Completed});
        QCOMPARE(ReadFileBytes(m_window->localDir() + "f1.bin"), part + contents[0].mid(part.size()));
        QCOMPARE(m_window->localEntries(), names(1));
    }

    // The session drops mid-file: the queue waits, reconnects through the hook and brings the file
    // whole; when every attempt fails it stops with a message naming the file, and nothing passes for
    // the file.
    void reconnectAfterADrop_data() {
        QTest::addColumn<int>("refusals"); // of the reconnect hook before it succeeds
        QTest::newRow("restored at once") << 0;
        QTest::newRow("restored at the last attempt") << 2;
        QTest::newRow("never restored") << 3;
    }
    void reconnectAfterADrop() {
        QFETCH(int, refusals);
        const QByteArray data = RandomBytes(200000);
        FtpAction drop = Transfer(data.toStdString(), "", 50000);
        drop.closeAfter = true;
        ScriptedFtpServer server;
        server.on("RETR", drop).on("RETR", Transfer(data.toStdString()));
        QVERIFY(server.start());
        SetNetworkTimeoutMs(2000);
        SetReconnectWaitsMs({10, 10, 10});
        const auto restore = qScopeGuard([] { SetReconnectWaitsMs({1000, 5000, 15000}); });
        connectSession(server.port());
        const std::string localDir = QFile::encodeName(m_window->localDir()).toStdString();
        int attempts = 0;
        TransferPanes panes;
        panes.localDir = [&] { return localDir; };
        panes.refreshLocal = [] {};
        panes.reconnect = [&] {
            if (++attempts <= refusals)
                return false;
            connectSession(server.port());
            return FtpSession.hConnect != 0;
        };
        OwnTransfers own(panes);
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        own.transfers->DownloadEntries({{"f1.bin", data.size(), {}, false}}, "/", localDir);
        const bool restored = refusals < 3;
        QCOMPARE(attempts, restored ? refusals + 1 : 3);
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY(restored ? boxes.texts()[0] == Completed : boxes.texts()[0].contains("f1.bin"));
        QCOMPARE(ReadFileBytes(m_window->localDir() + "f1.bin"), restored ? data : QByteArray());
    }

    // The transfers alone, on widgets of their own and without a main window: a name that is not
    // UTF-8 is opened and sent as the bytes its entry holds, both ways.
    void rawNameWithoutTheWindow_data() {
        QTest::addColumn<bool>("upload");
        QTest::newRow("download") << false;
        QTest::newRow("upload") << true;
    }
    void rawNameWithoutTheWindow() {
        QFETCH(bool, upload);
        FtpTestServer server;
        server.serveRawNames();
        TOVO_REQUIRE_SERVER(server);
        const std::string name = "caf\xe9.txt", content = "raw bytes";
        const std::string localDir = QFile::encodeName(m_window->localDir()).toStdString();
        const std::string serverDir = QFile::encodeName(server.root() + '/').toStdString();
        std::ofstream((upload ? localDir : serverDir) + name, std::ios::binary) << content;
        // The temporary folders cannot remove a name they cannot decode.
        const auto tidy = qScopeGuard([&] {
            for (const std::string& dir : {localDir, serverDir})
                std::remove((dir + name).c_str());
        });
        connectSession(server.port());
        QVERIFY(FtpSession.hConnect != 0);
        const std::int64_t size = std::int64_t(content.size());
        TransferPanes panes{[&] {
                                return std::vector<RemoteEntry>{{name, size, {}, false}};
                            },
                            [&] {
                                return std::vector<LocalEntry>{{name, size, 0}};
                            },
                            [] { return std::string("/"); },
                            [&] { return localDir; },
                            [] {},
                            [] {},
                            [] { return true; },
                            [] { return true; },
                            {}};
        OwnTransfers own(panes);
        Transfers& transfers = *own.transfers;
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        upload ? transfers.Picture2_Click() : transfers.Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{Completed});
        std::ostringstream arrived;
        arrived << std::ifstream((upload ? serverDir : localDir) + name, std::ios::binary).rdbuf();
        QCOMPARE(arrived.str(), content);
    }
};

QTEST_MAIN(TransferTest)
#include "Transfer_test.moc"
