#include "session/ftp/Socket.h"
#include "tests/support/UnusedPort.h"

#include <QtTest>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <thread>
#include <unistd.h>

using namespace tovo::ftp;

// Resolving a name and trying each of its addresses share one time-out.
class ConnectDeadlineTest : public QObject {
    Q_OBJECT

    // A loopback listener; a stalled one has a full accept queue, so further connects get no answer.
    struct Listener {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        std::vector<int> queued;
        explicit Listener(bool stalled) {
            sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
            ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            ::listen(fd, stalled ? 0 : 8);
            for (int i = 0; stalled && i < 3; ++i) {
                queued.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
                const ResolvedAddress self = at();
                ::connect(queued.back(), reinterpret_cast<const sockaddr*>(&self.address), self.length);
            }
            if (stalled) // let the queue fill before anyone else knocks
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ~Listener() {
            for (int other : queued)
                ::close(other);
            ::close(fd);
        }
        ResolvedAddress at() const {
            ResolvedAddress self;
            self.length = sizeof self.address;
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&self.address), &self.length);
            return self;
        }
    };

private slots:
    void connectsWithinOneDeadline_data() {
        QTest::addColumn<int>("lookupDelayMs");
        QTest::addColumn<QString>("addresses"); // s stalled, r refused, w answering
        QTest::addColumn<bool>("connected");
        QTest::newRow("answering") << 0 << "w" << true;
        QTest::newRow("refused, then answering") << 0 << "rw" << true;
        QTest::newRow("stalled address uses up the time") << 0 << "sw" << false;
        QTest::newRow("slow name lookup uses up the time") << 1500 << "w" << false;
    }
    void connectsWithinOneDeadline() {
        QFETCH(int, lookupDelayMs);
        QFETCH(QString, addresses);
        Listener stalled(true), answering(false);
        std::vector<ResolvedAddress> found;
        for (const QChar kind : addresses) {
            found.push_back(kind == 's' ? stalled.at() : answering.at());
            if (kind == 'r')
                reinterpret_cast<sockaddr_in*>(&found.back().address)->sin_port = htons(UnusedLoopbackPort());
        }
        const Deadline deadline(500);
        const auto resolved = HostResolver::resolve("name", 21, deadline, [=](const std::string&, int) {
            std::this_thread::sleep_for(std::chrono::milliseconds(lookupDelayMs));
            return found;
        });
        Socket socket;
        QFETCH(bool, connected);
        QCOMPARE(socket.connect(resolved, deadline), connected);
    }
};

QTEST_GUILESS_MAIN(ConnectDeadlineTest)
#include "ConnectDeadline_test.moc"
