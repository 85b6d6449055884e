#include "tests/support/FtpTestServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

FtpTestServer::FtpTestServer(QList<User> users, bool offerMlsd)
    : m_users(std::move(users)), m_offerMlsd(offerMlsd) {
    if (m_users.isEmpty())
        m_users.append(
            User{QStringLiteral("user"), QStringLiteral("secret"), {}, {}, QStringLiteral("elradfmwMT")});
}

FtpTestServer::~FtpTestServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

void FtpTestServer::requireTls(const QString& certificate, const QString& key, const QString& maxVersion) {
    m_tls = QJsonObject{{QStringLiteral("cert"), certificate},
                        {QStringLiteral("key"), key},
                        {QStringLiteral("max"), maxVersion}};
}

bool FtpTestServer::start() {
    QJsonArray users;
    for (const User& user : m_users) {
        const QString home = user.home.isEmpty() ? root() : path(user.home);
        QDir().mkpath(home);
        users.append(QJsonObject{{QStringLiteral("name"), user.name},
                                 {QStringLiteral("password"), user.password},
                                 {QStringLiteral("home"), home},
                                 {QStringLiteral("start"), user.start},
                                 {QStringLiteral("perm"), user.perm}});
    }
    QJsonObject config{{QStringLiteral("root"), root()},
                       {QStringLiteral("users"), users},
                       {QStringLiteral("mlsd"), m_offerMlsd}};
    if (!m_tls.isEmpty())
        config.insert(QStringLiteral("tls"), m_tls);
    const QString script = QStringLiteral(TOVO_TEST_SUPPORT_DIR "/ftpserver.py");
    // The server's messages go to a file: a pipe nobody reads while a test blocks in a network call
    // would stall the server.
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(m_scratch.filePath(QStringLiteral("server.log")));
    m_process.start(QStringLiteral(TOVO_SYSTEM_PYTHON),
                    {script, QString::fromUtf8(QJsonDocument(config).toJson(QJsonDocument::Compact))});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot run " TOVO_SYSTEM_PYTHON);
        return false;
    }
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(15000)) {
            QFile log(m_scratch.filePath(QStringLiteral("server.log")));
            if (log.open(QIODevice::ReadOnly))
                m_error = QString::fromUtf8(log.readAll());
            if (m_error.isEmpty())
                m_error = QStringLiteral("no port announced");
            return false;
        }
    }
    m_port = m_process.readLine().trimmed().toInt();
    if (m_port <= 0) {
        m_error = QStringLiteral("bad port line");
        return false;
    }
    return true;
}

QString FtpTestServer::path(const QString& relative) const {
    return root() + QLatin1Char('/') + relative;
}

void FtpTestServer::writeFile(const QString& relative, const QByteArray& content) const {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

QByteArray FtpTestServer::readFile(const QString& relative) const {
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void FtpTestServer::makeDir(const QString& relative) const {
    QDir().mkpath(path(relative));
}
