#include "session/FileIcons.h"

#include <QtTest>

class FileIconsTest : public QObject {
    Q_OBJECT
private slots:
    void iconByExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("icon");
        const std::pair<const char*, int> rows[] = {
            {"film.avi", 8},        {"a.MPG", 8},  {"b.mpeg", 8},       {"c.mov", 8},
            {"d.gif", 4},           {"e.PNG", 4},  {"f.jpg", 1},        {"x.JPEG", 1},
            {"g.jpe", 1},           {"h.bmp", 1},  {"i.htm", 2},        {"j.html", 2},
            {"k.xml", 2},           {"l.asp", 2},  {"m.js", 5},         {"n.css", 5},
            {"o.cgi", 5},           {"p.mp3", 6},  {"q.ram", 6},        {"r.au", 6},
            {"s.vaw", 6},           {"t.wav", 6},  {"u.zip", 7},        {"v.arj", 7},
            {"w.exe", 17},          {"y.bat", 18}, {"z.com", 18},       {"a.txt", 14},
            {"b.log", 14},          {"c.doc", 14}, {"d.ftp", 14},       {"e.ini", 14},
            {"f.dat", 14},          {"g.rtf", 3},  {"README", 15},      {"a.tar.gz", 15},
            {"archive.tar.ZIP", 7}, {"zip", 7},    {"trailing.", 15},   {"", 15},
            {"a.txt.bak", 15},      {".htm", 2},   {"mp3.wav.exe", 17}, {"name.Rtf", 3},
        };
        for (const auto& [name, icon] : rows)
            QTest::newRow(name[0] ? name : "(empty)") << QString::fromLatin1(name) << icon;
    }
    void iconByExtension() {
        QFETCH(QString, name);
        QFETCH(int, icon);
        QCOMPARE(IconIndexForName(name.toStdString()), icon);
    }

    void extensionIsAfterLastDot() {
        QCOMPARE(FileExtension("archive.tar.ZIP"), std::string("ZIP"));
        QCOMPARE(FileExtension("README"), std::string("README"));
        QCOMPARE(FileExtension("trailing."), std::string());
    }
};

QTEST_GUILESS_MAIN(FileIconsTest)
#include "FileIcons_test.moc"
