// Connection profiles as sections of Profile.ini: every field round trips, other sections and keys
// survive, reads are cut at their limits, and values that would break the file are refused.
#include "profiles/ProfileStore.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

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

    // A cut never splits a character: 38 ASCII bytes and a two-byte one, limit 39.
    void readsAreCutAtTheirLimits() {
        WriteProfile(m_path, {"Home", std::string(120, 'l'), "FTP", "u", std::string(38, 'a') + "\xC3\xA9",
                              "21", "Active"});
        const ConnectionProfile read = ReadProfile(m_path, "Home");
        QCOMPARE(read.Location.size(), std::size_t(99));
        QCOMPARE(read.Password, std::string(38, 'a'));
    }
};

QTEST_GUILESS_MAIN(ProfileStoreTest)
#include "ProfileStore_test.moc"
