#include "session/FileIcons.h"

#include <QtTest>

// The icon follows the extension after the last dot, whatever its case; the table itself is not
// repeated here.
class FileIconsTest : public QObject {
    Q_OBJECT
private slots:
    void sameExtensionSameIcon_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sameAs");
        QTest::newRow("upper case") << "a.MPG"
                                    << "b.mpg";
        QTest::newRow("mixed case") << "name.Rtf"
                                    << "x.rtf";
        QTest::newRow("last dot counts") << "archive.tar.ZIP"
                                         << "u.zip";
        QTest::newRow("earlier extensions ignored") << "mp3.wav.exe"
                                                    << "w.exe";
        QTest::newRow("no dot: the whole name") << "zip"
                                                << "u.zip";
        QTest::newRow("dot first") << ".htm"
                                   << "i.htm";
        QTest::newRow("unknown is generic") << "a.tar.gz"
                                            << "README";
        QTest::newRow("trailing dot is generic") << "trailing."
                                                 << "README";
        QTest::newRow("empty is generic") << ""
                                          << "README";
    }
    void sameExtensionSameIcon() {
        QFETCH(QString, name);
        QFETCH(QString, sameAs);
        QCOMPARE(IconIndexForName(name.toStdString()), IconIndexForName(sameAs.toStdString()));
    }

    void knownKindsDifferFromGeneric() {
        for (const char* name :
             {"a.txt", "b.exe", "c.bat", "d.zip", "e.htm", "f.gif", "g.jpg", "h.mp3", "i.avi"}) {
            QVERIFY2(IconIndexForName(name) != GenericFileIcon, name);
            QVERIFY(IconIndexForName(name) != FolderIcon && IconIndexForName(name) != ParentRowIcon);
        }
        QCOMPARE(IconIndexForName("README"), GenericFileIcon);
    }
};

QTEST_GUILESS_MAIN(FileIconsTest)
#include "FileIcons_test.moc"
