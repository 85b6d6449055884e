// Connection profiles as sections of Profile.ini: every field round trips, other sections and keys
// survive, reads are cut at their limits, and names or values that would break the file are refused.
#include "profiles/ProfileStore.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

class ProfileStoreTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_file = m_dir.filePath("Profile.ini");
    const std::string m_path = QFile::encodeName(m_file).toStdString();

private slots:
    void init() { QFile::remove(m_file); }

    // Name, location, protocol, user, password, port, transfer; a refused row leaves the file as it was.
    void writeAndRead_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("plain") << QStringList{"Home", "ftp.example.org", "FTP", "anna", "pw",
                                              "21",   "Passive"};
        QTest::newRow("empty password") << QStringList{"Home", "h", "FTP", "anna", "", "21", "Active"};
        QTest::newRow("blanks kept") << QStringList{" Home ", " host ", "FTP",   " anna",
                                                    "pass ",  "21",     "Active"};
        QTest::newRow("bracket, equals, semicolon")
            << QStringList{"[x;a=b", "h", "HTTP", "u", "p=;", "8080", "A"};
        for (const char* name : {"", "a]b", "a\n[Other]"})
            QTest::newRow(name) << QStringList{name, "h", "FTP", "u", "pw", "21", "Active"};
        QTest::newRow("line break in a value")
            << QStringList{"Home", "h", "FTP", "u", "pw\n[O]\nLocation=e", "21", "A"};
    }
    void writeAndRead() {
        QFETCH(QStringList, fields);
        const bool stored =
            !fields[0].isEmpty() && !fields[0].contains(']') && !fields.join("").contains('\n');
        const QByteArray other = "; mine\n[Other]\nLocation=x\nExtra=kept\n";
        QVERIFY(WriteFileBytes(m_file, other));
        const auto field = [&](int i) { return fields[i].toStdString(); };
        if (stored)
            WriteProfile(m_path, {field(0), "old", "old", "old", "old", "old", "old"});
        WriteProfile(m_path,
                     {field(0), field(1), field(2), field(3), field(4), field(5), field(6)}); // in place
        QCOMPARE(IsStorableProfileName(field(0)), stored || fields[0] == "Home");
        if (!stored) {
            QCOMPARE(ReadFileBytes(m_file), other);
            return;
        }
        QCOMPARE(ListProfiles(m_path), (std::vector<std::string>{"Other", field(0)}));
        const ConnectionProfile read = ReadProfile(m_path, field(0));
        const std::string all = read.Name + '|' + read.Location + '|' + read.Protocol + '|' + read.Username +
                                '|' + read.Password + '|' + read.Port + '|' + read.Transfer;
        QCOMPARE(QString::fromStdString(all), fields.join('|'));
        RemoveProfile(m_path, field(0));
        QCOMPARE(ReadFileBytes(m_file).trimmed(), other.trimmed());
    }

    void readsAreCutAtTheirLimits() {
        QVERIFY(ListProfiles(m_path).empty() && ReadProfile(m_path, "Home").Location.empty());
        RemoveProfile(m_path, "Home");
        QVERIFY(!QFileInfo::exists(m_file)); // removing from no file creates none
        QVERIFY(WriteFileBytes(m_file,
                               "[Long]\nLocation=" + QByteArray(120, 'l') +
                                   "\nProtocol=" + QByteArray(20, 'p') + "\nUsername=" + QByteArray(50, 'u') +
                                   "\nPassword=" + QByteArray(45, 'w') + "\nPort=" + QByteArray(30, '9') +
                                   "\nTransfer=" + QByteArray(20, 't') + "\n[Short]\nLocation=host\n"));
        const ConnectionProfile read = ReadProfile(m_path, "Long");
        QCOMPARE(read.Location.size() + read.Protocol.size() + read.Username.size() + read.Password.size() +
                     read.Port.size() + read.Transfer.size(),
                 std::size_t(99 + 9 + 39 + 39 + 19 + 9));
        QVERIFY(ReadProfile(m_path, "Short").Port.empty()); // a hand-written partial section
        // A cut never splits a character: 38 ASCII bytes and a two-byte one, limit 39.
        WriteProfile(m_path, {"Home", "h", "FTP", "u", std::string(38, 'a') + "\xC3\xA9", "21", "Active"});
        QCOMPARE(ReadProfile(m_path, "Home").Password, std::string(38, 'a'));
        for (int i = 0; i < 40; ++i)
            WriteProfile(m_path, {"Site " + std::to_string(i), "h", "FTP", "u", "p", "21", "Active"});
        QCOMPARE(ListProfiles(m_path).size(), std::size_t(43));
    }
};

QTEST_GUILESS_MAIN(ProfileStoreTest)
#include "ProfileStore_test.moc"
