#pragma once
// Self-signed certificates for 127.0.0.1 made by the openssl command for a test, and their
// fingerprints as openssl prints them.

#include <QProcess>
#include <QTemporaryDir>

class TestCertificates {
public:
    struct Files {
        QString certificate, key;
    };
    Files make(const QString& name) {
        const QString base = m_dir.filePath(QString::number(++m_made));
        const Files files{base + ".pem", base + ".key"};
        Openssl(QStringLiteral("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 30 "
                               "-keyout %1 -out %2 -subj /CN=%3 -addext subjectAltName=IP:127.0.0.1")
                    .arg(files.key, files.certificate, name));
        return files;
    }
    static QString fingerprint(const QString& certificateFile) { // "AB:CD:..."
        const QString output = Openssl("x509 -noout -fingerprint -sha256 -in " + certificateFile);
        return output.mid(output.indexOf('=') + 1);
    }

private:
    static QString Openssl(const QString& arguments) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), arguments.split(' '));
        openssl.waitForFinished(30000);
        return QString::fromLatin1(openssl.readAllStandardOutput()).trimmed();
    }

    QTemporaryDir m_dir;
    int m_made = 0;
};
