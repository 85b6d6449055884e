#pragma once
// A loopback port that nothing listens on, for tests of refused connections.

#include <QTcpServer>

// Bound and let go at once: nothing listens there until some later test binds it.
inline int UnusedLoopbackPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}
