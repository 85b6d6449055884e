#pragma once
// Self-signed certificates for 127.0.0.1 made by the openssl command for a test, and their
// fingerprints as openssl prints them.

#include <QStringList>
#include <QTemporaryDir>

class TestCertificates {
public:
    struct Files {
        QString certificate, key;
    };
    Files make(const QString& name);
    static QString fingerprint(const QString& certificateFile); // "AB:CD:..."

private:
    QTemporaryDir m_dir;
    int m_made = 0;
};
