#include "tests/support/TestCertificates.h"

#include <QProcess>

namespace {

QString Openssl(const QString& arguments) {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    openssl.waitForFinished(30000);
    return QString::fromLatin1(openssl.readAllStandardOutput()).trimmed();
}

} // namespace

TestCertificates::Files TestCertificates::make(const QString& name) {
    const QString base = m_dir.filePath(QString::number(++m_made));
    const Files files{base + QStringLiteral(".pem"), base + QStringLiteral(".key")};
    Openssl(QStringLiteral(
                "req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 30 -keyout %1 "
                "-out %2 -subj /CN=%3 -addext subjectAltName=IP:127.0.0.1")
                .arg(files.key, files.certificate, name));
    return files;
}

QString TestCertificates::fingerprint(const QString& certificateFile) {
    const QString output = Openssl(QStringLiteral("x509 -noout -fingerprint -sha256 -in ") + certificateFile);
    return output.mid(output.indexOf(QLatin1Char('=')) + 1);
}
