#include "transfer/ExtensionCompare.h"

#include <QtTest>

// The ASCII/binary decision by file name and by the chosen mode.
class ExtensionCompareTest : public QObject {
    Q_OBJECT

private slots:
    void typeForName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::newRow("txt") << "readme.txt" << 1;
        QTest::newRow("upper case") << "README.TXT" << 1;
        QTest::newRow("mixed case html") << "Index.Html" << 1;
        QTest::newRow("jpg") << "photo.jpg" << 2;
        QTest::newRow("first dot: txt.bak") << "notes.txt.bak" << 2;
        QTest::newRow("first dot: tar.z") << "archive.tar.z" << 2;
        QTest::newRow("no dot, whole name in list") << "log" << 1;
        QTest::newRow("no dot, not in list") << "Makefile" << 2;
        QTest::newRow("leading dot") << ".profile" << 2;
        QTest::newRow("trailing dot") << "name." << 2;
        QTest::newRow("me") << "read.me" << 1;
        QTest::newRow("js") << "app.js" << 1;
        QTest::newRow("single letter z") << "a.Z" << 1;
        QTest::newRow("empty") << "" << 2;
        // Every entry of the list, so that a missing or misspelt one shows.
        const char* all[] = {"htm", "html", "txt", "ps",  "dat", "csv", "rtf", "bat", "asc",
                             "pfa", "cas",  "pc8", "cgi", "hqx", "dxf", "pbm", "js",  "pgm",
                             "ppm", "inf",  "me",  "msg", "nws", "toc", "z",   "log"};
        for (const char* extension : all)
            QTest::addRow("list %s", extension) << QStringLiteral("f.%1").arg(QLatin1String(extension)) << 1;
        QTest::newRow("near miss htmx") << "f.htmx" << 2;
        QTest::newRow("near miss lo") << "f.lo" << 2;
    }
    void typeForName() {
        QFETCH(QString, name);
        QFETCH(int, type);
        QCOMPARE(TransferTypeForName(name.toStdString()), type);
    }

    void typeForMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::newRow("auto text") << int(TransferMode::Auto) << "a.txt" << 1;
        QTest::newRow("auto binary") << int(TransferMode::Auto) << "a.jpg" << 2;
        QTest::newRow("ascii forces 1") << int(TransferMode::Ascii) << "photo.jpg" << 1;
        QTest::newRow("binary forces 2") << int(TransferMode::Binary) << "readme.txt" << 2;
    }
    void typeForMode() {
        QFETCH(int, mode);
        QFETCH(QString, name);
        QFETCH(int, type);
        QCOMPARE(TransferTypeForMode(static_cast<TransferMode>(mode), name.toStdString()), type);
    }

    void autoOpenRecordsTypeEvenWhenOpenFails() {
        CurrentTransferType = 2;
        QCOMPARE(OpenRemoteFileAuto("notes.txt", "/notes.txt"), HINTERNET{0}); // not connected
        QCOMPARE(CurrentTransferType, 1);
        QCOMPARE(OpenRemoteFileAuto("photo.jpg", "/photo.jpg"), HINTERNET{0});
        QCOMPARE(CurrentTransferType, 2);
    }
};

QTEST_GUILESS_MAIN(ExtensionCompareTest)
#include "ExtensionCompare_test.moc"
