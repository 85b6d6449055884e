#include "session/ftp/CivilTime.h"
#include "session/ftp/ListingParser.h"

#include <QtTest>

using tovo::ftp::CivilTime;
using tovo::ftp::ListingEntry;
using tovo::ftp::ListingParser;

namespace {

// "Now" for every row: 2024-03-15 12:00 UTC.
const std::int64_t kNow = CivilTime{2024, 3, 15, 12, 0, 0}.toUnixSeconds();

QString describe(const std::optional<ListingEntry>& entry) {
    if (!entry)
        return QStringLiteral("SKIP");
    QString when = QStringLiteral("-");
    if (entry->modified) {
        const CivilTime t = CivilTime::fromUnixSeconds(*entry->modified);
        when = QString::asprintf("%04lld-%02d-%02d %02d:%02d:%02d", static_cast<long long>(t.year), t.month,
                                 t.day, t.hour, t.minute, t.second);
    }
    return QStringLiteral("%1|%2|%3|%4")
        .arg(QString::fromStdString(entry->name),
             entry->directory ? QStringLiteral("dir") : QStringLiteral("file"))
        .arg(entry->size)
        .arg(when);
}

} // namespace

class ListingParserTest : public QObject {
    Q_OBJECT
private slots:
    void listLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected"); // name|kind|size|date, or SKIP
        // Unix ls -l, with a group column.
        QTest::newRow("unix file, year") << "-rw-r--r--   1 owner group     1234 Mar  7  2001 readme.txt"
                                         << "readme.txt|file|1234|2001-03-07 00:00:00";
        QTest::newRow("unix dir, time") << "drwxr-xr-x   2 owner group     4096 Feb 29 10:15 pub"
                                        << "pub|dir|4096|2024-02-29 10:15:00";
        QTest::newRow("unix time in the future goes to last year") << "-rw-r--r-- 1 o g 10 Dec 24 18:00 xmas"
                                                                   << "xmas|file|10|2023-12-24 18:00:00";
        QTest::newRow("unix time tomorrow is clock skew") << "-rw-r--r-- 1 o g 10 Mar 16 09:00 soon"
                                                          << "soon|file|10|2024-03-16 09:00:00";
        QTest::newRow("unix time two days ahead is last year") << "-rw-r--r-- 1 o g 10 Mar 17 13:00 old"
                                                               << "old|file|10|2023-03-17 13:00:00";
        // Without a group column, numeric owners.
        QTest::newRow("unix no group") << "-rw-r--r--   1 owner     5 Jan  5  1999 a"
                                       << "a|file|5|1999-01-05 00:00:00";
        QTest::newRow("unix numeric owner") << "-rw-r--r-- 1 1000 1000 77 Jan 05 2020 n.bin"
                                            << "n.bin|file|77|2020-01-05 00:00:00";
        QTest::newRow("unix numeric owner no group") << "-rw-r--r-- 1 1000 77 Jan 05 2020 m.bin"
                                                     << "m.bin|file|77|2020-01-05 00:00:00";
        QTest::newRow("unix blanks in name") << "-rw-r--r-- 1 o g 9 Jan 5 2020 my  file .txt "
                                             << "my  file .txt |file|9|2020-01-05 00:00:00";
        QTest::newRow("unix symlink") << "lrwxrwxrwx 1 o g 11 Jan 5 2020 latest -> releases/1.0"
                                      << "latest|file|11|2020-01-05 00:00:00";
        QTest::newRow("unix size beyond 4 GiB") << "-rw-r--r-- 1 o g 5368709120 Jan 5 2020 huge.iso"
                                                << "huge.iso|file|5368709120|2020-01-05 00:00:00";
        QTest::newRow("unix acl marker") << "-rw-r--r--+ 1 o g 1 Jan 5 2020 acl"
                                         << "acl|file|1|2020-01-05 00:00:00";
        QTest::newRow("unix owner with blank") << "-rw-r--r-- 1 Domain Users 12 Apr 1 2022 w"
                                               << "w|file|12|2022-04-01 00:00:00";
        QTest::newRow("unix lower-case month") << "-rw-r--r-- 1 o g 1 jan 5 2020 lc"
                                               << "lc|file|1|2020-01-05 00:00:00";
        QTest::newRow("unix long-iso") << "-rw-r--r-- 1 o g 42 2023-06-01 08:30 iso.txt"
                                       << "iso.txt|file|42|2023-06-01 08:30:00";
        QTest::newRow("unix dot dirs stay") << "drwxr-xr-x 2 o g 4096 Jan 5 2020 .."
                                            << "..|dir|4096|2020-01-05 00:00:00";
        // DOS / IIS.
        QTest::newRow("dos dir") << "01-16-02  11:14AM       <DIR>          epsgroup"
                                 << "epsgroup|dir|0|2002-01-16 11:14:00";
        QTest::newRow("dos file pm") << "03-07-01  09:05PM                 1234 a file.txt"
                                     << "a file.txt|file|1234|2001-03-07 21:05:00";
        QTest::newRow("dos noon and midnight") << "12-31-99  12:00AM  1 y2k"
                                               << "y2k|file|1|1999-12-31 00:00:00";
        QTest::newRow("dos 12 pm") << "06-01-2023  12:30PM  2 noon"
                                   << "noon|file|2|2023-06-01 12:30:00";
        QTest::newRow("dos 24 hour") << "06-01-2023  23:59  3 late"
                                     << "late|file|3|2023-06-01 23:59:00";
        // EPLF.
        QTest::newRow("eplf file") << "+i8388621.48594,m825718503,r,s280,\tdjb.html"
                                   << "djb.html|file|280|1996-03-01 22:15:03";
        QTest::newRow("eplf dir") << "+i8388621.50690,m824255907,/,\t514"
                                  << "514|dir|0|1996-02-13 23:58:27";
        // Garbage.
        QTest::newRow("total") << "total 1234"
                               << "SKIP";
        QTest::newRow("empty") << ""
                               << "SKIP";
        QTest::newRow("words") << "this is not a listing line at all"
                               << "SKIP";
        QTest::newRow("bad permissions") << "xrw-r--r-- 1 o g 1 Jan 5 2020 x"
                                         << "SKIP";
        QTest::newRow("no name") << "-rw-r--r-- 1 o g 1 Jan 5 2020"
                                 << "SKIP";
        QTest::newRow("bad day") << "-rw-r--r-- 1 o g 1 Jan 45 2020 x"
                                 << "SKIP";
        QTest::newRow("bad time") << "-rw-r--r-- 1 o g 1 Jan 5 25:61 x"
                                  << "SKIP";
        QTest::newRow("size overflow") << "-rw-r--r-- 1 o g 99999999999999999999999 Jan 5 2020 x"
                                       << "SKIP";
        QTest::newRow("dos bad date") << "13-45-02  11:14AM  1 x"
                                      << "SKIP";
        QTest::newRow("dos bad kind") << "01-16-02  11:14AM  <LINK> x"
                                      << "SKIP";
        QTest::newRow("dos no name") << "01-16-02  11:14AM  12   "
                                     << "SKIP";
        QTest::newRow("eplf without kind") << "+m825718503,s280,\tx"
                                           << "SKIP";
        QTest::newRow("eplf without tab") << "+r,s280, x"
                                          << "SKIP";
    }
    void listLines() {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        const std::string text = line.toStdString();
        QCOMPARE(describe(ListingParser::parseListLine(text, kNow)), expected);
    }

    void mlsdLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file") << "type=file;size=1500;modify=20010307090500;perm=r; name with blanks.txt"
                              << "name with blanks.txt|file|1500|2001-03-07 09:05:00";
        QTest::newRow("dir") << "type=dir;modify=20240101000000.123; sub"
                             << "sub|dir|0|2024-01-01 00:00:00";
        QTest::newRow("upper-case facts") << "Type=Dir;Modify=19991231235959; Old"
                                          << "Old|dir|0|1999-12-31 23:59:59";
        QTest::newRow("big") << "type=file;size=4294967301; big.bin"
                             << "big.bin|file|4294967301|-";
        QTest::newRow("symlink type") << "type=OS.unix=slink:/etc;size=4; link"
                                      << "link|file|4|-";
        QTest::newRow("no type fact") << "size=3; plain"
                                      << "plain|file|3|-";
        QTest::newRow("leading blank in name") << "type=file;size=1;  spaced"
                                               << " spaced|file|1|-";
        QTest::newRow("semicolon in name") << "type=file;size=1; a;b=c"
                                           << "a;b=c|file|1|-";
        QTest::newRow("bad date kept out") << "type=file;size=1;modify=20241399999999; d"
                                           << "d|file|1|-";
        QTest::newRow("cdir") << "type=cdir;modify=20240101000000; /pub"
                              << "SKIP";
        QTest::newRow("pdir") << "type=pdir; .."
                              << "SKIP";
        QTest::newRow("no facts") << "just a name"
                                  << "SKIP";
        QTest::newRow("no name") << "type=file;size=1;"
                                 << "SKIP";
    }
    void mlsdLines() {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        const std::string text = line.toStdString();
        QCOMPARE(describe(ListingParser::parseMlsdLine(text)), expected);
    }

    void wholeListingsSplitLinesAndSkipGarbage() {
        const std::string listing = "total 8\r\n"
                                    "drwxr-xr-x 2 o g 4096 Jan 5 2020 dir\r\n"
                                    "\x01\x02 binary junk \xff\n"
                                    "-rw-r--r-- 1 o g 3 Jan 5 2020 last";
        const auto entries = ListingParser::parse(listing, false, kNow);
        QCOMPARE(entries.size(), std::size_t{2});
        QCOMPARE(entries[0].name, std::string("dir"));
        QVERIFY(entries[0].directory);
        QCOMPARE(entries[1].name, std::string("last"));

        const auto mlsd = ListingParser::parse("type=cdir; .\r\ntype=file;size=2; f\r\n", true, kNow);
        QCOMPARE(mlsd.size(), std::size_t{1});
        QCOMPARE(mlsd[0].size, std::uint64_t{2});
    }
};

QTEST_GUILESS_MAIN(ListingParserTest)
#include "ListingParser_test.moc"
