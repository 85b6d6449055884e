#include "session/WinInetAPI.h"

#include <QtTest>

class WinInetAPITest : public QObject {
    Q_OBJECT
private slots:
    void stripNullsCutsAtFirstNul() {
        QCOMPARE(StripNulls(std::string("abc\0def", 7)), std::string("abc"));
        QCOMPARE(StripNulls("plain"), std::string("plain"));
    }
};

QTEST_GUILESS_MAIN(WinInetAPITest)
#include "WinInetAPI_test.moc"
