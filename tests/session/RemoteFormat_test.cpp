#include "session/RemoteFormat.h"

#include <QtTest>

class RemoteFormatTest : public QObject {
    Q_OBJECT
private slots:
    void findDataSizeUsesBothHalves() {
        WIN32_FIND_DATAA data{};
        data.nFileSizeLow = 0x80000000u;
        QCOMPARE(FindDataSize(data), std::int64_t(2147483648LL)); // not negative
        data.nFileSizeHigh = 1;
        QCOMPARE(FindDataSize(data), std::int64_t(6442450944LL));
    }

    void dateText_data() {
        QTest::addColumn<quint64>("ticks"); // 100 ns since 1601, seconds included
        QTest::addColumn<QString>("text");
        QTest::newRow("no leading zeros") << quint64{126284295420000000} << "3/7/2001 9:5";
        QTest::newRow("midnight") << quint64{133800768420000000} << "12/31/2024 0:0";
        QTest::newRow("two digits") << quint64{125845055820000000} << "10/15/1999 23:59";
    }
    void dateText() {
        QFETCH(quint64, ticks);
        const FILETIME time{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
        QTEST(QString::fromStdString(RemoteDateText(time)), "text");
    }

    void parentDirectory_data() {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("parent");
        QTest::newRow("two levels") << "/pub/docs/"
                                    << "/pub/";
        QTest::newRow("one level") << "/pub/"
                                   << "/";
        QTest::newRow("blanks") << "/my files/old stuff/"
                                << "/my files/";
        QTest::newRow("root stays root") << "/"
                                         << "/";
        QTest::newRow("no leading slash") << "pub/"
                                          << "/";
        QTest::newRow("relative two levels") << "pub/docs/"
                                             << "pub/";
    }
    void parentDirectory() {
        QFETCH(QString, dir);
        QTEST(QString::fromStdString(RemoteParentDirectory(dir.toStdString())), "parent");
    }
};

QTEST_GUILESS_MAIN(RemoteFormatTest)
#include "RemoteFormat_test.moc"
