#include "tests/support/RealFtpServer.h"

#include "tests/support/UnusedPort.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTcpSocket>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

namespace {

QString unpacked() {
    return QStringLiteral(TOVO_TEST_SERVERS_DIR);
}
QString binary(const char* relative) {
    return unpacked() + QStringLiteral("/root/") + QLatin1String(relative);
}

bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// The server's user: a system account with home "/" (vsftpd changes there before its chroot) and
// the test password, which vsftpd checks through PAM.
const passwd* EnsureUser() {
    if (!getpwnam(RealFtpServer::kUser))
        run(QStringLiteral("useradd"),
            {QStringLiteral("--system"), QStringLiteral("--no-create-home"), QStringLiteral("--home-dir"),
             QStringLiteral("/"), QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
             QLatin1String(RealFtpServer::kUser)});
    const QByteArray entry = QByteArray(RealFtpServer::kUser) + ':' + RealFtpServer::kPassword + '\n';
    if (!run(QStringLiteral("chpasswd"), {}, entry))
        return nullptr;
    return getpwnam(RealFtpServer::kUser);
}

// kPassword as crypt(3) SHA-512, for proftpd's passwd file.
constexpr const char* kPasswordHash =
    "$6$tovotest$WoOUvPJzAJo7BTl/FhqRQABpY9lAvLh0PbTW8pqW2R2g146nBNA7mGqSdEEP3EAuEoDeWmrdwiy3PhYMGwtAE1";

bool WriteText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

} // namespace

RealFtpServer::RealFtpServer(Kind kind) : m_kind(kind) {}

RealFtpServer::~RealFtpServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

QString RealFtpServer::unavailableReason() {
    if (!QFile::exists(unpacked() + QStringLiteral("/complete"))) {
        QFile log(unpacked() + QStringLiteral("/fetch.log"));
        const QString detail =
            log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).trimmed() : "";
        return QStringLiteral("servers not fetched into %1 (scripts/fetch-test-servers.sh): %2")
            .arg(unpacked(), detail.right(300));
    }
    if (geteuid() != 0)
        return QStringLiteral("the servers log in a local system user, which needs root");
    return {};
}

void RealFtpServer::requireTls(const QString& certificate, const QString& key) {
    m_tlsConfig =
        QStringLiteral("ssl_enable=YES\nrsa_cert_file=%1\nrsa_private_key_file=%2\nssl_ciphers=HIGH\n"
                       "force_local_logins_ssl=YES\nforce_local_data_ssl=YES\nrequire_ssl_reuse=YES\n"
                       "strict_ssl_read_eof=YES\nstrict_ssl_write_shutdown=YES\n")
            .arg(certificate, key);
}

bool RealFtpServer::start() {
    const passwd* user = EnsureUser();
    if (!user) {
        m_error = QStringLiteral("cannot create or set the password of user ") + QLatin1String(kUser);
        return false;
    }
    // Everything the test placed in the root belongs to the user, so the server may change it.
    QDirIterator it(root(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        (void)lchown(QFile::encodeName(it.next()).constData(), user->pw_uid, user->pw_gid);
    (void)chown(QFile::encodeName(root()).constData(), user->pw_uid, user->pw_gid);

    m_port = UnusedLoopbackPort();
    QStringList arguments;
    const QString program = writeConfig(arguments);
    if (program.isEmpty())
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QFile libraries(unpacked() + QStringLiteral("/libpath"));
    if (libraries.open(QIODevice::ReadOnly))
        environment.insert(QStringLiteral("LD_LIBRARY_PATH"),
                           QString::fromUtf8(libraries.readAll()).trimmed());
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(m_scratch.filePath(QStringLiteral("output.log")));
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot run ") + program;
        return false;
    }
    // Ready once the greeting arrives; a server that exits or never answers has failed.
    for (int attempt = 0; attempt < 100 && m_process.state() == QProcess::Running; ++attempt) {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(m_port));
        if (probe.waitForConnected(1000) && probe.waitForReadyRead(3000) && probe.readAll().startsWith("220"))
            return true;
        QThread::msleep(100);
    }
    m_error = QStringLiteral("server did not greet on port %1: %2").arg(m_port).arg(log());
    return false;
}

