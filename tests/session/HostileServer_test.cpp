#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "commandline/SocketFTP.h"
#include "session/RemoteFormat.h"
#include "session/WinInetAPI.h"
#include "tests/support/ScriptedFtpServer.h"

#include <QtTest>

// The layer and the command line against servers that misbehave: replies that drip or stray, a 227
// naming another host, a listing without 1xx, a size beyond 2^63.
class HostileServerTest : public QObject {
    Q_OBJECT

    HINTERNET m_internet = 0;

    static QByteArray slowLines(const QByteArray& first, const QByteArray& last) {
        QByteArray lines;
        for (int i = 0; i < 14; ++i) // 100 ms apart: past the 1 s time-out in total, never per line
            lines += first + "\n";
        return "slow:" + lines + last;
    }

    struct NoView : CommandLineView {
        void AppendTranscript(const std::string&, std::uint32_t, bool) override {}
        void ShowMessage(const std::string&) override {}
    };

private slots:
    void init() {
        SetNetworkTimeoutMs(1000);
        m_internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    }
    void cleanup() { InternetCloseHandle(m_internet); }

    // One verb scripted, then connect, MKD and RMD: "1" where each succeeds.
    void repliesStayInStepAndInTime_data() {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QString>("results");
        QTest::newRow("reply dripping line by line")
            << QByteArray("MKD") << (slowLines("257-", "257 ok")) << QStringLiteral("100");
        QTest::newRow("greeting dripping")
            << QByteArray("") << (slowLines("220-", "220 ok")) << QStringLiteral("000");
        QTest::newRow("120 notices dripping")
            << QByteArray("") << (slowLines("120 soon", "220 ok")) << QStringLiteral("000");
        QTest::newRow("empty line after a reply")
            << QByteArray("MKD") << QByteArray("257 made\n") << QStringLiteral("111");
        QTest::newRow("line without a code")
            << QByteArray("MKD") << QByteArray("made it") << QStringLiteral("100");
    }
    void repliesStayInStepAndInTime() {
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, action);
        ScriptedFtpServer server;
        server.on(verb.toStdString(), action.toStdString()).on("RMD", "250 ok");
        QVERIFY(server.start());
        const HINTERNET h = InternetConnectA(m_internet, "127.0.0.1", server.port(), "u", "p",
                                             INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
        const bool made = FtpCreateDirectoryA(h, "/x");
        const QString results =
            QString::number(h != 0) + QString::number(made) + QString::number(FtpRemoveDirectoryA(h, "/y"));
        QTEST(results, "results");
    }

    void commandLineReplyHasOneDeadline() {
        ScriptedFtpServer server;
        server.on("USER", slowLines("331-", "331 ok").toStdString());
        QVERIFY(server.start());
        CommandSocket socket;
        NoView view;
        QCOMPARE(RunCommandChannel(socket, view, true, "127.0.0.1", server.port(), "u", "p", 1000),
                 CommandChannelResult::LoginFailed);
    }

    // LIST (EPSV refused) with one file line; the file is found with its size.
    void listingsKeepTheirData_data() {
        QTest::addColumn<QByteArray>("pasv");
        QTest::addColumn<bool>("finalOnly"); // 226 at once, no 150
        QTest::addColumn<QByteArray>("size");
        QTest::addColumn<qint64>("listed");
        QTest::newRow("227 names another host")
            << QByteArray("227 Entering Passive Mode (192,0,2,1,{p1},{p2})") << false << QByteArray("5")
            << qint64(5);
        QTest::newRow("226 without 150") << QByteArray() << true << QByteArray("5") << qint64(5);
        QTest::newRow("size beyond 2^63") << QByteArray() << false << QByteArray("18446744073709551615")
                                          << std::numeric_limits<qint64>::max();
    }
    void listingsKeepTheirData() {
        QFETCH(QByteArray, pasv);
        QFETCH(bool, finalOnly);
        QFETCH(QByteArray, size);
        ScriptedFtpServer server;
        FtpAction list = Transfer("-rw-r--r-- 1 a b " + size.toStdString() + " Jan 1 2020 a.txt\r\n",
                                  finalOnly ? "" : "226 Transfer complete");
        if (finalOnly)
            list.lines = "226 Transfer complete";
        server.on("EPSV", "502 no").on("LIST", list);
        if (!pasv.isEmpty())
            server.on("PASV", pasv.toStdString());
        QVERIFY(server.start());
        const HINTERNET h = InternetConnectA(m_internet, "127.0.0.1", server.port(), "u", "p",
                                             INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
        WIN32_FIND_DATAA data{};
        const HINTERNET find = FtpFindFirstFileA(h, "/*.*", &data, INTERNET_FLAG_RELOAD, 0);
        QVERIFY(find != 0);
        InternetCloseHandle(find);
        QCOMPARE(QByteArray(data.cFileName), QByteArray("a.txt"));
        QTEST(qint64(FindDataSize(data)), "listed");
    }
};

QTEST_GUILESS_MAIN(HostileServerTest)
#include "HostileServer_test.moc"
