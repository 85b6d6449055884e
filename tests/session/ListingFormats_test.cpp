#include "session/ftp/CivilTime.h"
#include "session/ftp/ListingParser.h"

#include <QtTest>

using namespace tovo::ftp;

namespace {

const std::int64_t kNow = CivilTime{2024, 3, 15, 12, 0, 0}.toUnixSeconds();
// Listing lines as real servers send them, "line => name|size|d or f|Y-M-D[ H:M[:S]]" ("-": no date)
// or "SKIP", " ;; " between rows; "~" stands for "-rw-r--r-- 1 u g ", "\\t" for a tab, "\\0" for a NUL.
const char* const kList =
    R"(-rw-r--r--   1 ftp  ftp   1234 Jul 29 02:27 readme.txt => readme.txt|1234|f|2023-7-29 2:27
-rw-r--r--   1 owner   4096 Jan  5  2021 a b => a b|4096|f|2021-1-5
drwxr-xr-x   2 1001  1001   4096 Feb 10  2020 pub => pub|4096|d|2020-2-10
-rw-r--r-- 1 webuser webusers123456789 Mar  1  2022 big => big|123456789|f|2022-3-1
crw-rw-rw-   1 root  root   1,   3 Jan  1  2020 null => null|0|f|2020-1-1
   8 -rw-r--r-- 1 u g 5 Jan 5 2020 blocks => blocks|5|f|2020-1-5
~100 Okt 12  2019 de => de|100|f|2019-10-12
~100 24. Dez 2018 xmas => xmas|100|f|2018-12-24 ;; ~5 févr. 14  2020 fr => fr|5|f|2020-2-14
~5 29 juil. 2014 fr2 => fr2|5|f|2014-7-29 ;; ~5 СЕНТ. 1 2011 ru2 => ru2|5|f|2011-9-1
~5 Jul 29 02:27 2014 late => late|5|f|2014-7-29 2:27 ;; ~5 1999/10/12 slash => slash|5|f|1999-10-12
~5 2004.07.15 10:30 dots => dots|5|f|2004-7-15 10:30 ;; ~5 24-04-2003 dmy => dmy|5|f|2003-4-24
~5 2014-07-29 02:27:33.000000000 +0200 full => full|5|f|2014-7-29 2:27:33
~5 7月 29 02:27 zh => zh|5|f|2023-7-29 2:27 ;; ~5 2014年7月29日 cjk => cjk|5|f|2014-7-29
d [RWCEAFMS] supervisor  512 Jan 16 18:53 login => login|512|d|2024-1-16 18:53
2013-04-18  03:09PM  <DIR>  iis dir => iis dir|0|d|2013-4-18 15:9
04-18-2013  03:09 PM  1,234,567 pm.zip => pm.zip|1234567|f|2013-4-18 15:9
18-04-2013  15:09  1.234 eu.txt => eu.txt|1234|f|2013-4-18 15:9
04/18/13 12:05 AM 12 slash => slash|12|f|2013-4-18 0:5
+i8388621.29609,m824255902,/,\tdeleted => deleted|0|d|1996-2-13 23:58:22
README.TXT;3   12/24   12-JAN-2020 10:00:00  [G,O]  (RWED,RWED,RE,) => README.TXT|6144|f|2020-1-12 10:0
SUBDIR.DIR;1  1/3  3-FEB-2019 09:05 [G,O] (RWE,RWE,,) => SUBDIR|0|d|2019-2-3 9:5
Directory DISK$USER:[FOO] => SKIP ;; Total of 3 files, 13/27 blocks. => SKIP ;; ~5 Jan 5 1:PM x => SKIP
~5 Foo 29 2014 bad => SKIP
drwxr-xr-x 2 owner group 4096 Feb 29 10:15 pub => pub|4096|d|2024-2-29 10:15
~10 Dec 24 18:00 x => x|10|f|2023-12-24 18:0 ;; ~10 Mar 16 09:00 s => s|10|f|2024-3-16 9:0
~10 Mar 17 13:00 o => o|10|f|2023-3-17 13:0
-rw-r--r-- 1 Domain Users 12 Apr 1 2022 w => w|12|f|2022-4-1
~9 Jan 5 2020 my  file .txt  => my  file .txt |9|f|2020-1-5
lrwxrwxrwx 1 o g 11 Jan 5 2020 latest -> releases/1.0 => latest|11|f|2020-1-5
~5368709120 Jan 5 2020 h => h|5368709120|f|2020-1-5
-rw-r--r--+ 1 o g 1 Jan 5 2020 acl => acl|1|f|2020-1-5
12-31-99  12:00AM  1 y2k => y2k|1|f|1999-12-31 ;; 06-01-2023  12:30PM  2 noon => noon|2|f|2023-6-1 12:30
+i8388621.48594,m825718503,r,s280,\tdjb.html => djb.html|280|f|1996-3-1 22:15:3 ;; total 1234 => SKIP
 => SKIP ;; this is not a listing line at all => SKIP ;; xrw-r--r-- 1 o g 1 Jan 5 2020 x => SKIP
~1 Jan 5 2020 => SKIP ;; ~1 Jan 45 2020 x => SKIP
~99999999999999999999999 Jan 5 2020 x => x|9223372036854775807|f|2020-1-5 ;; 13-45-02  11:14AM  1 x => SKIP
01-16-02  11:14AM  <LINK> x => SKIP ;; 01-16-02  11:14AM  12    => SKIP ;; +m825718503,s280,\tx => SKIP
~5 3 29 03:26 a => a|5|f|2023-3-29 3:26 ;; ~5 09-26 2000 b => b|5|f|2000-9-26 ;; ~5 09-26 13:45 c => c|5|f|2023-9-26 13:45
~33.5k Jan 5 2020 k => k|34304|f|2020-1-5 ;; ~1.2M Jan 5 2020 m => m|1258291|f|2020-1-5
~5 Oct 08, 2002 09:47 f => f|5|f|2002-10-8 9:47 ;; ~5 01-jun-99 j => j|5|f|1999-6-1 ;; ~5 no date => no date|5|f|-
~5 26. Juli, 20:10 g => g|5|f|2023-7-26 20:10 ;; ~5 30. Jan., 12:40 h => h|5|f|2024-1-30 12:40
~5 Jan 5 24:00 l => l|5|f|2024-1-6 ;; ~5 Jan 5 10:5 m => m|5|f|2024-1-5 10:5
drwxrwx 1 u g 5 Jan 5 2020 n => n|5|d|2020-1-5 ;; drw-r--rw 1 u g 5 Jan 5 2020 o => o|5|d|2020-1-5
a-rw-r--r-- M 9 u g 5 Jan 5 2020 p => p|5|f|2020-1-5
~5 Jan 5 2020 a/b => SKIP ;; ~5 Jan 5 2020 a\0b => SKIP ;; ~5 Jan 5 2020 . => SKIP ;; ~5 Jan 5 2020 .. => SKIP)";
const char* const kMlsd =
    R"(TYPE=file;SIZE=12;MODIFY=20200102030405; up => up|12|f|2020-1-2 3:4:5
