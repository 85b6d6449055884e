// The INI text of Profile.ini: writing a key in place, reading with limits, section names and
// removal, refused writes, and saving that never leaves a half-written file.
#include "profiles/IniFile.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

static std::string S(const QString& text) {
    return text.toStdString();
}

class IniFileTest : public QObject {
    Q_OBJECT
private slots:
    // Before, section, key, value, after; a row without "after" is refused and leaves the text as it was.
    void writeString_data() {
        QTest::addColumn<QStringList>("row");
        const auto row = [](const char* name, const QStringList& fields) { QTest::newRow(name) << fields; };
        row("new file", {"", "A", "k", "v", "[A]\nk=v\n"});
        row("in place, others kept", {"; s\n[A]\nk=old\nx=1\n", "A", "k", "new", "; s\n[A]\nk=new\nx=1\n"});
        row("names without case", {"[Site]\nLOC=a\n", "SITE", "loc", "b", "[Site]\nLOC=b\n"});
        row("after the last key", {"[A]\nx=1\n\n[B]\ny=2\n", "A", "k", "v", "[A]\nx=1\nk=v\n\n[B]\ny=2\n"});
        row("into an empty section", {"[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"});
        row("new section", {"[A]\nx=1", "B", "k", "v", "[A]\nx=1\n\n[B]\nk=v\n"});
        row("CRLF stays", {"[A]\r\nx=1\r\n", "A", "k", "v", "[A]\r\nx=1\r\nk=v\r\n"});
        row("empty value", {"[A]\nk=v\n", "A", "k", "", "[A]\nk=\n"});
        row("outer blanks quoted", {"", "A", "k", " v ", "[A]\nk=\" v \"\n"});
        row("comment not replaced", {"[A]\n;k=old\n", "A", "k", "v", "[A]\n;k=old\nk=v\n"});
        row("other section's key", {"[B]\nk=b\n[A]\n", "A", "k", "a", "[B]\nk=b\n[A]\nk=a\n"});
        const QString old = QStringLiteral("[A]\nk=old\n"); // refused: section|key|value
        for (const char* bad :
             {"|k|v", "a]b|k|v", "a\nb|k|v", "A||v", "A|k=x|v", "A|;k|v", "A|k|v\n[B]", "A|k|v\rx=1"})
            row(bad, QStringList{old} + QString::fromLatin1(bad).split('|'));
        row("NUL in section", {old, QString(QLatin1String("a\0b", 3)), "k", "v"});
    }
    void writeString() {
        QFETCH(QStringList, row);
        const bool ok = row.size() == 5;
        IniFile ini;
        ini.Parse(S(row[0]));
        QCOMPARE(ini.WriteString(S(row[1]), S(row[2]), S(row[3])), ok);
        QCOMPARE(QString::fromStdString(ini.Text()), row.value(4, row[0]));
        IniFile reread; // whatever was written reads back as it was given
        reread.Parse(ini.Text());
        if (ok)
            QCOMPARE(QString::fromStdString(reread.GetString(S(row[1]), S(row[2]))), row[3]);
    }

    void getString_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit"); // of the value read for key "k" in section "A"
        QTest::addColumn<QString>("value");
        const auto row = [](const char* name, const char* text, int limit, const char* value) {
            QTest::newRow(name) << text << limit << value;
        };
        row("plain, any case", "[a]\nK=value\n", -1, "value");
        row("no key, only a longer one", "[A]\nkey=v\n", -1, "");
        row("cut", "[A]\nk=value\n", 3, "val");
        row("blanks around", " [A]\n  k =  v w  \n", -1, "v w");
        row("quotes dropped", "[A]\nk=\" v \"\n", -1, " v ");
        row("another section's key", "[A]\n[B]\nk=b\n", -1, "");
        row("first of two sections", "[A]\nk=1\n[a]\nk=2\n", -1, "1");
        row("comments", "[A]\n;k=1\n#k=2\n", -1, "");
        row("byte order mark, CRLF", "\xEF\xBB\xBF[A]\r\nk=a=b\r\n", -1, "a=b");
    }
    void getString() {
        QFETCH(QString, text);
        QFETCH(int, limit);
        IniFile ini;
        ini.Parse(S(text));
        const std::size_t max = limit < 0 ? std::string::npos : static_cast<std::size_t>(limit);
        QTEST(QString::fromStdString(ini.GetString("A", "k", max)), "value");
    }

    void sections_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("afterRemovingA");
        QTest::newRow("file order, others kept") << "; top\n[b]\n[A]\nx=1\ny=2\n\n[c]\n"
                                                 << QStringList{"b", "A", "c"} << "; top\n[b]\n[c]\n";
        QTest::newRow("once each, every copy removed") << "[A]\nx=1\n[B]\n[a]\nx=2\n"
                                                       << QStringList{"A", "B"} << "[B]\n";
        QTest::newRow("blanks inside kept") << "  [ x ]\n" << QStringList{" x "} << "  [ x ]\n";
        QTest::newRow("unclosed is none") << "[open\nk=v\n" << QStringList() << "[open\nk=v\n";
        QTest::newRow("up to the first bracket") << "[a]b]\n" << QStringList{"a"} << "";
        QTest::newRow("keys and comments ignored") << "; [c]\nk=[v]\n[s]\n"
                                                   << QStringList{"s"} << "; [c]\nk=[v]\n[s]\n";
    }
    void sections() {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        IniFile ini;
        ini.Parse(S(text));
        QStringList got;
        for (const std::string& name : ini.SectionNames())
            got << QString::fromStdString(name);
        QCOMPARE(got, names);
        QCOMPARE(ini.RemoveSection("A"), names.contains("A", Qt::CaseInsensitive));
        QTEST(QString::fromStdString(ini.Text()), "afterRemovingA");
    }

    void loadAndSave() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Profile.ini");
        const std::string file = QFile::encodeName(path).toStdString();
        IniFile ini;
        QCOMPARE(ini.Load(file), IniFile::LoadResult::Missing);
        QCOMPARE(ini.Load(QFile::encodeName(dir.path()).toStdString()), IniFile::LoadResult::Unreadable);
        QVERIFY(WriteFileBytes(path, "[Old]\nk=v\n") && ::chmod(file.c_str(), 0644) == 0);
        QCOMPARE(ini.Load(file), IniFile::LoadResult::Loaded);
        QVERIFY(ini.WriteString("New", "Location", std::string(100, 'x')));
        // A file-size limit makes the write fail as a full disk would: the old file stays whole.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit{};
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        const rlimit small{16, oldLimit.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::string error;
        const bool saved = ini.Save(file, &error);
        ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!saved && !error.empty());
        QCOMPARE(ReadFileBytes(path), QByteArray("[Old]\nk=v\n"));
        QVERIFY(ini.Save(file));
        QCOMPARE(ReadFileBytes(path), QByteArray::fromStdString(ini.Text()));
        struct stat info {};
        QVERIFY(::stat(file.c_str(), &info) == 0);
        QCOMPARE(info.st_mode & 0777u, 0600u); // owner only
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Profile.ini"});
        QVERIFY(!ini.Save(QFile::encodeName(dir.filePath("none/Profile.ini")).toStdString()));
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "IniFile_test.moc"
