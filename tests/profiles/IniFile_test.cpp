#include "profiles/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

std::string Bytes(const QByteArray& data) {
    return data.toStdString();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

unsigned Mode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777u) : 0u;
}

} // namespace

class IniFileTest : public QObject {
    Q_OBJECT
private slots:
    void writeString_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << QByteArray("A") << QByteArray("k") << QByteArray("v")
                                  << QByteArray("[A]\nk=v\n");
        QTest::newRow("replaced in place, comments and others kept")
            << QByteArray("; saved sites\n[A]\nk=old\nx=1\n") << QByteArray("A") << QByteArray("k")
            << QByteArray("new") << QByteArray("; saved sites\n[A]\nk=new\nx=1\n");
        QTest::newRow("names match without case")
            << QByteArray("[Site]\nLOCATION=a\n") << QByteArray("SITE") << QByteArray("location")
            << QByteArray("b") << QByteArray("[Site]\nLOCATION=b\n");
        QTest::newRow("missing key after the section's last key")
            << QByteArray("[A]\nx=1\n\n[B]\ny=2\n") << QByteArray("A") << QByteArray("k") << QByteArray("v")
            << QByteArray("[A]\nx=1\nk=v\n\n[B]\ny=2\n");
        QTest::newRow("key into an empty section")
            << QByteArray("[A]\n[B]\ny=2\n") << QByteArray("A") << QByteArray("k") << QByteArray("v")
            << QByteArray("[A]\nk=v\n[B]\ny=2\n");
        QTest::newRow("new section appended after a blank line")
            << QByteArray("[A]\nx=1") << QByteArray("B") << QByteArray("k") << QByteArray("v")
            << QByteArray("[A]\nx=1\n\n[B]\nk=v\n");
        QTest::newRow("CRLF file stays CRLF")
            << QByteArray("[A]\r\nx=1\r\n") << QByteArray("A") << QByteArray("k") << QByteArray("v")
            << QByteArray("[A]\r\nx=1\r\nk=v\r\n");
        QTest::newRow("empty value keeps the key")
            << QByteArray("[A]\nk=v\n") << QByteArray("A") << QByteArray("k") << QByteArray()
            << QByteArray("[A]\nk=\n");
        QTest::newRow("value with outer blanks is quoted")
            << QByteArray() << QByteArray("A") << QByteArray("k") << QByteArray(" v ")
            << QByteArray("[A]\nk=\" v \"\n");
        QTest::newRow("commented-out key is not replaced")
            << QByteArray("[A]\n;k=old\n") << QByteArray("A") << QByteArray("k") << QByteArray("v")
            << QByteArray("[A]\n;k=old\nk=v\n");
        QTest::newRow("same key in another section untouched")
            << QByteArray("[B]\nk=b\n[A]\n") << QByteArray("A") << QByteArray("k") << QByteArray("a")
            << QByteArray("[B]\nk=b\n[A]\nk=a\n");
    }
    void writeString() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, after);
        IniFile ini;
        ini.Parse(Bytes(before));
        QVERIFY(ini.WriteString(Bytes(section), Bytes(key), Bytes(value)));
        QCOMPARE(QByteArray::fromStdString(ini.Text()), after);
    }

    void getString_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QByteArray>("value");
        const QByteArray site("[A]\nk=value\n");
        QTest::newRow("plain") << site << QByteArray("A") << QByteArray("k") << -1 << QByteArray("value");
        QTest::newRow("no section") << site << QByteArray("B") << QByteArray("k") << -1 << QByteArray();
        QTest::newRow("no key") << site << QByteArray("A") << QByteArray("x") << -1 << QByteArray();
        QTest::newRow("case") << site << QByteArray("a") << QByteArray("K") << -1 << QByteArray("value");
        QTest::newRow("cut") << site << QByteArray("A") << QByteArray("k") << 3 << QByteArray("val");
        QTest::newRow("blanks around") << QByteArray(" [A]\n  k =  v w  \n") << QByteArray("A")
                                       << QByteArray("k") << -1 << QByteArray("v w");
        QTest::newRow("quotes dropped") << QByteArray("[A]\nk=\" v \"\n") << QByteArray("A")
                                        << QByteArray("k") << -1 << QByteArray(" v ");
        QTest::newRow("key of another section")
            << QByteArray("[A]\n[B]\nk=b\n") << QByteArray("A") << QByteArray("k") << -1 << QByteArray();
        QTest::newRow("first of two sections") << QByteArray("[A]\nk=1\n[a]\nk=2\n") << QByteArray("A")
                                               << QByteArray("k") << -1 << QByteArray("1");
        QTest::newRow("comment is not a key")
            << QByteArray("[A]\n;k=1\n#k=2\n") << QByteArray("A") << QByteArray("k") << -1 << QByteArray();
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[A]\nk=v\n") << QByteArray("A")
                                         << QByteArray("k") << -1 << QByteArray("v");
        QTest::newRow("equals in value")
            << QByteArray("[A]\nk=a=b\n") << QByteArray("A") << QByteArray("k") << -1 << QByteArray("a=b");
        QTest::newRow("CRLF") << QByteArray("[A]\r\nk=v\r\n") << QByteArray("A") << QByteArray("k") << -1
                              << QByteArray("v");
    }
    void getString() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(int, maxLength);
        QFETCH(QByteArray, value);
        IniFile ini;
        ini.Parse(Bytes(text));
        const std::size_t limit = maxLength < 0 ? std::string::npos : static_cast<std::size_t>(maxLength);
        QCOMPARE(QByteArray::fromStdString(ini.GetString(Bytes(section), Bytes(key), limit)), value);
    }

    void valuesRoundTrip_data() {
        QTest::addColumn<QByteArray>("value");
        for (const char* value :
             {"", " ", " lead", "trail ", "\"quoted\"", "\"", "\"open", "a=b", ";x", "[x]", "\tx\t"})
            QTest::newRow(value) << QByteArray(value);
    }
    void valuesRoundTrip() {
        QFETCH(QByteArray, value);
        IniFile ini;
        QVERIFY(ini.WriteString("A", "k", Bytes(value)));
        IniFile reread;
        reread.Parse(ini.Text());
        QCOMPARE(QByteArray::fromStdString(reread.GetString("A", "k")), value);
    }

    void sectionNames_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("file order") << QByteArray("[b]\n[a]\n[c]\n") << QStringList{"b", "a", "c"};
        QTest::newRow("once each") << QByteArray("[Site]\n[SITE]\n") << QStringList{"Site"};
        QTest::newRow("blanks inside kept") << QByteArray("  [ x ]\n") << QStringList{" x "};
        QTest::newRow("unclosed is no section") << QByteArray("[open\nk=v\n") << QStringList();
        QTest::newRow("up to the first bracket") << QByteArray("[a]b]\n") << QStringList{"a"};
        QTest::newRow("keys and comments ignored")
            << QByteArray("; [c]\nk=[v]\n[s]\nx=1\n") << QStringList{"s"};
    }
    void sectionNames() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, names);
        IniFile ini;
        ini.Parse(Bytes(text));
        QStringList got;
        for (const std::string& name : ini.SectionNames())
            got << QString::fromStdString(name);
        QCOMPARE(got, names);
    }

    void removeSection_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("all keys, others kept") << QByteArray("; top\n[A]\nx=1\nextra=2\n\n[B]\ny=2\n")
                                               << QByteArray("a") << true << QByteArray("; top\n[B]\ny=2\n");
        QTest::newRow("last section")
            << QByteArray("[A]\nx=1\n\n[B]\ny=2\n") << QByteArray("B") << true << QByteArray("[A]\nx=1\n\n");
        QTest::newRow("every copy") << QByteArray("[A]\nx=1\n[B]\n[a]\nx=2\n") << QByteArray("A") << true
                                    << QByteArray("[B]\n");
        QTest::newRow("missing") << QByteArray("[A]\nx=1\n") << QByteArray("B") << false
                                 << QByteArray("[A]\nx=1\n");
    }
    void removeSection() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(bool, removed);
        QFETCH(QByteArray, after);
        IniFile ini;
        ini.Parse(Bytes(before));
        QCOMPARE(ini.RemoveSection(Bytes(section)), removed);
        QCOMPARE(QByteArray::fromStdString(ini.Text()), after);
    }

    void refusedWrites_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("empty section") << QByteArray() << QByteArray("k") << QByteArray("v");
        QTest::newRow("bracket in section") << QByteArray("a]b") << QByteArray("k") << QByteArray("v");
        QTest::newRow("CR in section") << QByteArray("a\rb") << QByteArray("k") << QByteArray("v");
        QTest::newRow("LF in section") << QByteArray("a\nb") << QByteArray("k") << QByteArray("v");
        QTest::newRow("NUL in section") << QByteArray("a\0b", 3) << QByteArray("k") << QByteArray("v");
        QTest::newRow("empty key") << QByteArray("A") << QByteArray() << QByteArray("v");
        QTest::newRow("equals in key") << QByteArray("A") << QByteArray("k=x") << QByteArray("v");
        QTest::newRow("comment key") << QByteArray("A") << QByteArray(";k") << QByteArray("v");
        QTest::newRow("LF in value") << QByteArray("A") << QByteArray("k") << QByteArray("v\n[B]");
        QTest::newRow("CR in value") << QByteArray("A") << QByteArray("k") << QByteArray("v\rx=1");
    }
    void refusedWrites() {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        IniFile ini;
        ini.Parse("[A]\nk=old\n");
        QVERIFY(!ini.WriteString(Bytes(section), Bytes(key), Bytes(value)));
        QCOMPARE(QByteArray::fromStdString(ini.Text()), QByteArray("[A]\nk=old\n"));
    }

    void loadTellsMissingFromUnreadable() {
        QTemporaryDir dir;
        IniFile ini;
        QCOMPARE(ini.Load(QFile::encodeName(dir.filePath("none.ini")).toStdString()),
                 IniFile::LoadResult::Missing);
        QVERIFY(ini.SectionNames().empty());
        QCOMPARE(ini.Load(QFile::encodeName(dir.path()).toStdString()), IniFile::LoadResult::Unreadable);
        WriteAll(dir.filePath("a.ini"), "[A]\nk=v\n");
        QCOMPARE(ini.Load(QFile::encodeName(dir.filePath("a.ini")).toStdString()),
                 IniFile::LoadResult::Loaded);
        QCOMPARE(ini.GetString("A", "k"), std::string("v"));
    }

    void saveIsOwnerOnlyAndLeavesNoTemporaryFiles() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Profile.ini");
        IniFile ini;
        ini.Parse("[A]\nk=v\n");
        QVERIFY(ini.Save(QFile::encodeName(path).toStdString()));
        QCOMPARE(ReadAll(path), QByteArray("[A]\nk=v\n"));
        QCOMPARE(Mode(path), 0600u);
        ::chmod(QFile::encodeName(path).constData(), 0644);
        QVERIFY(ini.Save(QFile::encodeName(path).toStdString()));
        QCOMPARE(Mode(path), 0600u);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Profile.ini"});
    }

    void failedSaveKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Profile.ini");
        WriteAll(path, "[Old]\nk=v\n");
        IniFile ini;
        ini.Parse("[New]\nLocation=a-long-enough-value-to-pass-the-file-size-limit\n");
        // A file-size limit makes the write of the temporary file fail, as a full disk would.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit{};
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        rlimit small = oldLimit;
        small.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::string error;
        const bool saved = ini.Save(QFile::encodeName(path).toStdString(), &error);
        ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!saved);
        QVERIFY(!error.empty());
        QCOMPARE(ReadAll(path), QByteArray("[Old]\nk=v\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Profile.ini"});
    }

    void saveIntoMissingFolderFails() {
        QTemporaryDir dir;
        IniFile ini;
        ini.Parse("[A]\n");
        QVERIFY(!ini.Save(QFile::encodeName(dir.filePath("no/such/Profile.ini")).toStdString()));
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "IniFile_test.moc"
