#include "profiles/TrustedCertificates.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// The "trust always" file: per host and port, replaced in place, kept private, never clobbered.
class TrustedCertificatesTest : public QObject {
    Q_OBJECT

private slots:
    void storeAndFind_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("found"); // "" none
        QTest::newRow("same host and port") << "ftp.example.org" << 21 << "11:22";
        QTest::newRow("other port") << "ftp.example.org" << 990 << "";
        QTest::newRow("other host") << "example.org" << 21 << "";
        QTest::newRow("replaced") << "10.0.0.1" << 21 << "55:66";
        QTest::newRow("IPv6 address") << "::1" << 2121 << "77:88";
    }
    void storeAndFind() {
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, found);
        QTemporaryDir dir;
        // A folder that does not exist yet: the installed program's configuration folder.
        const std::string path = dir.filePath(QStringLiteral("config/tovo/trusted.ini")).toStdString();
        QVERIFY(TrustCertificate(path, "ftp.example.org", 21, "11:22"));
        QVERIFY(TrustCertificate(path, "10.0.0.1", 21, "33:44"));
        QVERIFY(TrustCertificate(path, "10.0.0.1", 21, "55:66"));
        QVERIFY(TrustCertificate(path, "::1", 2121, "77:88"));
        QCOMPARE(QString::fromStdString(TrustedFingerprint(path, host.toStdString(), port).value_or("")),
                 found);
        struct stat info {};
        QCOMPARE(::stat(path.c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
    }

    void unreadableFileIsLeftAlone() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trusted.ini"));
        QVERIFY(TrustCertificate(path.toStdString(), "a", 21, "11"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        if (QFile(path).open(QIODevice::ReadOnly))
            QSKIP("running as a user who reads any file");
        QVERIFY(!TrustCertificate(path.toStdString(), "b", 21, "22"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(TrustedFingerprint(path.toStdString(), "a", 21).value_or(""), std::string("11"));
    }
};

QTEST_GUILESS_MAIN(TrustedCertificatesTest)
#include "TrustedCertificates_test.moc"
