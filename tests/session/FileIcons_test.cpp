#include "session/FileIcons.h"

#include <QtTest>

// The icon follows the extension after the last dot, whatever its case; the table itself is not
// repeated here.
class FileIconsTest : public QObject {
    Q_OBJECT
private slots:
    void sameExtensionSameIcon() {
        // Each pair shares its icon: upper and mixed case, the last dot counts, no dot: the whole name,
        // a dot first; unknown, trailing dot and empty are generic.
        for (const QString& pair :
             QStringLiteral("a.MPG b.mpg|name.Rtf x.rtf|archive.tar.ZIP u.zip|mp3.wav.exe w.exe|"
                            "zip u.zip|.htm i.htm|a.tar.gz README|trailing. README| README")
                 .split(u'|'))
            QVERIFY2(IconIndexForName(pair.section(u' ', 0, 0).toStdString()) ==
                         IconIndexForName(pair.section(u' ', 1).toStdString()),
                     qPrintable(pair));
    }

    void knownKindsDifferFromGeneric() {
        for (const char* name :
             {"a.txt", "b.exe", "c.bat", "d.zip", "e.htm", "f.gif", "g.jpg", "h.mp3", "i.avi"}) {
            const auto icon = IconIndexForName(name);
            QVERIFY2(icon != GenericFileIcon && icon != FolderIcon && icon != ParentRowIcon, name);
        }
        QCOMPARE(IconIndexForName("README"), GenericFileIcon);
    }
};

QTEST_GUILESS_MAIN(FileIconsTest)
#include "FileIcons_test.moc"
