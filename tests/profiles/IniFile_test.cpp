// The INI text of Profile.ini: writing a key in place, reading with limits, refused writes, and saving
// that never leaves a half-written file.
#include "profiles/IniFile.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

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
        row("in place, others kept", {"; s\n[A]\nk=old\nx=1\n", "A", "k", "new", "; s\n[A]\nk=new\nx=1\n"});
        row("names without case", {"[Site]\nLOC=a\n", "SITE", "loc", "b", "[Site]\nLOC=b\n"});
        row("after the last key", {"[A]\nx=1\n\n[B]\ny=2\n", "A", "k", "v", "[A]\nx=1\nk=v\n\n[B]\ny=2\n"});
        row("new section", {"[A]\nx=1", "B", "k", "v", "[A]\nx=1\n\n[B]\nk=v\n"});
        row("outer blanks quoted", {"", "A", "k", " v ", "[A]\nk=\" v \"\n"});
        row("comment not replaced", {"[A]\n;k=old\n", "A", "k", "v", "[A]\n;k=old\nk=v\n"});
        const QString old = QStringLiteral("[A]\nk=old\n"); // refused: section|key|value
        for (const char* bad : {"|k|v", "a]b|k|v", "A|k=x|v", "A|k|v\n[B]"})
            row(bad, QStringList{old} + QString::fromLatin1(bad).split('|'));
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
        row("cut", "[A]\nk=value\n", 3, "val");
        row("blanks around", " [A]\n  k =  v w  \n", -1, "v w");
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

    void loadAndSave() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Profile.ini");
        const std::string file = QFile::encodeName(path).toStdString();
        IniFile ini;
        QVERIFY(WriteFileBytes(path, "[Old]\nk=v\n"));
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
        QCOMPARE(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "IniFile_test.moc"
