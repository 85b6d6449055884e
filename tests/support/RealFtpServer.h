#pragma once
// A packaged FTP server (pure-ftpd, vsftpd or proftpd) unpacked into the build folder, run on a free
// loopback port for one local user whose root is a temporary folder; stops with the object.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class RealFtpServer {
public:
    enum class Kind { PureFtpd, Vsftpd, Proftpd };

    static constexpr const char* kUser = "tovoftp";
    static constexpr const char* kPassword = "Tovo-Test-42";

    explicit RealFtpServer(Kind kind);
    ~RealFtpServer();
    RealFtpServer(const RealFtpServer&) = delete;
    RealFtpServer& operator=(const RealFtpServer&) = delete;

    // Before start(), vsftpd only: explicit TLS required for logins and data, data connections that
    // resume the control connection's session, and a TLS close at the end of every transfer.
    void requireTls(const QString& certificate, const QString& key);
    // Why this machine cannot run the server at all (not fetched, not root), or "" when it can.
    static QString unavailableReason();
    // Hands the root folder to the user and starts the server; false with the reason in error().
    bool start();
    int port() const { return m_port; }
    QString error() const { return m_error; }
    QString root() const { return m_root.path(); }

private:
    QString writeConfig(QStringList& arguments);
    QString log() const;

    Kind m_kind;
    QTemporaryDir m_root;
    QTemporaryDir m_scratch; // configuration, user databases and logs, outside the served folder
    QProcess m_process;
    int m_port = 0;
    QString m_error;
    QString m_tlsConfig;
};
