#include "session/FileIcons.h"

#include <QtTest>

class FileIconsTest : public QObject {
    Q_OBJECT
private slots:
    void iconForName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("icon");
        QTest::newRow("video") << "clip.avi" << 8;
        QTest::newRow("video, long extension") << "clip.mpeg" << 8;
        QTest::newRow("web image") << "logo.png" << 4;
        QTest::newRow("image, upper case") << "x.JPEG" << 1;
        QTest::newRow("image jpe") << "x.jpe" << 1;
        QTest::newRow("web page") << "index.html" << 2;
        QTest::newRow("script") << "app.js" << 5;
        QTest::newRow("sound, the misspelt group member") << "a.vaw" << 6;
        QTest::newRow("sound") << "a.wav" << 6;
        QTest::newRow("archive by the last part") << "archive.tar.ZIP" << 7;
        QTest::newRow("archive by the whole name") << "zip" << 7;
        QTest::newRow("program") << "setup.exe" << 17;
        QTest::newRow("batch file") << "run.bat" << 18;
        QTest::newRow("batch com") << "x.com" << 18;
        QTest::newRow("text, case ignored") << "README.TXT" << 14;
        QTest::newRow("text ini") << "Profile.ini" << 14;
        QTest::newRow("rich text") << "letter.rtf" << 3;
        QTest::newRow("unknown") << "data.bin" << 15;
        QTest::newRow("no dot, unknown") << "README" << 15;
        QTest::newRow("ends in a dot") << "name." << 15;
        QTest::newRow("dot file") << ".txt" << 14;
        QTest::newRow("extension only partly matching") << "a.txtx" << 15;
        QTest::newRow("empty") << "" << 15;
    }
    void iconForName() {
        QFETCH(QString, name);
        QFETCH(int, icon);
        QCOMPARE(IconIndexForName(name.toStdString()), icon);
    }
};

QTEST_GUILESS_MAIN(FileIconsTest)
#include "FileIcons_test.moc"
