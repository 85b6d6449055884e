#pragma once
// A real FTP server (pyftpdlib, run by ftpserver.py) on a free loopback port, serving a temporary folder;
// stops with the object.

#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

class FtpTestServer {
public:
    struct User {
        QString name, password;
        QString home;  // folder below the root, "" for the root itself
        QString start; // login directory as the server reports it, "" for "/"
    };

    // With no users given, one user "user" with password "secret" whose home is the root.
    explicit FtpTestServer(const QList<User>& users = {}, bool offerMlsd = true) {
        QJsonArray list;
        for (const User& user : users)
            list.append(QJsonObject{{"name", user.name},
                                    {"password", user.password},
                                    {"home", path(user.home)},
                                    {"start", user.start}});
        m_config = QJsonObject{{"root", root()}, {"users", list}, {"mlsd", offerMlsd}};
    }
    ~FtpTestServer() {
        m_process.closeWriteChannel(); // the server ends when its standard input closes
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }

    // Before start(): explicit TLS required on control and data connections with this certificate chain
    // and key (PEM files), TLS 1.2 only when maxVersion is "1.2".
    void requireTls(const QString& certificate, const QString& key, const QString& maxVersion) {
        m_config.insert("tls", QJsonObject{{"cert", certificate}, {"key", key}, {"max", maxVersion}});
    }
    // Before start(): uploads are read at no more than this many bytes a second.
    void throttleUploads(int bytesPerSecond) { m_config.insert("rate", bytesPerSecond); }
    // Before start(): every command and reply goes to the log as well ("<- NOOP" after the client's
    // address and port).
    void logCommands() { m_config.insert("debug", true); }
    // Before start(): names that are not UTF-8 are served and stored as the bytes they are.
    void serveRawNames() { m_config.insert("rawNames", true); }
    // What the server wrote to its log so far, among it "received PATH" or "incomplete PATH" for the
    // end of every upload.
    QByteArray log() const { return ReadFileBytes(m_scratch.filePath(QStringLiteral("server.log"))); }
    // False (with the reason in error()) when Python or pyftpdlib is missing.
    bool start() {
        // The server's messages go to a file: a pipe nobody reads while a test blocks in a network call
        // would stall the server.
        const QString log = m_scratch.filePath(QStringLiteral("server.log"));
        m_process.setStandardErrorFile(log);
        m_process.start(QStringLiteral(TOVO_SYSTEM_PYTHON),
                        {QStringLiteral(TOVO_TEST_SUPPORT_DIR "/ftpserver.py"),
                         QString::fromUtf8(QJsonDocument(m_config).toJson(QJsonDocument::Compact))});
        while (m_process.waitForStarted(10000) && !m_process.canReadLine() &&
               m_process.waitForReadyRead(15000)) {
        }
        m_port = m_process.canReadLine() ? m_process.readLine().trimmed().toInt() : 0;
        if (m_port <= 0)
            m_error =
                QStringLiteral("cannot run " TOVO_SYSTEM_PYTHON ": ") + QString::fromUtf8(ReadFileBytes(log));
        return m_port > 0;
    }
    int port() const { return m_port; }
    QString error() const { return m_error; }

    QString root() const { return m_root.path(); }
    QString path(const QString& relative) const {
        return relative.isEmpty() ? root() : root() + '/' + relative;
    }
    void makeDir(const QString& relative) const { QDir().mkpath(path(relative)); }
    QByteArray readFile(const QString& relative) const { return ReadFileBytes(path(relative)); }
    void writeFile(const QString& relative, const QByteArray& content) const {
        QDir().mkpath(QFileInfo(path(relative)).path());
        WriteFileBytes(path(relative), content);
    }

private:
    QJsonObject m_config;
    QTemporaryDir m_root;
    QTemporaryDir m_scratch; // the server's log, outside the served folder
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

// Fails the calling test function when the server cannot start on this machine.
#define TOVO_REQUIRE_SERVER(server)                                                                          \
    do {                                                                                                     \
        if (!(server).start())                                                                               \
            QFAIL(qPrintable(QStringLiteral("FTP test server did not start: ") + (server).error()));         \
    } while (false)
