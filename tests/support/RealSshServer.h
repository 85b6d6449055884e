#pragma once
// OpenSSH's sshd, run as root on a free loopback port with its own host key and configuration in a
// temporary folder, serving SFTP to the local user tovoftp (password or key) from a temporary root.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class RealSshServer {
public:
    static constexpr const char* kUser = "tovoftp"; // the FTP servers' test user
    static constexpr const char* kPassword = "Tovo-Test-42";

    RealSshServer() = default;
    ~RealSshServer();

    // Why this machine cannot run it (no sshd, not root), or "" when it can.
    static QString unavailableReason();
    // Creates the user, keys and configuration on the first call and starts sshd; false with the
    // reason in error().
    bool start();
    void stop();
    // A new host key, as a reinstalled or impersonated server would have; takes effect on start().
    bool replaceHostKey();
    // Stops or continues sshd and every process of it (a server that no longer answers).
    void freeze(bool frozen);

    int port() const { return m_port; }
    QString root() const { return m_root.path(); }
    QString userKey() const { return m_scratch.filePath(QStringLiteral("userkey")); } // no passphrase
    QString hostKeyBase64() const;
    QString error() const { return m_error; }

private:
    bool prepare();
    bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {});

    QTemporaryDir m_root, m_scratch;
    QProcess m_process;
    bool m_prepared = false;
    int m_port = 0;
    QString m_error;
};
