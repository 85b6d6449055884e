#include "session/WinInetAPI.h"
#include "session/ftp/CivilTime.h"
#include "session/ftp/ListingParser.h"
#include "session/ftp/ListingReader.h"
#include "tests/support/ScriptedFtpServer.h"

#include <QtTest>

using namespace tovo::ftp;

namespace {

const std::int64_t kNow = CivilTime{2024, 3, 15, 12, 0, 0}.toUnixSeconds();

// "name|size|d or f|YYYY-M-D H:M", or "SKIP".
QString describe(const std::optional<ListingEntry>& entry) {
    if (!entry)
        return QStringLiteral("SKIP");
    const CivilTime t = CivilTime::fromUnixSeconds(entry->modified.value_or(0));
    return QString::asprintf("%s|%llu|%c|%lld-%d-%d %d:%d", entry->name.c_str(),
                             static_cast<unsigned long long>(entry->size), entry->directory ? 'd' : 'f',
                             static_cast<long long>(t.year), t.month, t.day, t.hour, t.minute);
}

std::string lines(std::size_t count, const std::string& line) {
    std::string text;
    text.reserve(count * line.size());
    for (std::size_t i = 0; i < count; ++i)
        text += line;
    return text;
}

} // namespace

class ListingFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void realServerLines_data() {
        QTest::addColumn<bool>("mlsd");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, bool mlsd, const char* line, const char* expected) {
            QTest::newRow(tag) << mlsd << QString::fromUtf8(line) << QString::fromUtf8(expected);
        };
        row("unix time of day", false, "-rw-r--r--   1 ftp  ftp   1234 Jul 29 02:27 readme.txt",
            "readme.txt|1234|f|2023-7-29 2:27");
        row("unix no group", false, "-rw-r--r--   1 owner   4096 Jan  5  2021 a b",
            "a b|4096|f|2021-1-5 0:0");
        row("unix numeric owners", false, "drwxr-xr-x   2 1001  1001   4096 Feb 10  2020 pub",
            "pub|4096|d|2020-2-10 0:0");
        row("unix size touches group", false, "-rw-r--r-- 1 webuser webusers123456789 Mar  1  2022 big",
            "big|123456789|f|2022-3-1 0:0");
        row("unix device", false, "crw-rw-rw-   1 root  root   1,   3 Jan  1  2020 null",
            "null|0|f|2020-1-1 0:0");
        row("unix block count first", false, "   8 -rw-r--r-- 1 u g 5 Jan 5 2020 blocks",
            "blocks|5|f|2020-1-5 0:0");
        row("german", false, "-rw-r--r-- 1 u g 100 Okt 12  2019 de", "de|100|f|2019-10-12 0:0");
        row("german umlaut", false, "-rw-r--r-- 1 u g 100 Mär  3 10:00 de2", "de2|100|f|2024-3-3 10:0");
        row("german day first", false, "-rw-r--r-- 1 u g 100 24. Dez 2018 xmas", "xmas|100|f|2018-12-24 0:0");
        row("french", false, "-rw-r--r-- 1 u g 5 févr. 14  2020 fr", "fr|5|f|2020-2-14 0:0");
        row("french day first", false, "-rw-r--r-- 1 u g 5 29 juil. 2014 fr2", "fr2|5|f|2014-7-29 0:0");
        row("spanish", false, "-rw-r--r-- 1 u g 5 ene  7  2015 es", "es|5|f|2015-1-7 0:0");
        row("italian", false, "drwxr-xr-x 3 u g 4096 giu 18  2017 it", "it|4096|d|2017-6-18 0:0");
        row("dutch", false, "-rw-r--r-- 1 u g 5 mrt  4  2016 nl", "nl|5|f|2016-3-4 0:0");
        row("polish", false, "-rw-r--r-- 1 u g 5 paź  9  2013 pl", "pl|5|f|2013-10-9 0:0");
        row("russian", false, "-rw-r--r-- 1 u g 5 мая  9  2012 ru", "ru|5|f|2012-5-9 0:0");
        row("russian upper case", false, "-rw-r--r-- 1 u g 5 СЕНТ. 1 2011 ru2", "ru2|5|f|2011-9-1 0:0");
        row("hungarian", false, "-rw-r--r-- 1 u g 5 márc. 15  2010 hu", "hu|5|f|2010-3-15 0:0");
        row("time then year", false, "-rw-r--r-- 1 u g 5 Jul 29 02:27 2014 late", "late|5|f|2014-7-29 2:27");
        row("year first slashes", false, "-rw-r--r-- 1 u g 5 1999/10/12 slash", "slash|5|f|1999-10-12 0:0");
        row("year first dots", false, "-rw-r--r-- 1 u g 5 2004.07.15 10:30 dots", "dots|5|f|2004-7-15 10:30");
        row("day month year", false, "-rw-r--r-- 1 u g 5 24-04-2003 dmy", "dmy|5|f|2003-4-24 0:0");
        row("full time", false, "-rw-r--r-- 1 u g 5 2014-07-29 02:27:33.000000000 +0200 full",
            "full|5|f|2014-7-29 2:27");
        row("chinese", false, "-rw-r--r-- 1 u g 5 7月 29 02:27 zh", "zh|5|f|2023-7-29 2:27");
        row("japanese", false, "-rw-r--r-- 1 u g 5  9月  5  2014 ja", "ja|5|f|2014-9-5 0:0");
        row("cjk one token", false, "-rw-r--r-- 1 u g 5 2014年7月29日 cjk", "cjk|5|f|2014-7-29 0:0");
        row("korean", false, "-rw-r--r-- 1 u g 5 7월 29일 02:27 ko", "ko|5|f|2023-7-29 2:27");
        row("netware", false, "d [RWCEAFMS] supervisor  512 Jan 16 18:53 login",
            "login|512|d|2024-1-16 18:53");
        row("dos year first", false, "2013-04-18  03:09PM  <DIR>  iis dir", "iis dir|0|d|2013-4-18 15:9");
        row("dos pm apart", false, "04-18-2013  03:09 PM  1,234,567 pm.zip",
            "pm.zip|1234567|f|2013-4-18 15:9");
        row("dos day first", false, "18-04-2013  15:09  1.234 eu.txt", "eu.txt|1234|f|2013-4-18 15:9");
        row("dos slashes", false, "04/18/13 12:05 AM 12 slash", "slash|12|f|2013-4-18 0:5");
        row("mlsd any case", true, "TYPE=file;SIZE=12;MODIFY=20200102030405; up", "up|12|f|2020-1-2 3:4");
        row("mlsd blanks kept", true, "type=file;size=1;  both  ", " both  |1|f|1970-1-1 0:0");
        row("mlsd blank in value", true, "Type=dir;UNIX.ownername=John Smith;Modify=20200102030405; d",
            "d|0|d|2020-1-2 3:4");
        row("eplf", false, "+i8388621.29609,m824255902,/,\tdeleted", "deleted|0|d|1996-2-13 23:58");
        row("vms file", false, "README.TXT;3   12/24   12-JAN-2020 10:00:00  [G,O]  (RWED,RWED,RE,)",
            "README.TXT|6144|f|2020-1-12 10:0");
        row("vms folder", false, "SUBDIR.DIR;1  1/3  3-FEB-2019 09:05 [G,O] (RWE,RWE,,)",
            "SUBDIR|0|d|2019-2-3 9:5");
        row("vms header", false, "Directory DISK$USER:[FOO]", "SKIP");
        row("vms total", false, "Total of 3 files, 13/27 blocks.", "SKIP");
        row("broken clock", false, "-rw-r--r-- 1 u g 5 Jan 5 1:PM x", "SKIP");
        row("unknown month", false, "-rw-r--r-- 1 u g 5 Foo 29 2014 bad", "SKIP");
    }
    void realServerLines() {
        QFETCH(bool, mlsd);
        QFETCH(QString, line);
        QFETCH(QString, expected);
        const std::string text = line.toStdString();
        QCOMPARE(
            describe(mlsd ? ListingParser::parseMlsdLine(text) : ListingParser::parseListLine(text, kNow)),
            expected);
    }

    // Chunks split lines anywhere; junk and over-long lines are skipped without harming their
    // neighbours; the folder itself and its parent are left out.
    void readerSkipsJunkAndDots_data() {
        QTest::addColumn<int>("chunk");
        for (int chunk : {1, 7, 4096})
            QTest::newRow(qPrintable(QString::number(chunk))) << chunk;
    }
    void readerSkipsJunkAndDots() {
        QFETCH(int, chunk);
        const std::string listing =
            "drwxr-xr-x 2 o g 1 Jan 5 2020 .\r\ndrwxr-xr-x 2 o g 1 Jan 5 2020 ..\n\x01junk\n" +
            std::string(100000, 'x') + "\n-rw-r--r-- 1 o g 3 Jan 5 2020 " + std::string(300, 'n') +
            "\r\ntotal 1\n-rw-r--r-- 1 o g 3 Jan 5 2020 last";
        ListingReader reader(false, kNow);
        for (std::size_t at = 0; at < listing.size(); at += static_cast<std::size_t>(chunk))
            reader.feed(std::string_view(listing).substr(at, static_cast<std::size_t>(chunk)));
        reader.finish();
        const auto entries = reader.takeEntries();
        QCOMPARE(entries.size(), std::size_t{2});
        QCOMPARE(entries[0].name, std::string(300, 'n'));
        QCOMPARE(entries[1].name, std::string("last"));
    }

    // Only kept entries count: millions of junk lines cost nothing, and entries beyond the cap are
    // dropped and counted, also through the FTP layer.
    void listingIsCapped() {
        ListingReader junk(true, kNow);
        junk.feed(lines(3'000'000, "x\n") + "type=file; kept\n");
        QCOMPARE(junk.takeEntries().size(), std::size_t{1});

        ScriptedFtpServer server;
        server.on("LIST",
                  Transfer(lines(ListingReader::kMaxEntries + 5, "-rw-r--r-- 1 o g 1 Jan 5 2020 f\n")));
        QVERIFY(server.start());
        const HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        const HINTERNET connection =
            InternetConnectA(session, "127.0.0.1", server.port(), "u", "p", INTERNET_SERVICE_FTP, 0, 0);
        WIN32_FIND_DATAA data{};
        const HINTERNET find = FtpFindFirstFileA(connection, "*.*", &data, 0, 0);
        std::size_t entries = find != 0 ? 1 : 0;
        while (InternetFindNextFileA(find, &data))
            ++entries;
        QCOMPARE(entries, ListingReader::kMaxEntries);
        QCOMPARE(FindEntriesDropped(find), std::size_t{5});
        InternetCloseHandle(session);
    }
};

QTEST_GUILESS_MAIN(ListingFormatsTest)
#include "ListingFormats_test.moc"
