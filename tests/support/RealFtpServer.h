#pragma once
// A packaged FTP server (pure-ftpd, vsftpd or proftpd) unpacked into the build folder, run by
// realftpserver.sh on a free loopback port for one local user whose root is a temporary folder.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class RealFtpServer {
public:
    enum class Kind { PureFtpd, Vsftpd, Proftpd };
    static constexpr const char* kUser = "tovoftp"; // the same in realftpserver.sh
    static constexpr const char* kPassword = "Tovo-Test-42";

    explicit RealFtpServer(Kind kind) : m_kind(kind) {}
    ~RealFtpServer();

    // Before start(), vsftpd only: explicit TLS required for logins and data, data connections that
    // resume the control connection's session, and a TLS close at the end of every transfer.
    void requireTls(const QString& certificate, const QString& key) { m_tls = {certificate, key}; }
    // Why this machine cannot run the server at all (not fetched, not root), or "" when it can.
    static QString unavailableReason();
    // Hands the root folder to the user and starts the server; false with the reason in error().
    bool start();
    int port() const { return m_port; }
    QString error() const { return m_error; }
    QString root() const { return m_root.path(); }

private:
    Kind m_kind;
    QTemporaryDir m_root, m_scratch; // scratch: configuration, user databases and logs
    QProcess m_process;
    int m_port = 0;
    QString m_error;
    QStringList m_tls;
};
