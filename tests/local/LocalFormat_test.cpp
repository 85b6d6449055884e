#include "local/LocalFormat.h"

#include <QtTest>

class LocalFormatTest : public QObject {
    Q_OBJECT
private slots:
    void generalDate_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("text");
        QTest::newRow("morning, no leading zeros in the date")
            << 2001 << 3 << 7 << 9 << 5 << 3 << "3/7/2001 9:05:03 AM";
        QTest::newRow("exact midnight leaves the time out")
            << 2024 << 12 << 31 << 0 << 0 << 0 << "12/31/2024";
        QTest::newRow("one second after midnight") << 2024 << 1 << 1 << 0 << 0 << 1 << "1/1/2024 12:00:01 AM";
        QTest::newRow("noon") << 2024 << 6 << 15 << 12 << 0 << 0 << "6/15/2024 12:00:00 PM";
        QTest::newRow("evening") << 1999 << 10 << 2 << 23 << 59 << 59 << "10/2/1999 11:59:59 PM";
    }
    void generalDate() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(GeneralDateText({year, month, day, hour, minute, second})), text);
    }

    void localDateUsesTheLocalClock() {
        // 2001-03-07 09:05:03 in the machine's own time zone.
        std::tm local{};
        local.tm_year = 101;
        local.tm_mon = 2;
        local.tm_mday = 7;
        local.tm_hour = 9;
        local.tm_min = 5;
        local.tm_sec = 3;
        local.tm_isdst = -1;
        const std::time_t seconds = std::mktime(&local);
        QCOMPARE(QString::fromStdString(LocalDateText(seconds)), QStringLiteral("3/7/2001 9:05:03 AM"));
    }

    void folderWithSlash_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("root keeps one slash") << "/"
                                              << "/";
        QTest::newRow("subfolder gains one") << "/data"
                                             << "/data/";
        QTest::newRow("already ends with one") << "/data/"
                                               << "/data/";
    }
    void folderWithSlash() {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(QString::fromStdString(FolderWithSlash(path.toStdString())), folder);
    }
};

QTEST_GUILESS_MAIN(LocalFormatTest)
#include "LocalFormat_test.moc"
