#include "session/RemoteFormat.h"

#include <QtTest>

namespace {

// 100 ns ticks from 1601-01-01 to the given UTC time.
FILETIME fileTime(int year, int month, int day, int hour, int minute, int second) {
    const QDateTime when(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
    const qint64 epoch1601 = QDateTime(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    const auto ticks = static_cast<quint64>(when.toSecsSinceEpoch() - epoch1601) * 10000000ULL;
    return FILETIME{static_cast<std::uint32_t>(ticks & 0xFFFFFFFFu), static_cast<std::uint32_t>(ticks >> 32)};
}

} // namespace

class RemoteFormatTest : public QObject {
    Q_OBJECT
private slots:
    void findDataSizeUsesBothHalves() {
        WIN32_FIND_DATAA data{};
        data.nFileSizeLow = 0x80000000u;
        QCOMPARE(FindDataSize(data), std::int64_t(2147483648LL)); // not negative
        data.nFileSizeHigh = 1;
        data.nFileSizeLow = 0;
        QCOMPARE(FindDataSize(data), std::int64_t(4294967296LL));
    }

    void dateText_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<QString>("text");
        QTest::newRow("no leading zeros") << 2001 << 3 << 7 << 9 << 5 << "3/7/2001 9:5";
        QTest::newRow("midnight") << 2024 << 12 << 31 << 0 << 0 << "12/31/2024 0:0";
        QTest::newRow("two digits") << 1999 << 10 << 15 << 23 << 59 << "10/15/1999 23:59";
        QTest::newRow("leap day") << 2020 << 2 << 29 << 12 << 30 << "2/29/2020 12:30";
    }
    void dateText() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(QString, text);
        const SYSTEMTIME system{static_cast<std::uint16_t>(year),
                                static_cast<std::uint16_t>(month),
                                0,
                                static_cast<std::uint16_t>(day),
                                static_cast<std::uint16_t>(hour),
                                static_cast<std::uint16_t>(minute),
                                0,
                                0};
        QCOMPARE(QString::fromStdString(RemoteDateText(system)), text);
        // From the find record's file time, seconds dropped and no time-zone shift.
        QCOMPARE(QString::fromStdString(RemoteDateText(fileTime(year, month, day, hour, minute, 42))), text);
    }

    void parentDirectory_data() {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("parent");
        QTest::newRow("two levels") << "/pub/docs/"
                                    << "/pub/";
        QTest::newRow("one level") << "/pub/"
                                   << "/";
        QTest::newRow("home") << "/home/user/"
                              << "/home/";
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
        QFETCH(QString, parent);
        QCOMPARE(QString::fromStdString(RemoteParentDirectory(dir.toStdString())), parent);
    }
};

QTEST_GUILESS_MAIN(RemoteFormatTest)
#include "RemoteFormat_test.moc"
