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

class IniFileTest : public QObject {
    Q_OBJECT
private slots:
    // Writes key=value into section; "after" equal to "before" with ok false means refused.
    void writeString_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("after");
        QTest::newRow("new file") << ""
                                  << "A"
                                  << "k"
                                  << "v" << true << "[A]\nk=v\n";
        QTest::newRow("in place, others kept") << "; s\n[A]\nk=old\nx=1\n"
                                               << "A"
                                               << "k"
                                               << "new" << true << "; s\n[A]\nk=new\nx=1\n";
        QTest::newRow("names without case") << "[Site]\nLOC=a\n"
                                            << "SITE"
                                            << "loc"
                                            << "b" << true << "[Site]\nLOC=b\n";
        QTest::newRow("after the last key") << "[A]\nx=1\n\n[B]\ny=2\n"
                                            << "A"
                                            << "k"
                                            << "v" << true << "[A]\nx=1\nk=v\n\n[B]\ny=2\n";
        QTest::newRow("into an empty section") << "[A]\n[B]\n"
                                               << "A"
                                               << "k"
                                               << "v" << true << "[A]\nk=v\n[B]\n";
        QTest::newRow("new section") << "[A]\nx=1"
                                     << "B"
                                     << "k"
                                     << "v" << true << "[A]\nx=1\n\n[B]\nk=v\n";
        QTest::newRow("CRLF stays") << "[A]\r\nx=1\r\n"
                                    << "A"
                                    << "k"
                                    << "v" << true << "[A]\r\nx=1\r\nk=v\r\n";
        QTest::newRow("empty value") << "[A]\nk=v\n"
                                     << "A"
                                     << "k"
                                     << "" << true << "[A]\nk=\n";
        QTest::newRow("outer blanks quoted") << ""
                                             << "A"
                                             << "k"
                                             << " v " << true << "[A]\nk=\" v \"\n";
        QTest::newRow("comment not replaced") << "[A]\n;k=old\n"
                                              << "A"
                                              << "k"
                                              << "v" << true << "[A]\n;k=old\nk=v\n";
        QTest::newRow("other section's key") << "[B]\nk=b\n[A]\n"
                                             << "A"
                                             << "k"
                                             << "a" << true << "[B]\nk=b\n[A]\nk=a\n";
        const QString old = QStringLiteral("[A]\nk=old\n");
        QTest::newRow("empty section") << old << ""
                                       << "k"
                                       << "v" << false << old;
        QTest::newRow("bracket in section") << old << "a]b"
                                            << "k"
                                            << "v" << false << old;
        QTest::newRow("LF in section") << old << "a\nb"
                                       << "k"
                                       << "v" << false << old;
        QTest::newRow("NUL in section") << old << QString(QLatin1String("a\0b", 3)) << "k"
                                        << "v" << false << old;
        QTest::newRow("empty key") << old << "A"
                                   << ""
                                   << "v" << false << old;
        QTest::newRow("equals in key") << old << "A"
                                       << "k=x"
                                       << "v" << false << old;
        QTest::newRow("comment key") << old << "A"
                                     << ";k"
                                     << "v" << false << old;
        QTest::newRow("LF in value") << old << "A"
                                     << "k"
                                     << "v\n[B]" << false << old;
        QTest::newRow("CR in value") << old << "A"
                                     << "k"
                                     << "v\rx=1" << false << old;
    }
    void writeString() {
        QFETCH(QString, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, ok);
        QFETCH(QString, after);
        IniFile ini;
        ini.Parse(before.toStdString());
        QCOMPARE(ini.WriteString(section.toStdString(), key.toStdString(), value.toStdString()), ok);
        QCOMPARE(QString::fromStdString(ini.Text()), after);
        IniFile reread; // whatever was written reads back as it was given
        reread.Parse(ini.Text());
        if (ok)
            QCOMPARE(QString::fromStdString(reread.GetString(section.toStdString(), key.toStdString())),
                     value);
    }

    void getString_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain, any case") << "[a]\nK=value\n"
                                         << "k" << -1 << "value";
        QTest::newRow("no key") << "[A]\nk=v\n"
                                << "x" << -1 << "";
        QTest::newRow("cut") << "[A]\nk=value\n"
                             << "k" << 3 << "val";
        QTest::newRow("blanks around") << " [A]\n  k =  v w  \n"
                                       << "k" << -1 << "v w";
        QTest::newRow("quotes dropped") << "[A]\nk=\" v \"\n"
                                        << "k" << -1 << " v ";
        QTest::newRow("another section's key") << "[A]\n[B]\nk=b\n"
                                               << "k" << -1 << "";
        QTest::newRow("first of two sections") << "[A]\nk=1\n[a]\nk=2\n"
                                               << "k" << -1 << "1";
        QTest::newRow("comments") << "[A]\n;k=1\n#k=2\n"
                                  << "k" << -1 << "";
        QTest::newRow("byte order mark, CRLF") << "\xEF\xBB\xBF[A]\r\nk=a=b\r\n"
                                               << "k" << -1 << "a=b";
    }
    void getString() {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(int, limit);
        QFETCH(QString, value);
        IniFile ini;
        ini.Parse(text.toStdString());
        const std::size_t max = limit < 0 ? std::string::npos : static_cast<std::size_t>(limit);
        QCOMPARE(QString::fromStdString(ini.GetString("A", key.toStdString(), max)), value);
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
        QFETCH(QString, afterRemovingA);
        IniFile ini;
        ini.Parse(text.toStdString());
        QStringList got;
        for (const std::string& name : ini.SectionNames())
            got << QString::fromStdString(name);
        QCOMPARE(got, names);
        QCOMPARE(ini.RemoveSection("A"), names.contains("A", Qt::CaseInsensitive));
        QCOMPARE(QString::fromStdString(ini.Text()), afterRemovingA);
    }

    void loadAndSave() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Profile.ini");
        const std::string file = QFile::encodeName(path).toStdString();
        IniFile ini;
        QCOMPARE(ini.Load(file), IniFile::LoadResult::Missing);
        QCOMPARE(ini.Load(QFile::encodeName(dir.path()).toStdString()), IniFile::LoadResult::Unreadable);
        QVERIFY(WriteFileBytes(path, "[Old]\nk=v\n"));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
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
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 0777u, 0600u); // owner only
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Profile.ini"});
        QVERIFY(!ini.Save(QFile::encodeName(dir.filePath("none/Profile.ini")).toStdString()));
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "IniFile_test.moc"
