#include "tests/support/RealFtpServer.h"

#include "tests/support/TestFiles.h"
#include "tests/support/UnusedPort.h"

#include <QTcpSocket>
#include <QThread>

#include <unistd.h>

namespace {
const QString kUnpacked = QStringLiteral(TOVO_TEST_SERVERS_DIR);
}

RealFtpServer::~RealFtpServer() {
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

QString RealFtpServer::unavailableReason() {
    if (!QFile::exists(kUnpacked + QStringLiteral("/complete")))
        return QStringLiteral("servers not fetched into %1 (scripts/fetch-test-servers.sh): %2")
            .arg(kUnpacked, QString::fromUtf8(ReadFileBytes(kUnpacked + "/fetch.log")).trimmed().right(300));
    return geteuid() == 0 ? QString()
                          : QStringLiteral("the servers log in a local system user, which needs root");
}

bool RealFtpServer::start() {
    const char* names[] = {"pure-ftpd", "vsftpd", "proftpd"};
    const QString log = m_scratch.filePath(QStringLiteral("output.log"));
    m_port = UnusedLoopbackPort();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(log);
    m_process.start(QStringLiteral("bash"),
                    QStringList{QStringLiteral(TOVO_TEST_SUPPORT_DIR "/realftpserver.sh"), kUnpacked,
                                names[int(m_kind)], QString::number(m_port), root(), m_scratch.path()} +
                        m_tls);
    // Ready once the greeting arrives; a server that exits or never answers has failed.
    for (int attempt = 0; attempt < 100 && m_process.waitForStarted(10000); ++attempt) {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), quint16(m_port));
        if (probe.waitForConnected(1000) && probe.waitForReadyRead(3000) && probe.readAll().startsWith("220"))
            return true;
        QThread::msleep(100);
    }
    m_error = QStringLiteral("%1 did not greet on port %2: %3")
                  .arg(QLatin1String(names[int(m_kind)]))
                  .arg(m_port)
                  .arg(QString::fromUtf8(ReadFileBytes(log).right(500)));
    return false;
}
