#include "session/ftp/FtpReply.h"

#include <QtTest>

using tovo::ftp::FtpReply;

class FtpReplyTest : public QObject {
    Q_OBJECT
private slots:
    void codes_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("ends"); // ends a reply that began with this code
        QTest::newRow("single") << "200 OK" << 200 << true;
        QTest::newRow("bare code") << "226" << 226 << true;
        QTest::newRow("continued") << "211-Features" << 211 << false;
        QTest::newRow("no code") << "hello" << 0 << false;
        QTest::newRow("short") << "22" << 0 << false;
        QTest::newRow("digits run on") << "2000 x" << 0 << false;
        QTest::newRow("not a reply class") << "600 x" << 0 << false;
    }
    void codes() {
        QFETCH(QString, line);
        QFETCH(int, code);
        QFETCH(bool, ends);
        QCOMPARE(FtpReply::codeOf(line.toStdString()), code);
        QCOMPARE(FtpReply::endsReply(line.toStdString(), code), ends && code != 0);
    }

    void passive_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // a.b.c.d:port or NONE
        QTest::newRow("usual") << "227 Entering Passive Mode (192,168,1,2,19,137)"
                               << "192.168.1.2:5001";
        QTest::newRow("no parentheses") << "227 Entering Passive Mode 10,0,0,1,0,21"
                                        << "10.0.0.1:21";
        QTest::newRow("number before") << "227 =127,0,0,1,200,10"
                                       << "127.0.0.1:51210";
        QTest::newRow("byte too big") << "227 (256,0,0,1,1,1)"
                                      << "NONE";
        QTest::newRow("five numbers") << "227 (1,2,3,4,5)"
                                      << "NONE";
        QTest::newRow("port zero") << "227 (1,2,3,4,0,0)"
                                   << "NONE";
        QTest::newRow("nothing") << "227 Entering Passive Mode"
                                 << "NONE";
        QTest::newRow("huge digits") << "227 (1111111111111,2,3,4,5,6)"
                                     << "NONE";
    }
    void passive() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto result = FtpReply::parsePasv(text.toStdString());
        const QString got = result
                                ? QString::asprintf("%d.%d.%d.%d:%d", result->address[0], result->address[1],
                                                    result->address[2], result->address[3], result->port)
                                : QStringLiteral("NONE");
        QCOMPARE(got, expected);
    }

    void extendedPassive_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port"); // 0: refused
        QTest::newRow("usual") << "229 Entering Extended Passive Mode (|||6446|)" << 6446;
        QTest::newRow("other delimiter") << "229 ok (!!!1025!)" << 1025;
        QTest::newRow("mixed delimiters") << "229 (|!|1025|)" << 0;
        QTest::newRow("too big") << "229 (|||70000|)" << 0;
        QTest::newRow("no port") << "229 (||||)" << 0;
        QTest::newRow("unclosed") << "229 (|||21" << 0;
        QTest::newRow("no parenthesis") << "229 Entering Extended Passive Mode" << 0;
    }
    void extendedPassive() {
        QFETCH(QString, text);
        QFETCH(int, port);
        QCOMPARE(FtpReply::parseEpsv(text.toStdString()).value_or(0), port);
    }

    void features() {
        FtpReply reply;
        reply.code = 211;
        reply.lines = {"211-Features:", " mlst type*;size*;", " UTF8",
                       "211-continued", " REST STREAM",       "211 End"};
        const std::vector<std::string> expected{"MLST TYPE*;SIZE*;", "UTF8", "REST STREAM"};
        QCOMPARE(reply.features(), expected);
    }
};

QTEST_GUILESS_MAIN(FtpReplyTest)
#include "FtpReply_test.moc"
