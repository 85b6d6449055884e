#include "profiles/ProfileStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

ConnectionProfile Site(const std::string& name, const std::string& password = "pw") {
    return ConnectionProfile{name, "ftp.example.org", "FTP", "anna", password, "21", "Passive"};
}

} // namespace

// Atomic saving and the file's permissions belong to IniFile::Save and are tested there.
class ProfileStoreTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string m_path;

    QByteArray FileBytes() const {
        QFile file(QString::fromStdString(m_path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void SetFile(const QByteArray& text) const {
        QFile file(QString::fromStdString(m_path));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QStringList Names() const {
        QStringList names;
        for (const std::string& name : ListProfiles(m_path))
            names << QString::fromStdString(name);
        return names;
    }
    QStringList FolderEntries() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void init() {
        QFile::remove(m_dir.filePath("Profile.ini"));
        m_path = QFile::encodeName(m_dir.filePath("Profile.ini")).toStdString();
    }

    void noFileListsNothingAndFirstSaveCreatesIt() {
        QVERIFY(ListProfiles(m_path).empty());
        const ConnectionProfile empty = ReadProfile(m_path, "Home");
        QCOMPARE(empty.Name, std::string("Home"));
        QVERIFY(empty.Location.empty() && empty.Protocol.empty() && empty.Transfer.empty());
        WriteProfile(m_path, Site("Home"));
        QCOMPARE(FileBytes(), QByteArray("[Home]\nLocation=ftp.example.org\nProtocol=FTP\nUsername=anna\n"
                                         "Password=pw\nPort=21\nTransfer=Passive\n"));
        QCOMPARE(Names(), QStringList{"Home"});
    }

    void savingTwiceReplacesInPlace() {
        WriteProfile(m_path, Site("Home"));
        WriteProfile(m_path, Site("Work"));
        ConnectionProfile changed{"Home", "10.0.0.1", "HTTP", "bob", "", "8080", "Active"};
        WriteProfile(m_path, changed);
        QCOMPARE(Names(), (QStringList{"Home", "Work"}));
        const ConnectionProfile read = ReadProfile(m_path, "Home");
        QCOMPARE(read.Location, std::string("10.0.0.1"));
        QCOMPARE(read.Protocol, std::string("HTTP"));
        QCOMPARE(read.Username, std::string("bob"));
        QCOMPARE(read.Port, std::string("8080"));
        QCOMPARE(read.Transfer, std::string("Active"));
        QCOMPARE(ReadProfile(m_path, "Work").Username, std::string("anna"));
    }

    void emptyPasswordIsWrittenAsAnEmptyKey() {
        WriteProfile(m_path, Site("Home", ""));
        QVERIFY(FileBytes().contains("\nPassword=\nPort=21\n"));
        QCOMPARE(ReadProfile(m_path, "Home").Password, std::string());
    }

    void handWrittenPartialSection() {
        SetFile("[Partial]\nLocation=host\n");
        const ConnectionProfile read = ReadProfile(m_path, "Partial");
        QCOMPARE(read.Location, std::string("host"));
        QVERIFY(read.Protocol.empty() && read.Username.empty() && read.Password.empty() &&
                read.Port.empty() && read.Transfer.empty());
    }

    void extraKeysAndCommentsKeptAcrossSave() {
        SetFile("; my sites\n[Home]\nNote=keep me\nLocation=old\n\n[Other]\nLocation=x\n");
        WriteProfile(m_path, Site("home"));
        QCOMPARE(FileBytes(),
                 QByteArray("; my sites\n[Home]\nNote=keep me\nLocation=ftp.example.org\n"
                            "Protocol=FTP\nUsername=anna\nPassword=pw\nPort=21\nTransfer=Passive\n\n"
                            "[Other]\nLocation=x\n"));
        QCOMPARE(Names(), (QStringList{"Home", "Other"}));
    }

    void removeTakesExtraKeysToo() {
        SetFile("[Home]\nNote=extra\nLocation=a\n[Other]\nLocation=x\n");
        RemoveProfile(m_path, "HOME");
        QCOMPARE(FileBytes(), QByteArray("[Other]\nLocation=x\n"));
        RemoveProfile(m_path, "Missing");
        QCOMPARE(FileBytes(), QByteArray("[Other]\nLocation=x\n"));
        RemoveProfile(m_path, "Other");
        QVERIFY(ListProfiles(m_path).empty());
    }

    void removeWithNoFileCreatesNothing() {
        RemoveProfile(m_path, "Home");
        QVERIFY(FolderEntries().isEmpty());
    }

    void manyProfilesAreAllListed() {
        QStringList expected;
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("Profile number %1 xyz").arg(i, 2, 10, QLatin1Char('0'));
            expected << name;
            WriteProfile(m_path, Site(name.toStdString()));
        }
        QVERIFY(expected.join(QString()).size() > 3 * 256);
        QCOMPARE(Names(), expected);
    }

    void valuesAreCutAtTheirReadLimits() {
        SetFile("[Long]\nLocation=" + QByteArray(120, 'l') + "\nProtocol=" + QByteArray(20, 'p') +
                "\nUsername=" + QByteArray(50, 'u') + "\nPassword=" + QByteArray(45, 'w') +
                "\nPort=" + QByteArray(30, '9') + "\nTransfer=" + QByteArray(20, 't') + "\n");
        const ConnectionProfile read = ReadProfile(m_path, "Long");
        QCOMPARE(read.Location, std::string(99, 'l'));
        QCOMPARE(read.Protocol, std::string(9, 'p'));
        QCOMPARE(read.Username, std::string(39, 'u'));
        QCOMPARE(read.Password, std::string(39, 'w'));
        QCOMPARE(read.Port, std::string(19, '9'));
        QCOMPARE(read.Transfer, std::string(9, 't'));
        QVERIFY(FileBytes().contains(QByteArray(45, 'w')));
    }

    void cutNeverSplitsACharacter() {
        // 38 ASCII bytes and a two-byte character: the 39-byte limit falls inside it.
        WriteProfile(m_path, Site("Home", std::string(38, 'a') + "\xC3\xA9"));
        QCOMPARE(ReadProfile(m_path, "Home").Password, std::string(38, 'a'));
    }

    void valuesKeepTheirBlanks() {
        ConnectionProfile spaced{" Home ", " host ", "FTP", " anna", "pass ", "21", "Active"};
        WriteProfile(m_path, spaced);
        QCOMPARE(Names(), QStringList{" Home "});
        const ConnectionProfile read = ReadProfile(m_path, " Home ");
        QCOMPARE(read.Location, std::string(" host "));
        QCOMPARE(read.Username, std::string(" anna"));
        QCOMPARE(read.Password, std::string("pass "));
    }

    // Every refused character is tested on IniFile's section names; here that a refusal writes nothing.
    void refusedNames_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("closing bracket") << QByteArray("a]b");
        QTest::newRow("LF") << QByteArray("a\n[Other]");
    }
    void refusedNames() {
        QFETCH(QByteArray, name);
        QVERIFY(!IsStorableProfileName(name.toStdString()));
        WriteProfile(m_path, Site(name.toStdString()));
        QVERIFY(FolderEntries().isEmpty());
        SetFile("[Other]\nLocation=x\n");
        WriteProfile(m_path, Site(name.toStdString()));
        QCOMPARE(FileBytes(), QByteArray("[Other]\nLocation=x\n"));
    }

    void acceptedNames_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("plain") << QByteArray("Home");
        QTest::newRow("blank") << QByteArray(" ");
        QTest::newRow("opening bracket") << QByteArray("[x");
        QTest::newRow("equals and semicolon") << QByteArray(";a=b");
    }
    void acceptedNames() {
        QFETCH(QByteArray, name);
        QVERIFY(IsStorableProfileName(name.toStdString()));
        WriteProfile(m_path, Site(name.toStdString()));
        QCOMPARE(Names(), QStringList{QString::fromLatin1(name)});
        QCOMPARE(ReadProfile(m_path, name.toStdString()).Location, std::string("ftp.example.org"));
    }

    void lineBreakInAValueWritesNothing() {
        SetFile("[Other]\nLocation=x\n");
        ConnectionProfile evil = Site("Home");
        evil.Password = "pw\n[Other]\nLocation=evil";
        WriteProfile(m_path, evil);
        QCOMPARE(FileBytes(), QByteArray("[Other]\nLocation=x\n"));
    }
};

QTEST_GUILESS_MAIN(ProfileStoreTest)
#include "ProfileStore_test.moc"