QString RealFtpServer::writeConfig(QStringList& arguments) {
    const QString port = QString::number(m_port);
    const auto scratch = [this](const char* name) { return m_scratch.filePath(QLatin1String(name)); };
    const passwd* user = getpwnam(kUser);
    const QString uid = QString::number(user->pw_uid), gid = QString::number(user->pw_gid);
    switch (m_kind) {
    case Kind::PureFtpd: {
        const QByteArray twice = QByteArray(kPassword) + '\n' + kPassword + '\n';
        if (!run(binary("usr/bin/pure-pw"),
                 {QStringLiteral("useradd"), QLatin1String(kUser), QStringLiteral("-u"), uid,
                  QStringLiteral("-g"), gid, QStringLiteral("-d"), root(), QStringLiteral("-f"),
                  scratch("pure.passwd"), QStringLiteral("-F"), scratch("pure.pdb"), QStringLiteral("-m")},
                 twice)) {
            m_error = QStringLiteral("pure-pw could not make the user database");
            return {};
        }
        // -L raises the 2,000-entry listing limit; -A keeps the user in its root.
        arguments = {QStringLiteral("-S"),       QStringLiteral("127.0.0.1,") + port,
                     QStringLiteral("-l"),       QStringLiteral("puredb:") + scratch("pure.pdb"),
                     QStringLiteral("-E"),       QStringLiteral("-A"),
                     QStringLiteral("-H"),       QStringLiteral("-L"),
                     QStringLiteral("100000:8"), QStringLiteral("-U"),
                     QStringLiteral("133:022")};
        return binary("usr/sbin/pure-ftpd");
    }
    case Kind::Vsftpd: {
        QDir().mkpath(scratch("empty"));
        const QString config =
            QStringLiteral("listen=YES\nlisten_address=127.0.0.1\nlisten_port=%1\nbackground=NO\n"
                           "seccomp_sandbox=NO\nanonymous_enable=NO\nlocal_enable=YES\nwrite_enable=YES\n"
                           "local_umask=022\nchroot_local_user=YES\nallow_writeable_chroot=YES\n"
                           "local_root=%2\nsecure_chroot_dir=%3\npam_service_name=vsftpd\ncheck_shell=NO\n"
                           "userlist_enable=NO\nxferlog_enable=NO\n")
                .arg(port, root(), scratch("empty"));
        WriteText(scratch("vsftpd.conf"), config + m_tlsConfig);
        arguments = {scratch("vsftpd.conf")};
        return binary("usr/sbin/vsftpd");
    }
    case Kind::Proftpd: {
        // A virtual user from its own passwd file (home = the root), so no system password is needed.
        WriteText(scratch("ftpd.passwd"),
                  QStringLiteral("%1:%2:%3:%4::%5:/bin/sh\n")
                      .arg(QLatin1String(kUser), QLatin1String(kPasswordHash), uid, gid, root()));
        WriteText(scratch("ftpd.group"), QStringLiteral("%1:x:%2:\n").arg(QLatin1String(kUser), gid));
        QFile::setPermissions(scratch("ftpd.passwd"), QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(scratch("ftpd.group"), QFile::ReadOwner | QFile::WriteOwner);
        const QString config =
            QStringLiteral("ServerType standalone\nDefaultServer on\nPort %1\nDefaultAddress 127.0.0.1\n"
                           "UseIPv6 off\nUser root\nGroup root\nPidFile %2/proftpd.pid\n"
                           "ScoreboardFile %2/proftpd.scoreboard\nDelayTable none\nWtmpLog off\n"
                           "UseReverseDNS off\nRequireValidShell off\nAuthOrder mod_auth_file.c\n"
                           "AuthUserFile %2/ftpd.passwd\nAuthGroupFile %2/ftpd.group\nDefaultRoot ~\n"
                           "Umask 022\nListOptions \"\" maxfiles 100000\n"
                           "<Directory />\n  AllowOverwrite on\n</Directory>\n")
                .arg(port, m_scratch.path());
        WriteText(scratch("proftpd.conf"), config);
        arguments = {QStringLiteral("-n"), QStringLiteral("-q"), QStringLiteral("-c"),
                     scratch("proftpd.conf")};
        return binary("usr/sbin/proftpd");
    }
    }
    return {};
}

QString RealFtpServer::log() const {
    QFile file(m_scratch.filePath(QStringLiteral("output.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).right(500) : QString();
}
