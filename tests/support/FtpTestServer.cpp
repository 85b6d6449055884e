#include "tests/support/FtpTestServer.h"

#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

FtpTestServer::FtpTestServer(QList<User> users, bool offerMlsd)
    : m_users(std::move(users)), m_offerMlsd(offerMlsd) {
    if (m_users.isEmpty())
        m_users.append(User{QStringLiteral("user"), QStringLiteral("secret"), {}, {}});
}

FtpTestServer::~FtpTestServer() {
    // The server ends when its standard input closes.
    m_process.closeWriteChannel();
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

void FtpTestServer::requireTls(const QString& certificate, const QString& key, const QString& maxVersion) {
    m_tls = QJsonObject{{QStringLiteral("cert"), certificate},
                        {QStringLiteral("key"), key},
                        {QStringLiteral("max"), maxVersion}};
}

bool FtpTestServer::start() {
    QJsonArray users;
    for (const User& user : m_users) {
        QDir().mkpath(path(user.home));
        users.append(QJsonObject{{QStringLiteral("name"), user.name},
                                 {QStringLiteral("password"), user.password},
                                 {QStringLiteral("home"), path(user.home)},
                                 {QStringLiteral("start"), user.start},
                                 {QStringLiteral("perm"), user.perm}});
    }
    QJsonObject config{{QStringLiteral("root"), root()},
                       {QStringLiteral("users"), users},
                       {QStringLiteral("mlsd"), m_offerMlsd}};
    if (!m_tls.isEmpty())
        config.insert(QStringLiteral("tls"), m_tls);
    // The server's messages go to a file: a pipe nobody reads while a test blocks in a network call
    // would stall the server.
    const QString log = m_scratch.filePath(QStringLiteral("server.log"));
    m_process.setStandardErrorFile(log);
    m_process.start(QStringLiteral(TOVO_SYSTEM_PYTHON),
                    {QStringLiteral(TOVO_TEST_SUPPORT_DIR "/ftpserver.py"),
                     QString::fromUtf8(QJsonDocument(config).toJson(QJsonDocument::Compact))});
    while (m_process.waitForStarted(10000) && !m_process.canReadLine() && m_process.waitForReadyRead(15000)) {
    }
    m_port = m_process.canReadLine() ? m_process.readLine().trimmed().toInt() : 0;
    m_error = m_port > 0 ? QString()
                         : QStringLiteral("cannot run " TOVO_SYSTEM_PYTHON ": ") +
                               QString::fromUtf8(ReadFileBytes(log));
    return m_port > 0;
}

QString FtpTestServer::path(const QString& relative) const {
    return relative.isEmpty() ? root() : root() + QLatin1Char('/') + relative;
}

void FtpTestServer::writeFile(const QString& relative, const QByteArray& content) const {
    QDir().mkpath(QFileInfo(path(relative)).path());
    WriteFileBytes(path(relative), content);
}

QByteArray FtpTestServer::readFile(const QString& relative) const {
    return ReadFileBytes(path(relative));
}

void FtpTestServer::makeDir(const QString& relative) const {
    QDir().mkpath(path(relative));
}
