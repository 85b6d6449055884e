#pragma once
// Certificates made for a test by the openssl command: self-signed ones and ones signed by the
// test's own CA, each for the address 127.0.0.1, and their fingerprints as openssl prints them.

#include <QString>
#include <QTemporaryDir>

class TestCertificates {
public:
    struct Files {
        QString certificate;
        QString key;
    };

    Files selfSigned(const QString& name);
    Files signedByCa(const QString& name);
    // The CA that signedByCa() uses (made on first use).
    QString caFile();
    // "AB:CD:..." from `openssl x509 -fingerprint -sha256`.
    static QString fingerprint(const QString& certificateFile);

private:
    static bool run(const QStringList& arguments);

    QTemporaryDir m_dir;
    int m_made = 0;
};
