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

void row(const char* name, const char* line, const char* expected) {
    QTest::newRow(name) << QString::fromLatin1(line) << QString::fromLatin1(expected);
}

} // namespace

class ListingParserTest : public QObject {
    Q_OBJECT
private slots:
    void listLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected"); // name|kind|size|date, or SKIP
        row("unix file, year", "-rw-r--r--   1 owner group     1234 Mar  7  2001 readme.txt",
            "readme.txt|file|1234|2001-03-07 00:00:00");
        row("unix dir, time", "drwxr-xr-x 2 owner group 4096 Feb 29 10:15 pub",
            "pub|dir|4096|2024-02-29 10:15:00");
        row("time in the future is last year", "-rw-r--r-- 1 o g 10 Dec 24 18:00 x",
            "x|file|10|2023-12-24 18:00:00");
        row("time tomorrow is clock skew", "-rw-r--r-- 1 o g 10 Mar 16 09:00 s",
            "s|file|10|2024-03-16 09:00:00");
        row("time two days ahead is last year", "-rw-r--r-- 1 o g 10 Mar 17 13:00 o",
            "o|file|10|2023-03-17 13:00:00");
        row("no group", "-rw-r--r--   1 owner     5 Jan  5  1999 a", "a|file|5|1999-01-05 00:00:00");
        row("numeric owner", "-rw-r--r-- 1 1000 1000 77 Jan 05 2020 n.bin",
            "n.bin|file|77|2020-01-05 00:00:00");
        row("numeric owner, no group", "-rw-r--r-- 1 1000 77 Jan 05 2020 m", "m|file|77|2020-01-05 00:00:00");
        row("owner with blank", "-rw-r--r-- 1 Domain Users 12 Apr 1 2022 w", "w|file|12|2022-04-01 00:00:00");
        row("blanks in name", "-rw-r--r-- 1 o g 9 Jan 5 2020 my  file .txt ",
            "my  file .txt |file|9|2020-01-05 00:00:00");
        row("symlink", "lrwxrwxrwx 1 o g 11 Jan 5 2020 latest -> releases/1.0",
            "latest|file|11|2020-01-05 00:00:00");
        row("size beyond 4 GiB", "-rw-r--r-- 1 o g 5368709120 Jan 5 2020 h",
            "h|file|5368709120|2020-01-05 00:00:00");
        row("acl marker", "-rw-r--r--+ 1 o g 1 Jan 5 2020 acl", "acl|file|1|2020-01-05 00:00:00");
        row("lower-case month", "-rw-r--r-- 1 o g 1 jan 5 2020 lc", "lc|file|1|2020-01-05 00:00:00");
        row("long-iso", "-rw-r--r-- 1 o g 42 2023-06-01 08:30 iso.txt",
            "iso.txt|file|42|2023-06-01 08:30:00");
        row("dos dir", "01-16-02  11:14AM       <DIR>          eps", "eps|dir|0|2002-01-16 11:14:00");
        row("dos file pm", "03-07-01  09:05PM     1234 a file.txt",
            "a file.txt|file|1234|2001-03-07 21:05:00");
        row("dos midnight", "12-31-99  12:00AM  1 y2k", "y2k|file|1|1999-12-31 00:00:00");
        row("dos noon", "06-01-2023  12:30PM  2 noon", "noon|file|2|2023-06-01 12:30:00");
        row("dos 24 hour", "06-01-2023  23:59  3 late", "late|file|3|2023-06-01 23:59:00");
        row("eplf file", "+i8388621.48594,m825718503,r,s280,\tdjb.html",
            "djb.html|file|280|1996-03-01 22:15:03");
        row("eplf dir", "+i8388621.50690,m824255907,/,\t514", "514|dir|0|1996-02-13 23:58:27");
        row("total", "total 1234", "SKIP");
        row("empty", "", "SKIP");
        row("words", "this is not a listing line at all", "SKIP");
        row("bad permissions", "xrw-r--r-- 1 o g 1 Jan 5 2020 x", "SKIP");
        row("no name", "-rw-r--r-- 1 o g 1 Jan 5 2020", "SKIP");
        row("bad day", "-rw-r--r-- 1 o g 1 Jan 45 2020 x", "SKIP");
        row("bad time", "-rw-r--r-- 1 o g 1 Jan 5 25:61 x", "SKIP");
        row("size overflow", "-rw-r--r-- 1 o g 99999999999999999999999 Jan 5 2020 x", "SKIP");
        row("dos bad date", "13-45-02  11:14AM  1 x", "SKIP");
        row("dos bad kind", "01-16-02  11:14AM  <LINK> x", "SKIP");
        row("dos no name", "01-16-02  11:14AM  12   ", "SKIP");
        row("eplf without kind", "+m825718503,s280,\tx", "SKIP");
        row("eplf without tab", "+r,s280, x", "SKIP");
    }
    void listLines() {
        QFETCH(QString, line);
        QTEST(describe(ListingParser::parseListLine(line.toStdString(), kNow)), "expected");
    }

    void mlsdLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        row("file", "type=file;size=1500;modify=20010307090500;perm=r; name with blanks.txt",
            "name with blanks.txt|file|1500|2001-03-07 09:05:00");
        row("dir", "type=dir;modify=20240101000000.123; sub", "sub|dir|0|2024-01-01 00:00:00");
        row("upper-case facts", "Type=Dir;Modify=19991231235959; Old", "Old|dir|0|1999-12-31 23:59:59");
        row("big", "type=file;size=4294967301; big.bin", "big.bin|file|4294967301|-");
        row("symlink type", "type=OS.unix=slink:/etc;size=4; link", "link|file|4|-");
        row("no type fact", "size=3; plain", "plain|file|3|-");
        row("leading blank in name", "type=file;size=1;  spaced", " spaced|file|1|-");
        row("semicolon in name", "type=file;size=1; a;b=c", "a;b=c|file|1|-");
        row("bad date kept out", "type=file;size=1;modify=20241399999999; d", "d|file|1|-");
        row("cdir", "type=cdir;modify=20240101000000; /pub", "SKIP");
        row("pdir", "type=pdir; ..", "SKIP");
        row("no facts", "just a name", "SKIP");
        row("no name", "type=file;size=1;", "SKIP");
    }
    void mlsdLines() {
        QFETCH(QString, line);
        QTEST(describe(ListingParser::parseMlsdLine(line.toStdString())), "expected");
    }

    void wholeListingsSplitLinesAndSkipGarbage() {
        const auto entries =
            ListingParser::parse("total 8\r\ndrwxr-xr-x 2 o g 4096 Jan 5 2020 dir\r\n"
                                 "\x01\x02 binary junk \xff\n-rw-r--r-- 1 o g 3 Jan 5 2020 last",
                                 false, kNow);
        QCOMPARE(entries.size(), std::size_t{2});
        QCOMPARE(describe(entries[0]) + describe(entries[1]),
                 QStringLiteral("dir|dir|4096|2020-01-05 00:00:00last|file|3|2020-01-05 00:00:00"));
        const auto mlsd = ListingParser::parse("type=cdir; .\r\ntype=file;size=2; f\r\n", true, kNow);
        QCOMPARE(mlsd.size(), std::size_t{1});
        QCOMPARE(mlsd[0].size, std::uint64_t{2});
    }
};

QTEST_GUILESS_MAIN(ListingParserTest)
#include "ListingParser_test.moc"
