#include "commandline/CommandSocket.h"
#include "session/RemoteFormat.h"
#include "session/WinInetAPI.h"
#include "session/ftp/Socket.h"
#include "tests/support/ScriptedFtpServer.h"

#include <QtTest>
#include <thread>

using Row = std::pair<std::string, FtpAction>;

// The layer and the command line against servers that misbehave, with a time-out of 1 s in total.
class HostileServerTest : public QObject {
    Q_OBJECT

    static std::string drip(const std::string& line, const std::string& last) { // 1.4 s, 0.1 s a line
        return "slow:" + QByteArray::fromStdString(line + "\n").repeated(14).toStdString() + last;
    }
    static HINTERNET open(const ScriptedFtpServer& server) {
        static const HINTERNET internet =
            InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        return InternetConnectA(internet, "127.0.0.1", server.port(), "u", "p", INTERNET_SERVICE_FTP, 0, 0);
    }

private slots:
    void init() {
        SetNetworkTimeoutMs(1000);
        tovo::ftp::HostResolver::useLookup({});
    }

    // Connect, MKD and RMD after one scripted verb: "1" where each succeeds.
    void repliesStayInStepAndInTime_data() {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QByteArray>("results");
        QTest::newRow("reply dripping")
            << QByteArray("MKD") << QByteArray::fromStdString(drip("257-", "257 ok")) << QByteArray("100");
        QTest::newRow("greeting dripping")
            << QByteArray() << QByteArray::fromStdString(drip("120 soon", "220 ok")) << QByteArray("000");
        QTest::newRow("empty line after a reply")
            << QByteArray("MKD") << QByteArray("257 made\n") << QByteArray("111");
    }
    void repliesStayInStepAndInTime() {
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, action);
        ScriptedFtpServer server;
        server.on(verb.toStdString(), action.toStdString()).on("RMD", "250 ok");
        QVERIFY(server.start());
        const HINTERNET h = open(server);
        QByteArray results = QByteArray::number(h != 0);
        results += QByteArray::number(FtpCreateDirectoryA(h, "/x"));
        QTEST(results + QByteArray::number(FtpRemoveDirectoryA(h, "/y")), "results");
    }

    // LIST (EPSV refused) of one file: found, with its size.
    void listingsKeepTheirData_data() {
        QTest::addColumn<Row>("script");
        FtpAction direct = Transfer("-rw-r--r-- 1 a b 5 Jan 1 2020 a.txt\r\n", {});
        direct.lines = "226 Transfer complete";
        QTest::newRow("226 without 150") << Row("LIST", direct);
        QTest::newRow("227 names another host") << Row("PASV", Reply("227 Passive (192,0,2,1,{p1},{p2})"));
    }
    void listingsKeepTheirData() {
        QFETCH(Row, script);
        ScriptedFtpServer server;
        server.on("EPSV", "502 no").on(script.first, script.second);
        if (script.first != "LIST")
            server.on("LIST", Transfer("-rw-r--r-- 1 a b 5 Jan 1 2020 a.txt\r\n"));
        QVERIFY(server.start());
        WIN32_FIND_DATAA data{};
        InternetCloseHandle(FtpFindFirstFileA(open(server), "/*.*", &data, 0, 0));
        QCOMPARE(QByteArray(data.cFileName), QByteArray("a.txt"));
        QCOMPARE(FindDataSize(data), 5);
    }

    // The session's socket and the command line's alike: resolving and the addresses share one
    // deadline, and an address that never answers (its listener's queue is full) or refuses leaves
    // time for the next.
    void connectingTriesEachAddress_data() {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<int>("lookupMs");
        QTest::addColumn<bool>("connected");
        QTest::newRow("name with blanks") << QByteArray(" 127.0.0.1\t") << QByteArray() << 0 << true;
        QTest::newRow("bracketed IPv6") << QByteArray("[::1]") << QByteArray() << 0 << true;
        QTest::newRow("no answer, good") << QByteArray("127.0.0.1") << QByteArray("no answer") << 0 << true;
        QTest::newRow("refused, good") << QByteArray("127.0.0.1") << QByteArray("refused") << 0 << true;
        QTest::newRow("slow lookup") << QByteArray("127.0.0.1") << QByteArray() << 1500 << false;
    }
    void connectingTriesEachAddress() {
        QFETCH(QByteArray, host);
        QFETCH(QByteArray, first);
        QFETCH(int, lookupMs);
        ScriptedFtpServer answering(host.contains(':'));
        QVERIFY(answering.start());
        tovo::ftp::Socket queued[3];
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        ::listen(listener, 0); // bound to a free loopback port by listen itself
        tovo::ftp::ResolvedAddress dead;
        dead.length = sizeof dead.address;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&dead.address), &dead.length);
        for (auto& other : queued)
            other.connect(dead.address, dead.length, 50);
        if (first == "refused")
            ::close(listener);
        tovo::ftp::HostResolver::useLookup([=](const std::string& name, int port) {
            std::this_thread::sleep_for(std::chrono::milliseconds(lookupMs));
            auto found = tovo::ftp::HostResolver::lookup(name, port);
            if (!first.isEmpty())
                found.insert(found.begin(), dead);
            return found;
        });
        tovo::ftp::Socket session;
        QTEST(session.connect(host.toStdString(), answering.port(), 1000), "connected");
        CommandSocket commandLine;
        commandLine.SetHostName(host.toStdString());
        commandLine.SetRemotePort(answering.port());
        commandLine.SetTimeoutMs(1000);
        QTEST(commandLine.Connect() == 0, "connected");
        if (first != "refused")
            ::close(listener);
    }
};

QTEST_GUILESS_MAIN(HostileServerTest)
#include "HostileServer_test.moc"