type=file;size=1500;modify=20010307090500;perm=r; name with blanks.txt => name with blanks.txt|1500|f|2001-3-7 9:5
type=file;size=1;  both   =>  both  |1|f|-
Type=dir;UNIX.ownername=John Smith;Modify=20200102030405; d => d|0|d|2020-1-2 3:4:5
type=dir;modify=20240101000000.123; sub => sub|0|d|2024-1-1
type=file;size=4294967301; big.bin => big.bin|4294967301|f|- ;; size=99999999999999999999; h => h|9223372036854775807|f|-
type=OS.unix=slink:/etc;size=4; link => link|4|f|- ;; size=3; plain => plain|3|f|-
type=file;size=1; a;b=c => a;b=c|1|f|- ;; type=file;size=1;modify=20241399999999; d => d|1|f|-
type=cdir;modify=20240101000000; /pub => SKIP ;; type=pdir; .. => SKIP ;; just a name => SKIP
type=file;size=1; => SKIP ;; type=file;size=1;\t\tx\t => \tx\t|1|f|- ;; type=dir; .. => SKIP)";

QString describe(const std::optional<ListingEntry>& entry) {
    if (!entry)
        return QStringLiteral("SKIP");
    QString when = QStringLiteral("-");
    if (entry->modified) {
        const CivilTime t = CivilTime::fromUnixSeconds(*entry->modified);
        when = QString::asprintf("%lld-%d-%d", static_cast<long long>(t.year), t.month, t.day);
        if (t.hour || t.minute || t.second)
            when += QString::asprintf(" %d:%d", t.hour, t.minute) +
                    (t.second ? QStringLiteral(":%1").arg(t.second) : QString());
    }
    return QString::fromStdString(entry->name) +
           QStringLiteral("|%1|%2|").arg(entry->size).arg(entry->directory ? 'd' : 'f') + when;
}

} // namespace

class ListingFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void lines_data() {
        const auto unescape = [](QString text) {
            return text.replace(QStringLiteral("~"), QStringLiteral("-rw-r--r-- 1 u g "))
                .replace(QStringLiteral("\\t"), QStringLiteral("\t"))
                .replace(QStringLiteral("\\0"), QString(QChar(0)));
        };
        QTest::addColumn<bool>("mlsd");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        for (const bool mlsd : {false, true})
            for (const QString& text : QString::fromUtf8(mlsd ? kMlsd : kList).split(u'\n'))
                for (const QString& row : text.split(QStringLiteral(" ;; "))) {
                    const QString line = row.section(QStringLiteral(" => "), 0, 0);
                    QTest::addRow("%s", qPrintable(line))
                        << mlsd << unescape(line) << unescape(row.section(QStringLiteral(" => "), 1));
                }
    }
    void lines() {
        QFETCH(bool, mlsd);
        QFETCH(QString, line);
        const std::string text = line.toStdString();
        QTEST(describe(mlsd ? ListingParser::parseMlsdLine(text) : ListingParser::parseListLine(text, kNow)),
              "expected");
    }
};

QTEST_GUILESS_MAIN(ListingFormatsTest)
#include "ListingFormats_test.moc"
