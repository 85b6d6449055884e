// The ASCII (1) or binary (2) decision by the file name and by the mode the user chose.
#include "transfer/ExtensionCompare.h"

#include <QtTest>

class ExtensionCompareTest : public QObject {
    Q_OBJECT
private slots:
    void transferType_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        const int automatic = int(TransferMode::Auto);
        QTest::newRow("text") << automatic << "readme.txt" << 1;
        QTest::newRow("case does not matter") << automatic << "Index.Html" << 1;
        QTest::newRow("picture") << automatic << "photo.jpg" << 2;
        QTest::newRow("first dot decides") << automatic << "notes.txt.bak" << 2;
        QTest::newRow("no dot, whole name listed") << automatic << "log" << 1;
        QTest::newRow("no dot, not listed") << automatic << "Makefile" << 2;
        QTest::newRow("leading dot") << automatic << ".profile" << 2;
        QTest::newRow("trailing dot") << automatic << "name." << 2;
        QTest::newRow("near miss") << automatic << "f.htmx" << 2;
        QTest::newRow("empty") << automatic << "" << 2;
        QTest::newRow("ASCII forces 1") << int(TransferMode::Ascii) << "photo.jpg" << 1;
        QTest::newRow("binary forces 2") << int(TransferMode::Binary) << "readme.txt" << 2;
    }
    void transferType() {
        QFETCH(int, mode);
        QFETCH(QString, name);
        QFETCH(int, type);
        QCOMPARE(TransferTypeForMode(static_cast<TransferMode>(mode), name.toStdString()), type);
        if (mode == int(TransferMode::Auto)) {
            // The automatic open records the type even when the open fails (not connected here).
            CurrentTransferType = 3 - type;
            QCOMPARE(OpenRemoteFileAuto(name.toStdString(), "/" + name.toStdString()), HINTERNET{0});
            QCOMPARE(CurrentTransferType, type);
        }
    }
};

QTEST_GUILESS_MAIN(ExtensionCompareTest)
#include "ExtensionCompare_test.moc"
