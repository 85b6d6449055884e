// Dates of the local list in the general date format, and the folder path with one trailing "/".
#include "local/LocalFormat.h"

#include <QtTest>
#include <ctime>

class LocalFormatTest : public QObject {
    Q_OBJECT
private slots:
    void generalDate_data() {
        QTest::addColumn<QList<int>>("time"); // year, month, day, hour, minute, second
        QTest::addColumn<QString>("text");
        QTest::newRow("morning, no leading zeros")
            << QList<int>{2001, 3, 7, 9, 5, 3} << "3/7/2001 9:05:03 AM";
        QTest::newRow("exact midnight: no time") << QList<int>{2024, 12, 31, 0, 0, 0} << "12/31/2024";
        QTest::newRow("a second after midnight") << QList<int>{2024, 1, 1, 0, 0, 1} << "1/1/2024 12:00:01 AM";
        QTest::newRow("noon") << QList<int>{2024, 6, 15, 12, 0, 0} << "6/15/2024 12:00:00 PM";
        QTest::newRow("evening") << QList<int>{1999, 10, 2, 23, 59, 59} << "10/2/1999 11:59:59 PM";
    }
    void generalDate() {
        QFETCH(QList<int>, time);
        QFETCH(QString, text);
        QCOMPARE(
            QString::fromStdString(GeneralDateText({time[0], time[1], time[2], time[3], time[4], time[5]})),
            text);
        // The same moment as a file time reads in the machine's own clock.
        std::tm local{time[5], time[4], time[3], time[2], time[1] - 1, time[0] - 1900, 0, 0, -1, 0, nullptr};
        QCOMPARE(QString::fromStdString(LocalDateText(std::mktime(&local))), text);
    }

    void folderWithSlash() {
        for (const auto& [path, folder] :
             {std::pair{"/", "/"}, {"/data", "/data/"}, {"/data/", "/data/"}, {"", ""}})
            QCOMPARE(FolderWithSlash(path), std::string(folder));
    }
};

QTEST_GUILESS_MAIN(LocalFormatTest)
#include "LocalFormat_test.moc"
