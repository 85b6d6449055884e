#include "tests/support/RealSshServer.h"

#include "tests/support/UnusedPort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <unistd.h>

namespace {

const QString kSshd = QStringLiteral("/usr/sbin/sshd");

// pid and its descendants, parents first.
QList<qint64> processTree(qint64 pid) {
    QList<qint64> tree{pid};
    for (qsizetype i = 0; i < tree.size(); ++i) {
        const QString task = QStringLiteral("/proc/%1/task").arg(tree[i]);
        for (const QString& thread : QDir(task).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile children(task + QLatin1Char('/') + thread + QStringLiteral("/children"));
            if (children.open(QIODevice::ReadOnly))
                for (const QByteArray& child : children.readAll().split(' '))
                    if (child.trimmed().toLongLong() > 0)
                        tree.append(child.trimmed().toLongLong());
        }
    }
    return tree;
}

} // namespace

RealSshServer::~RealSshServer() {
    stop();
}

QString RealSshServer::unavailableReason() {
    if (!QFileInfo(kSshd).isExecutable() || !QFileInfo(QStringLiteral("/usr/bin/ssh-keygen")).isExecutable())
        return QStringLiteral("OpenSSH's server is not installed (package openssh-server)");
    if (::geteuid() != 0)
        return QStringLiteral("sshd must run as root to log the test user in");
    return {};
}

bool RealSshServer::run(const QString& program, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    m_error = program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError());
    return false;
}

bool RealSshServer::replaceHostKey() {
    QFile::remove(m_scratch.filePath(QStringLiteral("hostkey")));
    QFile::remove(m_scratch.filePath(QStringLiteral("hostkey.pub")));
    return run(QStringLiteral("ssh-keygen"),
               {"-q", "-t", "ed25519", "-N", "", "-f", m_scratch.filePath(QStringLiteral("hostkey"))});
}

QString RealSshServer::hostKeyBase64() const {
    QFile file(m_scratch.filePath(QStringLiteral("hostkey.pub")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().split(' ').value(1))
                                          : QString();
}

bool RealSshServer::prepare() {
    const QString user = QString::fromLatin1(kUser);
    // A system account with home "/" (the start folder comes from the configuration) and the test
    // password, as the FTP servers' script makes it.
    if (!run(QStringLiteral("id"), {user}) &&
        !run(QStringLiteral("useradd"),
             {"--system", "--no-create-home", "--home-dir", "/", "--shell", "/usr/sbin/nologin", user}))
        return false;
    if (!run(QStringLiteral("chpasswd"), {}, QByteArray(kUser) + ':' + kPassword + '\n') ||
        !run(QStringLiteral("chown"), {"-hR", user, m_root.path()}) || !replaceHostKey() ||
        !run(QStringLiteral("ssh-keygen"), {"-q", "-t", "ed25519", "-N", "", "-f", userKey()}) ||
        !QFile::copy(userKey() + QStringLiteral(".pub"),
                     m_scratch.filePath(QStringLiteral("authorized_keys"))))
        return false;
    QDir().mkpath(QStringLiteral("/run/sshd")); // sshd's privilege separation folder
    // sshd reads authorized_keys as the user.
    QFile::setPermissions(m_scratch.path(),
                          QFile::permissions(m_scratch.path()) | QFile::ExeOther | QFile::ReadOther);
    m_prepared = true;
    return true;
}

bool RealSshServer::start() {
    if (!m_prepared && !prepare())
        return false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_port = UnusedLoopbackPort();
        QFile config(m_scratch.filePath(QStringLiteral("sshd_config")));
        if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        config.write(QStringLiteral("Port %1\nListenAddress 127.0.0.1\nHostKey %2\nPidFile none\nUsePAM no\n"
                                    "PasswordAuthentication yes\nKbdInteractiveAuthentication no\n"
                                    "PubkeyAuthentication yes\nAuthorizedKeysFile %3\nStrictModes no\n"
                                    "AllowUsers %4\nSubsystem sftp internal-sftp\n"
                                    "ForceCommand internal-sftp -d %5\n")
                         .arg(m_port)
                         .arg(m_scratch.filePath(QStringLiteral("hostkey")),
                              m_scratch.filePath(QStringLiteral("authorized_keys")),
                              QString::fromLatin1(kUser), m_root.path())
                         .toUtf8());
        config.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(kSshd, {"-D", "-e", "-f", config.fileName()});
        QByteArray log;
        while (m_process.waitForReadyRead(10000)) {
            log += m_process.readAll();
            if (log.contains("Server listening"))
                return true;
        }
        m_error = QString::fromLocal8Bit(log + m_process.readAll());
        stop();
        if (!m_error.contains(QStringLiteral("already in use")))
            return false;
    }
    return false;
}

void RealSshServer::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    const QList<qint64> tree = processTree(m_process.processId());
    for (const qint64 pid : tree) {
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
    m_process.waitForFinished(5000);
}

void RealSshServer::freeze(bool frozen) {
    if (m_process.state() != QProcess::NotRunning)
        for (const qint64 pid : processTree(m_process.processId()))
            ::kill(static_cast<pid_t>(pid), frozen ? SIGSTOP : SIGCONT);
}
