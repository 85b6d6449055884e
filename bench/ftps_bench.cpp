// Download and upload of one 256 MiB file over FTPS (explicit TLS) through the main window's transfer
// queues against a local vsftpd that requires TLS and session reuse, next to curl --ssl-reqd on the
// same server. One run each way. Needs root and the unpacked test servers (configure the build first).
// Run: build/<preset>/bench/ftps_bench [MiB]

#include "app/frmMain.h"
#include "bench/BenchSupport.h"
#include "session/FtpSession.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/RealFtpServer.h"
#include "tests/support/TestCertificates.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"
#include "transfer/Transfers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 mib = argc > 1 ? QByteArray(argv[1]).toLongLong() : 256;
    const qint64 size = mib << 20;
    if (const QString reason = RealFtpServer::unavailableReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "vsftpd: %s\n", qPrintable(reason));
        return 1;
    }

    TestCertificates certificates;
    const auto files = certificates.make(QStringLiteral("tovo-bench"));
    RealFtpServer server(RealFtpServer::Kind::Vsftpd);
    WritePattern(server.root() + QStringLiteral("/big.bin"), size);
    server.requireTls(files.certificate, files.key);
    if (!server.start()) {
        std::fprintf(stderr, "vsftpd: %s\n", qPrintable(server.error()));
        return 1;
    }
    const QString url = QStringLiteral("ftp://%1:%2@127.0.0.1:%3/")
                            .arg(QLatin1String(RealFtpServer::kUser), QLatin1String(RealFtpServer::kPassword))
                            .arg(server.port());
    SetMsgBoxResponder([](const QString&, int, const QString&) { return int(vbOK); });
    SetCertificateDecider([](const ServerCertificate&) { return CertificateDecision::TrustOnce; });

    MainWindowHarness f;
    FtpSession.Secure = true;
    f.connectTo(server.port(), QLatin1String(RealFtpServer::kUser), QLatin1String(RealFtpServer::kPassword));
    if (FtpSession.hConnect == 0) {
        std::fprintf(stderr, "no FTPS connection\n");
        return 1;
    }
    frmMain& form = f.form();
    SetNetworkTimeoutMs(30000);

    f.clickRemote({QStringLiteral("big.bin")});
    form.transfers().BuildDownloadQueue();
    QElapsedTimer timer;
    timer.start();
    form.transfers().DownloadQueue();
    const double down = Seconds(timer);
    const QString local = f.localDir() + QStringLiteral("big.bin");
    const bool downloadOk = QFile(local).size() == size;
    const double curlDown = RunCurl({QStringLiteral("-s"), QStringLiteral("--ssl-reqd"), QStringLiteral("-k"),
                                     QStringLiteral("-o"), f.localDir() + QStringLiteral("curl.bin"),
                                     url + QStringLiteral("big.bin")});

    f.listLocal();
    f.clickLocal({QStringLiteral("big.bin")});
    form.transfers().BuildUploadQueue();
    timer.restart();
    form.transfers().UploadQueue();
    const double up = Seconds(timer);
    const bool uploadOk = QFile(server.root() + QStringLiteral("/big.bin")).size() == size;
    const double curlUp = RunCurl({QStringLiteral("-s"), QStringLiteral("--ssl-reqd"), QStringLiteral("-k"),
                                   QStringLiteral("-T"), local, url + QStringLiteral("curl-up.bin")});

    const double mb = static_cast<double>(size) / (1 << 20);
    std::printf("FTPS, %lld MiB, vsftpd on loopback, one run each\n", static_cast<long long>(mib));
    std::printf("download: ours %.2f s (%.1f MiB/s)%s, curl %.2f s (%.1f MiB/s), ours/curl speed %.2f\n",
                down, mb / down, downloadOk ? "" : " SIZE WRONG", curlDown, mb / curlDown, curlDown / down);
    std::printf("upload:   ours %.2f s (%.1f MiB/s)%s, curl %.2f s (%.1f MiB/s), ours/curl speed %.2f\n", up,
                mb / up, uploadOk ? "" : " SIZE WRONG", curlUp, mb / curlUp, curlUp / up);
    return downloadOk && uploadOk ? 0 : 1;
}
