// Connection profiles as sections of Profile.ini: every field round trips, other sections and keys
// survive, reads are cut at their limits, and saves at the same moment lose nothing.
#include "profiles/ConnectFields.h"
#include "profiles/ProfileStore.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

class ProfileStoreTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_file = m_dir.filePath("Profile.ini");
    const std::string m_path = QFile::encodeName(m_file).toStdString();
    const QByteArray m_other = "; mine\n[Other]\nLocation=x\nExtra=kept\n";

private slots:
    void init() { QVERIFY(WriteFileBytes(m_file, m_other)); }

    void roundTripAndRemove() {
        const ConnectionProfile profile{"[x;a=b", " host ", "HTTP", " anna", "p=; ", "8080", "Active"};
        WriteProfile(m_path, {profile.Name, "old", "old", "old", "old", "old", "old"});
        WriteProfile(m_path, profile); // in place
        QCOMPARE(ListProfiles(m_path), (std::vector<std::string>{"Other", profile.Name}));
        const ConnectionProfile read = ReadProfile(m_path, profile.Name);
        const auto all = [](const ConnectionProfile& p) {
            return p.Name + '|' + p.Location + '|' + p.Protocol + '|' + p.Username + '|' + p.Password + '|' +
                   p.Port + '|' + p.Transfer;
        };
        QCOMPARE(all(read), all(profile));
        RemoveProfile(m_path, profile.Name);
        QCOMPARE(ReadFileBytes(m_file).trimmed(), m_other.trimmed());
    }

    // A cut never splits a character: 98 ASCII bytes and a two-byte one, limit 99. A user name and
    // a password come back whole, however long.
    void readsAreCutAtTheirLimits() {
        const ConnectionProfile profile{"Home",
                                        std::string(98, 'l') + "\xC3\xA9",
                                        "FTP",
                                        std::string(80, 'u'),
                                        std::string(300, 'p'),
                                        "21",
                                        "Active"};
        WriteProfile(m_path, profile);
        const ConnectionProfile read = ReadProfile(m_path, "Home");
        QCOMPARE(read.Location, std::string(98, 'l'));
        QCOMPARE(read.Username + read.Password, profile.Username + profile.Password);
    }

    // The protocol a stored value is offered as. An unknown value and a key file stay in the file while
    // another profile is saved; a profile saved without a key file keeps no KeyFile line.
    void protocolAndKeyFile_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("shown"); // ConnectProtocol
        QTest::addColumn<QByteArray>("keyFile");
        QTest::newRow("no Protocol: HTTP, as ever")
            << QByteArray() << int(ConnectProtocol::Http) << QByteArray();
        QTest::newRow("FTPS") << QByteArray("Protocol=FTPS\n") << int(ConnectProtocol::Ftps) << QByteArray();
        QTest::newRow("SFTP with a key") << QByteArray("Protocol=SFTP\nKeyFile=/k/id 1\n")
                                         << int(ConnectProtocol::Sftp) << QByteArray("/k/id 1");
        QTest::newRow("unknown: FTP")
            << QByteArray("Protocol=SCP\n") << int(ConnectProtocol::Ftp) << QByteArray();
    }
    void protocolAndKeyFile() {
        QFETCH(QByteArray, lines);
        QFETCH(int, shown);
        QFETCH(QByteArray, keyFile);
        QVERIFY(WriteFileBytes(m_file, "[Site]\nLocation=h\n" + lines));
        ConnectionProfile site = ReadProfile(m_path, "Site");
        QCOMPARE(int(ProtocolOfProfile(site.Protocol)), shown);
        QCOMPARE(site.KeyFile, keyFile.toStdString());
        WriteProfile(m_path, {"Other", "x", "FTP", "", "", "21", "Passive"});
        QVERIFY(ReadFileBytes(m_file).contains(lines));
        site.KeyFile = "/other key";
        WriteProfile(m_path, site);
        QCOMPARE(ReadProfile(m_path, "Site").KeyFile, site.KeyFile);
        site.KeyFile.clear();
        WriteProfile(m_path, site);
        QVERIFY(!ReadFileBytes(m_file).contains("KeyFile"));
    }

    // Two programs adding profiles at the same moment: none is lost.
    void concurrentSavesKeepEveryProfile() {
        constexpr int kEach = 40;
        std::atomic<int> failed = 0;
        const auto save = [&](char who) {
            for (int i = 0; i < kEach; ++i)
                failed +=
                    !WriteProfile(m_path, {who + std::to_string(i), "h", "FTP", "u", "", "21", "Active"});
        };
        std::thread other(save, 'B');
        save('A');
        other.join();
        QCOMPARE(failed.load(), 0);
        QCOMPARE(ListProfiles(m_path).size(), std::size_t(1 + 2 * kEach));
    }
};

QTEST_GUILESS_MAIN(ProfileStoreTest)
#include "ProfileStore_test.moc"
