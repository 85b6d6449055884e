#pragma once
// A real FTP server (pyftpdlib) on a free loopback port, serving a temporary folder; stops with the object.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class FtpTestServer {
public:
    struct User {
        QString name;
        QString password;
        QString home;  // folder below the root, "" for the root itself
        QString start; // login directory as the server reports it, "" for "/"
        QString perm = QStringLiteral("elradfmwMT");
    };

    // With no users given, one user "user" with password "secret" whose home is the root.
    explicit FtpTestServer(QList<User> users = {}, bool offerMlsd = true);
    ~FtpTestServer();
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    // Before start(): explicit TLS required on control and data connections, with this certificate
    // chain and key (PEM files), TLS 1.2 only when maxVersion is "1.2".
    void requireTls(const QString& certificate, const QString& key, const QString& maxVersion);
    // Starts the server; false (with the reason in error()) when Python or pyftpdlib is missing.
    bool start();
    int port() const { return m_port; }
    QString error() const { return m_error; }

    QString root() const { return m_root.path(); }
    QString path(const QString& relative) const;
    void writeFile(const QString& relative, const QByteArray& content) const;
    QByteArray readFile(const QString& relative) const;
    void makeDir(const QString& relative) const;

private:
    QList<User> m_users;
    bool m_offerMlsd;
    QJsonObject m_tls;
    QTemporaryDir m_root;
    QTemporaryDir m_scratch; // the server's log, outside the served folder
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

// Skips the calling test function when the server cannot start on this machine.
#define TOVO_REQUIRE_SERVER(server)                                                                          \
    do {                                                                                                     \
        if (!(server).start())                                                                               \
            QFAIL(qPrintable(QStringLiteral("FTP test server did not start: ") + (server).error()));         \
    } while (false)
