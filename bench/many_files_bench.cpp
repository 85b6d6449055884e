// 1,000 files of 1 KiB in 10 folders, downloaded and uploaded as one folder through the transfer
// subsystem against a local pyftpdlib, next to lftp's mirror and mirror -R (one connection) on the
// same server, with the commands the server received per file.
// Run: build/<preset>/bench/many_files_bench [files-per-folder]   (offscreen, or under an X server)
// The files live below $TMPDIR. On a disk where making a file costs milliseconds, that cost can
// outweigh the protocol's; TMPDIR=/dev/shm measures the protocol and the clients alone.

#include "app/frmMain.h"
#include "bench/BenchSupport.h"
#include "session/RemotePane.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "toolkit/WindowLayer.h"
#include "transfer/Transfers.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kFolders = 10;

void MakeTree(const QString& root, int perFolder) {
    const QByteArray content(1024, 'x');
    for (int folder = 0; folder < kFolders; ++folder) {
        const QString dir = root + QStringLiteral("/d%1").arg(folder);
        QDir().mkpath(dir);
        for (int file = 0; file < perFolder; ++file) {
            QFile out(dir + QStringLiteral("/f%1.txt").arg(file));
            if (out.open(QIODevice::WriteOnly))
                out.write(content);
        }
    }
}

// The files below root with the right size.
int CountFiles(const QString& root) {
    int count = 0;
    for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        count += QFileInfo(it.next()).size() == 1024 ? 1 : 0;
    return count;
}

int CommandsLogged(const FtpTestServer& server) {
    return static_cast<int>(server.log().count("<- "));
}

double RunLftp(int port, const QString& script) {
    QElapsedTimer timer;
    timer.start();
    QProcess lftp;
    lftp.start(QStringLiteral("lftp"),
               {QStringLiteral("-c"), QStringLiteral("set ftp:ssl-allow no; set net:connection-limit 1; "
                                                     "open -u user,secret -p %1 127.0.0.1; %2")
                                          .arg(port)
                                          .arg(script)});
    lftp.waitForFinished(-1);
    if (lftp.exitCode() != 0)
        std::fprintf(stderr, "lftp failed (%d): %s\n", lftp.exitCode(),
                     lftp.readAllStandardError().constData());
    return Seconds(timer);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int perFolder = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 100;
    const int files = perFolder * kFolders;

    FtpTestServer server;
    server.logCommands();
    if (!server.start()) {
        std::fprintf(stderr, "server: %s\n", qPrintable(server.error()));
        return 1;
    }
    MakeTree(server.path(QStringLiteral("tree")), perFolder);
    SetMsgBoxResponder([](const QString&, int, const QString&) { return int(vbOK); });

    MainWindowHarness f;
    f.connectTo(server.port());
    frmMain& form = f.form();
    const QString local = f.localDir();
    const std::string remoteRoot = form.remote().CurrentDirBytes();

    double ours = 1e9, oursUp = 1e9, lftpDown = 1e9, lftpUp = 1e9;
    int downCommands = 0, upCommands = 0;
    bool downloadOk = true, uploadOk = true, lftpOk = true;
    // Best of three runs each, into empty targets.
    for (int round = 0; round < 3; ++round) {
        QDir(local + QStringLiteral("tree")).removeRecursively();
        SettleDisk();
        int before = CommandsLogged(server);
        QElapsedTimer timer;
        timer.start();
        form.transfers().DownloadEntries({RemoteEntry{"tree", 0, {}, true}}, remoteRoot,
                                         QFile::encodeName(local).toStdString());
        ours = std::min(ours, Seconds(timer));
        downCommands = CommandsLogged(server) - before;
        downloadOk = downloadOk && CountFiles(local + QStringLiteral("tree")) == files;

        QDir(server.path(QStringLiteral("up"))).removeRecursively();
        server.makeDir(QStringLiteral("up"));
        SettleDisk();
        before = CommandsLogged(server);
        timer.restart();
        form.transfers().UploadPaths({QFile::encodeName(local + QStringLiteral("tree")).toStdString()},
                                     remoteRoot + "up/");
        oursUp = std::min(oursUp, Seconds(timer));
        upCommands = CommandsLogged(server) - before;
        uploadOk = uploadOk && CountFiles(server.path(QStringLiteral("up/tree"))) == files;

        QDir(local + QStringLiteral("lftp")).removeRecursively();
        SettleDisk();
        lftpDown =
            std::min(lftpDown, RunLftp(server.port(), QStringLiteral("mirror tree %1lftp").arg(local)));
        QDir(server.path(QStringLiteral("lftp-up"))).removeRecursively();
        SettleDisk();
        lftpUp =
            std::min(lftpUp, RunLftp(server.port(), QStringLiteral("mirror -R %1tree lftp-up").arg(local)));
    }

    std::printf("%d files of 1 KiB in %d folders, platform %s\n", files, kFolders,
                qPrintable(QGuiApplication::platformName()));
    std::printf("download: ours %.2f s%s, lftp mirror %.2f s, ratio %.2f, %.2f commands a file\n", ours,
                downloadOk ? "" : " FILES MISSING", lftpDown, lftpDown / ours, double(downCommands) / files);
    std::printf("upload:   ours %.2f s%s, lftp mirror -R %.2f s, ratio %.2f, %.2f commands a file\n", oursUp,
                uploadOk ? "" : " FILES MISSING", lftpUp, lftpUp / oursUp, double(upCommands) / files);
    if (!lftpOk)
        std::printf("lftp did not move every file\n");
    return downloadOk && uploadOk ? 0 : 1;
}
