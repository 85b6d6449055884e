// The INI text of Profile.ini: writing a key in place, reading with limits, refused writes, and saving
// that never leaves a half-written file, writes through links and reads only regular files.
#include "profiles/IniFile.h"
#include "tests/support/TestFiles.h"

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

    // What stands at the path Update writes through; "" for a row that must succeed. A failed
    // update gives a reason and leaves everything as it was.
    void update_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("reason");
        for (const auto& [name, setup, reason] : {std::tuple{"file", "file", ""},
                                                  {"link to a file", "link", ""},
                                                  {"link to nothing", "dangling", "which cannot be reached"},
                                                  {"full disk", "full", "File too large"},
                                                  {"folder is a file", "parent", "Not a directory"},
                                                  {"a folder", "folder", "folder"},
                                                  {"a pipe", "fifo", "not a regular file"},
                                                  {"link to a device", "/dev/zero", "not a regular file"},
                                                  {"over 64 MiB", "huge", "larger than 64 MiB"}})
            QTest::newRow(name) << setup << reason;
    }
    void update() {
        QFETCH(QString, setup);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString target = dir.filePath("dotfiles/Profile.ini");
        QString path = dir.filePath("Profile.ini");
        QVERIFY(QDir(dir.path()).mkdir("dotfiles") && WriteFileBytes(target, "[Old]\nk=v\n"));
        if (setup == "file" || setup == "full")
            QVERIFY(QFile::rename(target, path));
        else if (setup == "link" || setup == "dangling" || setup.startsWith('/'))
            QVERIFY(
                QFile::link(setup.startsWith('/') ? setup : QStringLiteral("dotfiles/Profile.ini"), path));
        else if (setup == "parent")
            path = target + "/Profile.ini";
        else if (setup == "folder")
            QVERIFY(QDir(dir.path()).mkdir("Profile.ini"));
        else if (setup == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (setup == "huge")
            QVERIFY(WriteSizedFile(target, (qint64(64) << 20) + 1) && QFile::rename(target, path));
        if (setup == "dangling")
            QVERIFY(QFile::remove(target));
        const bool wasLink = QFileInfo(path).isSymLink(), existed = QFileInfo::exists(path);
        // A file-size limit makes the write fail as a full disk would.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit{};
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        const rlimit small{setup == "full" ? 16 : oldLimit.rlim_cur, oldLimit.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::string error;
        const bool saved = IniFile::Update(
            QFile::encodeName(path).toStdString(),
            [](IniFile& ini) { return ini.WriteString("New", "Location", std::string(100, 'x')); }, &error);
        ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY2(QString::fromStdString(error).contains(reason), error.c_str());
        QCOMPARE(saved, reason.isEmpty());
        QCOMPARE(QFileInfo(path).isSymLink(), wasLink);
        QCOMPARE(QFileInfo::exists(path), existed);
        if (setup == "dangling")
            QVERIFY(!QFile::exists(target));
        if (setup == "full")
            QCOMPARE(ReadFileBytes(path), QByteArray("[Old]\nk=v\n"));
        if (saved) {
            QVERIFY(ReadFileBytes(path).startsWith("[Old]\nk=v\n\n[New]\nLocation=xx"));
            QCOMPARE(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                     QFileDevice::Permissions());
        }
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "IniFile_test.moc"
