#include "session/RemoteFormat.h"
#include "session/WinInetAPI.h"

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
        QTest::newRow("two digits") << quint64{125845055820000000} << "10/15/1999 23:59";
    }
    void dateText() {
        QFETCH(quint64, ticks);
        const FILETIME time{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
        QTEST(QString::fromStdString(RemoteDateText(time)), "text");
    }

    void stripNullsCutsAtFirstNul() { QCOMPARE(StripNulls(std::string("abc\0def", 7)), std::string("abc")); }

    void fileTimeToSystemTime_data() {
        QTest::addColumn<quint64>("ticks");
        QTest::addColumn<QString>("expected"); // yyyy-MM-dd hh:mm:ss.zzz weekday(0 = Sunday), or FAIL
        QTest::newRow("epoch 1601") << quint64{0} << QStringLiteral("1601-01-01 00:00:00.000 1");
        QTest::newRow("leap day 2024")
            << quint64{133536384001230000} << QStringLiteral("2024-02-29 00:00:00.123 4");
        QTest::newRow("largest") << quint64{0x7FFFFFFFFFFFFFFF}
                                 << QStringLiteral("30828-09-14 02:48:05.477 4");
        QTest::newRow("beyond range") << quint64{0x8000000000000000} << QStringLiteral("FAIL");
    }
    void fileTimeToSystemTime() {
        QFETCH(quint64, ticks);
        const FILETIME time{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
        SYSTEMTIME s{};
        QTEST(FileTimeToSystemTime(&time, &s)
                  ? QString::asprintf("%04u-%02u-%02u %02u:%02u:%02u.%03u %u", s.wYear, s.wMonth, s.wDay,
                                      s.wHour, s.wMinute, s.wSecond, s.wMilliseconds, s.wDayOfWeek)
                  : QStringLiteral("FAIL"),
              "expected");
    }

    void parentDirectory_data() {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("parent");
        // Each "dir > parent" pair.
        for (const QString& pair :
             QStringLiteral("/pub/docs/>/pub/|/pub/>/|/my files/old stuff/>/my files/|/>/|"
                            "pub/>/|pub/docs/>pub/")
                 .split(u'|'))
            QTest::newRow(qPrintable(pair)) << pair.section(u'>', 0, 0) << pair.section(u'>', 1);
    }
    void parentDirectory() {
        QFETCH(QString, dir);
        QTEST(QString::fromStdString(RemoteParentDirectory(dir.toStdString())), "parent");
    }
};

QTEST_GUILESS_MAIN(RemoteFormatTest)
#include "RemoteFormat_test.moc"
