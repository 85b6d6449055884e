// Download and upload of one 256 MiB file over SFTP through the WinInet-named calls (a transfer's
// loop of large reads and writes) against OpenSSH's sshd on loopback, next to OpenSSH's sftp in batch
// mode with a key on the same server. Best of two runs each. Needs root and openssh-server.
// Run: build/<preset>/bench/sftp_bench [MiB]

#include "bench/BenchSupport.h"
#include "session/WinInetAPI.h"
#include "tests/support/RealSshServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr std::uint32_t kBuffer = 1 << 20;

// Seconds for one transfer through our calls; -1 when it failed.
double RunOurs(const RealSshServer& server, bool upload, const QString& local, qint64 size) {
    SettleDisk();
    QElapsedTimer timer;
    timer.start();
    const HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    const HINTERNET connection =
        InternetConnectSftpA(internet, "127.0.0.1", server.port(), RealSshServer::kUser, "",
                             server.userKey().toUtf8().constData(), 0);
    const HINTERNET file =
        connection ? FtpOpenFileA(connection, upload ? "up.bin" : "big.bin",
                                  upload ? GENERIC_WRITE : GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0)
                   : 0;
    QFile disk(local);
    std::vector<char> buffer(kBuffer);
    qint64 moved = 0;
    bool ok = file && disk.open(upload ? QIODevice::ReadOnly : QIODevice::WriteOnly | QIODevice::Truncate);
    while (ok) {
        std::uint32_t count = 0;
        if (upload) {
            const qint64 got = disk.read(buffer.data(), kBuffer);
            if (got <= 0)
                break;
            ok = InternetWriteFile(file, buffer.data(), std::uint32_t(got), &count);
        } else {
            ok = InternetReadFile(file, buffer.data(), kBuffer, &count) &&
                 disk.write(buffer.data(), count) == count;
            if (count == 0)
                break;
        }
        moved += count;
    }
    ok = file && InternetCloseHandle(file) && ok && moved == size;
    disk.close();
    InternetCloseHandle(internet);
    return ok ? Seconds(timer) : -1;
}

double RunSftp(const RealSshServer& server, bool upload, const QString& local, const QString& batch) {
    QFile commands(batch);
    if (!commands.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    commands.write((upload ? "put " + local + " up.bin\n" : "get big.bin " + local + '\n').toUtf8());
    commands.close();
    SettleDisk();
    QElapsedTimer timer;
    timer.start();
    QProcess sftp;
    sftp.start(QStringLiteral("sftp"),
               {"-q", "-b", batch, "-i", server.userKey(), "-o", "StrictHostKeyChecking=no", "-o",
                "UserKnownHostsFile=/dev/null", "-P", QString::number(server.port()),
                QStringLiteral("%1@127.0.0.1").arg(QLatin1String(RealSshServer::kUser))});
    sftp.waitForFinished(-1);
    if (sftp.exitCode() != 0) {
        std::fprintf(stderr, "sftp failed: %s\n", sftp.readAllStandardError().constData());
        return -1;
    }
    return Seconds(timer);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 mib = argc > 1 ? QByteArray(argv[1]).toLongLong() : 256;
    const qint64 size = mib << 20;
    if (const QString reason = RealSshServer::unavailableReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "sshd: %s\n", qPrintable(reason));
        return 1;
    }
    qputenv("SSH_AUTH_SOCK", "");
    QTemporaryDir local;
    RealSshServer server;
    WritePattern(server.root() + QStringLiteral("/big.bin"), size);
    WritePattern(local.filePath(QStringLiteral("source.bin")), size);
    if (!server.start()) {
        std::fprintf(stderr, "sshd: %s\n", qPrintable(server.error()));
        return 1;
    }
    SetHostKeyDecider([](const ServerHostKey&) { return HostKeyDecision::TrustOnce; });
    SetNetworkTimeoutMs(30000);
    const QString downloaded = local.filePath(QStringLiteral("down.bin"));
    const QString source = local.filePath(QStringLiteral("source.bin"));
    const QString batch = local.filePath(QStringLiteral("batch"));

    // Best of two: the machine is shared, and one run can be slowed by others.
    double ours[2] = {1e9, 1e9}, theirs[2] = {1e9, 1e9};
    for (int round = 0; round < 2; ++round) {
        for (const bool upload : {false, true}) {
            const double mine = RunOurs(server, upload, upload ? source : downloaded, size);
            const double sftp = RunSftp(server, upload, upload ? source : downloaded, batch);
            if (mine < 0 || sftp < 0) {
                std::fprintf(stderr, "%s failed\n", mine < 0 ? "our transfer" : "sftp");
                return 1;
            }
            ours[upload] = std::min(ours[upload], mine);
            theirs[upload] = std::min(theirs[upload], sftp);
        }
    }
    const double megabytes = static_cast<double>(size) / 1e6;
    for (const bool upload : {false, true})
        std::printf("%-8s ours %7.1f MB/s   sftp %7.1f MB/s   ratio %.2f\n", upload ? "upload" : "download",
                    megabytes / ours[upload], megabytes / theirs[upload], theirs[upload] / ours[upload]);
    std::printf("peak memory (ru_maxrss): %.1f MiB\n", static_cast<double>(PeakRssKiB()) / 1024.0);
    return 0;
}
