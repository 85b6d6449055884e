#include "session/ftp/FtpReply.h"

#include <QtTest>

using tovo::ftp::FtpReply;

class FtpReplyTest : public QObject {
    Q_OBJECT
private slots:
    // leading: what the command line reads; code: what the session reads; opens: a multi-line reply;
    // ends: a reply begun with 220.
    void lines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("leading");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("ends");
        const auto row = [](const char* line, int leading, int code, bool opens, bool ends) {
            QTest::newRow(line) << QString::fromLatin1(line) << leading << code << opens << ends;
        };
        row("220 ready", 220, 220, false, true);
        row("220", 220, 220, false, true);
        row("220-Welcome", 220, 220, true, false);
        row("221 bye", 221, 221, false, false);
        row(" 220 x", 0, 0, false, false);
        row("2x0-odd", 2, 0, true, false);
        row("22", 22, 0, false, false);
        row("2200 x", 220, 0, false, false);
        row("220Welcome", 220, 0, false, false);
        row("600 x", 600, 0, false, false);
    }
    void lines() {
        QFETCH(QString, line);
        const std::string text = line.toStdString();
        QTEST(FtpReply::leadingCode(text), "leading");
        QTEST(FtpReply::codeOf(text), "code");
        QTEST(FtpReply::opensMultiLine(text), "opens");
        QTEST(FtpReply::endsReply(text, 220), "ends");
    }

    // 227 gives a.b.c.d:port, 229 the port, 257 the directory; "" where the reply is refused.
    void parsed_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* text, const char* expected) {
            QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(expected);
        };
        row("227 Entering Passive Mode (192,168,1,2,19,137)", "192.168.1.2:5001");
        row("227 Entering Passive Mode 10,0,0,1,0,21", "10.0.0.1:21");
        row("227 (256,0,0,1,1,1)", "");
        row("227 (1,2,3,4,0,0)", "");
        row("227 (1111111111111,2,3,4,5,6)", "");
        row("229 Entering Extended Passive Mode (|||6446|)", "6446");
        row("229 ok (!!!1025!)", "1025");
        row("229 (|!|1025|)", "");
        row("229 (|||70000|)", "");
        row("229 (|||21", "");
        row("229 Entering Extended Passive Mode", "");
        row("257 \"/my files/a b\" is current", "/my files/a b");
        row("257 \"/say \"\"hi\"\"\" created", "/say \"hi\"");
        row("257 /home/user", "/home/user");
        row("257 \"/open", "");
        row("257 is current", "");
    }
    void parsed() {
        QFETCH(QString, text);
        const std::string reply = text.toStdString();
        QString got;
        if (text.startsWith(u"227")) {
            if (const auto pasv = FtpReply::parsePasv(reply))
                got = QString::asprintf("%d.%d.%d.%d:%d", pasv->address[0], pasv->address[1],
                                        pasv->address[2], pasv->address[3], pasv->port);
        } else if (text.startsWith(u"229")) {
            if (const auto port = FtpReply::parseEpsv(reply))
                got = QString::number(*port);
        } else {
            got = QString::fromStdString(FtpReply::parseDirectory(reply).value_or(""));
        }
        QTEST(got, "expected");
    }

    // MDTM's answer as milliseconds since 1970 UTC; -1 where it is refused.
    void modificationTimes_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<qint64>("milliseconds");
        const auto row = [](const char* line, qint64 milliseconds) {
            QTest::newRow(line) << QString::fromLatin1(line) << milliseconds;
        };
        row("213 19700101000000", 0);
        row("213 20240229235959", 1709251199000);
        row("213 20240229235959.5", 1709251199500);
        row("213 20240229235959.123456", 1709251199123);
        row("213 19690101000000", -31536000000);
        row("213 20230229000000", -1);  // no such day
        row("213 20241301000000", -1);  // no such month
        row("213 2024010112000", -1);   // a digit short
        row("213 20240101120000.", -1); // a point without fraction
        row("213 20240101120000Z", -1);
        row("213 2024-01-01 12:00", -1);
        row("213 191240101120000", -1); // "19" and a year counted from 1900
        row("550 No such file", -1);
        row("213", -1);
    }
    void modificationTimes() {
        QFETCH(QString, line);
        QTEST(qint64(FtpReply::parseModificationTime(line.toStdString()).value_or(-1)), "milliseconds");
    }
};

QTEST_GUILESS_MAIN(FtpReplyTest)
#include "FtpReply_test.moc"
