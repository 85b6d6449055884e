#include "session/ftp/FtpReply.h"

#include <QtTest>

using tovo::ftp::FtpReply;

class FtpReplyTest : public QObject {
    Q_OBJECT
private slots:
    void lines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("leading"); // what the command line reads
        QTest::addColumn<int>("code");    // what the session reads
        QTest::addColumn<bool>("opens");  // opens a multi-line reply
        QTest::addColumn<bool>("ends");   // ends a reply begun with 220
        QTest::newRow("single") << "220 ready" << 220 << 220 << false << true;
        QTest::newRow("bare code") << "220" << 220 << 220 << false << true;
        QTest::newRow("continued") << "220-Welcome" << 220 << 220 << true << false;
        QTest::newRow("other code") << "221 bye" << 221 << 221 << false << false;
        QTest::newRow("indented") << " 220 x" << 0 << 0 << false << false;
        QTest::newRow("letter inside") << "2x0-odd" << 2 << 0 << true << false;
        QTest::newRow("two digits") << "22" << 22 << 0 << false << false;
        QTest::newRow("digits run on") << "2200 x" << 220 << 0 << false << false;
        QTest::newRow("glued text") << "220Welcome" << 220 << 0 << false << false;
        QTest::newRow("not a reply class") << "600 x" << 600 << 0 << false << false;
        QTest::newRow("text") << "hello" << 0 << 0 << false << false;
        QTest::newRow("empty") << "" << 0 << 0 << false << false;
    }
    void lines() {
        QFETCH(QString, line);
        const std::string text = line.toStdString();
        QTEST(FtpReply::leadingCode(text), "leading");
        QTEST(FtpReply::codeOf(text), "code");
        QTEST(FtpReply::opensMultiLine(text), "opens");
        QTEST(FtpReply::endsReply(text, 220), "ends");
    }

    void passive_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // a.b.c.d:port, or "" when refused
        QTest::newRow("usual") << "227 Entering Passive Mode (192,168,1,2,19,137)"
                               << "192.168.1.2:5001";
        QTest::newRow("no parentheses") << "227 Entering Passive Mode 10,0,0,1,0,21"
                                        << "10.0.0.1:21";
        QTest::newRow("number before") << "227 =127,0,0,1,200,10"
                                       << "127.0.0.1:51210";
        QTest::newRow("high port") << "227 (1,2,3,4,255,255)"
                                   << "1.2.3.4:65535";
        QTest::newRow("byte too big") << "227 (256,0,0,1,1,1)"
                                      << "";
        QTest::newRow("five numbers") << "227 (1,2,3,4,5)"
                                      << "";
        QTest::newRow("port zero") << "227 (1,2,3,4,0,0)"
                                   << "";
        QTest::newRow("huge digits") << "227 (1111111111111,2,3,4,5,6)"
                                     << "";
        QTest::newRow("EPSV reply") << "229 Entering Extended Passive Mode (|||6446|)"
                                    << "";
    }
    void passive() {
        QFETCH(QString, text);
        const auto result = FtpReply::parsePasv(text.toStdString());
        QTEST(result ? QString::asprintf("%d.%d.%d.%d:%d", result->address[0], result->address[1],
                                         result->address[2], result->address[3], result->port)
                     : QString(),
              "expected");
    }

    void extendedPassive_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port"); // 0: refused
        QTest::newRow("usual") << "229 Entering Extended Passive Mode (|||6446|)" << 6446;
        QTest::newRow("other delimiter") << "229 ok (!!!1025!)" << 1025;
        QTest::newRow("highest") << "229 (|||65535|)" << 65535;
        QTest::newRow("mixed delimiters") << "229 (|!|1025|)" << 0;
        QTest::newRow("too big") << "229 (|||70000|)" << 0;
        QTest::newRow("no port") << "229 (||||)" << 0;
        QTest::newRow("unclosed") << "229 (|||21" << 0;
        QTest::newRow("no parenthesis") << "229 Entering Extended Passive Mode" << 0;
    }
    void extendedPassive() {
        QFETCH(QString, text);
        QTEST(FtpReply::parseEpsv(text.toStdString()).value_or(0), "port");
    }

    void directory_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // "?" when there is no directory in the reply
        QTest::newRow("plain") << "257 \"/pub\" is current directory"
                               << "/pub";
        QTest::newRow("blanks") << "257 \"/my files/a b\" is current"
                                << "/my files/a b";
        QTest::newRow("doubled quote") << "257 \"/say \"\"hi\"\"\" created"
                                       << "/say \"hi\"";
        QTest::newRow("bare path") << "257 /home/user"
                                   << "/home/user";
        QTest::newRow("no closing quote") << "257 \"/open"
                                          << "?";
        QTest::newRow("no path") << "257 is current"
                                 << "?";
    }
    void directory() {
        QFETCH(QString, text);
        QTEST(QString::fromStdString(FtpReply::parseDirectory(text.toStdString()).value_or("?")), "expected");
    }

    void features() {
        FtpReply reply{
            211,
            {"211-Features:", " mlst type*;size*;", " UTF8", "211-continued", " REST STREAM", "211 End"}};
        QCOMPARE(reply.features(), (std::vector<std::string>{"MLST TYPE*;SIZE*;", "UTF8", "REST STREAM"}));
    }
};

QTEST_GUILESS_MAIN(FtpReplyTest)
#include "FtpReply_test.moc"
