#include "tests/support/TestCertificates.h"

#include <QFile>
#include <QProcess>

namespace {

const QStringList kNewKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                          QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

bool TestCertificates::run(const QStringList& arguments) {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), arguments);
    return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit &&
           openssl.exitCode() == 0;
}

TestCertificates::Files TestCertificates::selfSigned(const QString& name) {
    const QString base = m_dir.filePath(QStringLiteral("self%1").arg(++m_made));
    const Files files{base + QStringLiteral(".pem"), base + QStringLiteral(".key")};
    run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
        QStringList{QStringLiteral("-keyout"), files.key, QStringLiteral("-out"), files.certificate,
                    QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-subj"),
                    QStringLiteral("/CN=") + name, QStringLiteral("-addext"),
                    QStringLiteral("subjectAltName=IP:127.0.0.1")});
    return files;
}

QString TestCertificates::caFile() {
    const QString ca = m_dir.filePath(QStringLiteral("ca.pem"));
    if (!QFile::exists(ca))
        run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
            QStringList{QStringLiteral("-keyout"), m_dir.filePath(QStringLiteral("ca.key")),
                        QStringLiteral("-out"), ca, QStringLiteral("-days"), QStringLiteral("30"),
                        QStringLiteral("-subj"), QStringLiteral("/CN=Tovo Test CA")});
    return ca;
}

TestCertificates::Files TestCertificates::signedByCa(const QString& name) {
    const QString base = m_dir.filePath(QStringLiteral("signed%1").arg(++m_made));
    const Files files{base + QStringLiteral(".pem"), base + QStringLiteral(".key")};
    QFile extensions(base + QStringLiteral(".ext"));
    if (extensions.open(QIODevice::WriteOnly))
        extensions.write("subjectAltName=IP:127.0.0.1\n");
    extensions.close();
    run(QStringList{QStringLiteral("req"), QStringLiteral("-new")} + kNewKey +
        QStringList{QStringLiteral("-keyout"), files.key, QStringLiteral("-out"),
                    base + QStringLiteral(".csr"), QStringLiteral("-subj"), QStringLiteral("/CN=") + name});
    run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), base + QStringLiteral(".csr"),
         QStringLiteral("-CA"), caFile(), QStringLiteral("-CAkey"), m_dir.filePath(QStringLiteral("ca.key")),
         QStringLiteral("-CAcreateserial"), QStringLiteral("-out"), files.certificate,
         QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-extfile"), extensions.fileName()});
    return files;
}

QString TestCertificates::fingerprint(const QString& certificateFile) {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("x509"), QStringLiteral("-in"), certificateFile, QStringLiteral("-noout"),
                   QStringLiteral("-fingerprint"), QStringLiteral("-sha256")});
    openssl.waitForFinished(30000);
    const QString output = QString::fromLatin1(openssl.readAllStandardOutput()).trimmed();
    return output.mid(output.indexOf(QLatin1Char('=')) + 1);
}
