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

    void dateTextHasNoLeadingZeros() {
        const quint64 ticks = 126284295420000000; // 100 ns since 1601, seconds included
        const FILETIME time{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
        QCOMPARE(QString::fromStdString(RemoteDateText(time)), QStringLiteral("3/7/2001 9:5"));
    }
};

QTEST_GUILESS_MAIN(RemoteFormatTest)
#include "RemoteFormat_test.moc"
