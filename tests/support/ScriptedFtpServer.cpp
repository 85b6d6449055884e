#include "tests/support/ScriptedFtpServer.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace {

void closeFd(int& fd, bool reset = false) {
    // A reset rather than a close, so the client cannot take the cut for the end of the data.
    const linger hard{1, 0};
    if (fd >= 0 && reset)
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd); // -1 when already closed: nothing happens
    fd = -1;
}

int listenOn(bool ipv6, int& port) {
    sockaddr_in6 v6{AF_INET6, 0, 0, in6addr_loopback, 0};
    sockaddr_in v4{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    auto* address = ipv6 ? reinterpret_cast<sockaddr*>(&v6) : reinterpret_cast<sockaddr*>(&v4);
    socklen_t length = ipv6 ? sizeof v6 : sizeof v4;
    int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, address, length) != 0 || ::listen(fd, 8) != 0)
        closeFd(fd);
    ::getsockname(fd, address, &length);
    port = ntohs(ipv6 ? v6.sin6_port : v4.sin_port);
    return fd;
}

// False on time-out or once the server stops; waits in slices so that a stop is seen soon.
bool waitFor(int fd, short events, const std::atomic<bool>& stop, int timeoutMs = -1) {
    for (int waited = 0; !stop && (timeoutMs < 0 || waited < timeoutMs); waited += 50) {
        pollfd entry{fd, events, 0};
        if (::poll(&entry, 1, 50) > 0)
            return true;
    }
    return false;
}

// Over TLS: close_notify first unless the connection is cut (reset) or ends with a bare close.
void closePeer(int& fd, SSL*& ssl, bool reset, bool closeNotify = true) {
    if (ssl && !reset && closeNotify)
        SSL_shutdown(ssl);
    SSL_free(ssl);
    ssl = nullptr;
    closeFd(fd, reset);
}

bool readable(int fd, SSL* ssl, const std::atomic<bool>& stop) {
    return (ssl && SSL_pending(ssl) > 0) || waitFor(fd, POLLIN, stop);
}

ssize_t receiveSome(int fd, SSL* ssl, char* buffer, std::size_t size) {
    std::size_t got = 0;
    if (ssl)
        return SSL_read_ex(ssl, buffer, size, &got) == 1 ? ssize_t(got) : 0;
    return ::recv(fd, buffer, size, 0);
}

bool sendAll(int fd, SSL* ssl, const std::string& bytes, const std::atomic<bool>& stop) {
    std::size_t written = 0;
    if (ssl) // blocking, with the socket's send time-out
        return bytes.empty() || SSL_write_ex(ssl, bytes.data(), bytes.size(), &written) == 1;
    for (std::size_t done = 0; done < bytes.size();) {
        if (!waitFor(fd, POLLOUT, stop))
            return false;
        const ssize_t sent =
            ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        done += sent > 0 ? std::size_t(sent) : 0;
    }
    return true;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

FtpAction ActionFrom(const std::string& action) {
    if (action == "silent" || action == "stall")
        return action == "stall" ? Stall() : FtpAction{.kind = FtpAction::Kind::Silent};
    if (action.starts_with("close"))
        return CloseAfter(action.substr(std::min<std::size_t>(action.size(), 6)));
    return action.starts_with("slow:") ? Reply(action.substr(5), 100) : Reply(action);
}

ScriptedFtpServer::~ScriptedFtpServer() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    closeFd(m_listener);
    closeFd(m_dataListener);
}

ScriptedFtpServer& ScriptedFtpServer::on(const std::string& verb, FtpAction action) {
    std::lock_guard lock(m_mutex);
    m_actions[verb].push_back(std::move(action));
    return *this;
}

bool ScriptedFtpServer::start() {
    m_listener = listenOn(m_ipv6, m_port);
    if (m_listener >= 0)
        m_thread = std::thread([this] { run(); });
    return m_listener >= 0;
}

FtpAction ScriptedFtpServer::next(const std::string& verb) {
    std::lock_guard lock(m_mutex);
    if (auto found = m_actions.find(verb); found != m_actions.end()) {
        FtpAction action = found->second.front();
        if (found->second.size() > 1)
            found->second.pop_front();
        return action;
    }
    static const std::map<std::string, std::string> plain{
        {"", "220 Scripted server ready"},
        {"USER", "331 Password required"},
        {"PASS", "230 Logged in"},
        {"TYPE", "200 Type set"},
        {"PWD", "257 \"/\" is the current directory"},
        {"CWD", "250 Directory changed"},
        {"FEAT", "211 No features"},
        {"PBSZ", "200 PBSZ=0"},
        {"PROT", "200 Protection level set"},
        {"PASV", "227 Entering Passive Mode (127,0,0,1,{p1},{p2})"},
        {"EPSV", "229 Entering Extended Passive Mode (|||{port}|)"}};
    if (verb == "QUIT")
        return CloseAfter("221 Goodbye");
    if (verb == "STOR" || verb == "APPE")
        return Transfer();
    const auto found = plain.find(verb);
    return Reply(found != plain.end() ? found->second : "502 Command not implemented.");
}

void ScriptedFtpServer::run() {
    // A client that resets a TLS connection must not end the process: OpenSSL writes with write().
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    while (waitFor(m_listener, POLLIN, m_stop)) {
        Peer control{::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC)};
        locked([this] { ++m_connections; });
        std::string pending;
        char buffer[4096];
        bool open = perform(control, "", next(""));
        while (open && readable(control.fd, control.ssl, m_stop)) {
            const ssize_t got = receiveSome(control.fd, control.ssl, buffer, sizeof buffer);
            pending.append(buffer, got > 0 ? std::size_t(got) : 0);
            for (std::size_t end = pending.find('\n'); got > 0 && open && end != std::string::npos;
                 end = pending.find('\n')) {
                std::string line = pending.substr(0, end - (end > 0 && pending[end - 1] == '\r'));
                pending.erase(0, end + 1);
                std::string verb = line.substr(0, line.find(' '));
                std::transform(verb.begin(), verb.end(), verb.begin(), ::toupper);
                locked([&] { m_commands.push_back(line); });
                open = perform(control, verb, next(verb));
            }
            open = open && got > 0;
        }
        closePeer(control.fd, control.ssl, false);
        closeFd(m_dataListener);
    }
}

bool ScriptedFtpServer::perform(Peer& control, const std::string& verb, const FtpAction& action) {
    if (verb == "AUTH" && m_tlsControl && !control.ssl) {
        control.ssl =
            send(control, "234 Proceed with negotiation") ? m_tlsControl->accept(control.fd) : nullptr;
        return control.ssl != nullptr;
    }
    if (verb == "PASV" || verb == "EPSV") {
        // Every passive request opens a real listener, so a scripted reply can name it.
        closeFd(m_dataListener);
        m_dataListener = listenOn(m_ipv6, m_dataPort);
    }
    if (action.kind == FtpAction::Kind::Silent)
        return true;
    if (action.kind == FtpAction::Kind::Lines)
        return send(control, action.lines, action.lineDelayMs) && !action.closeAfter;
    const bool upload = verb == "STOR" || verb == "APPE";
    if (m_dataListener < 0)
        return send(control, "425 Use PASV or EPSV first");
    if (!send(control, action.lines))
        return false;
    int data = waitFor(m_dataListener, POLLIN, m_stop, 5000)
                   ? ::accept4(m_dataListener, nullptr, nullptr, SOCK_CLOEXEC)
                   : -1;
    closeFd(m_dataListener);
    SSL* ssl = data >= 0 && m_tlsData ? m_tlsData->accept(data) : nullptr;
    if (data < 0 || (m_tlsData && !ssl)) {
        closeFd(data);
        return send(control, "425 No data connection");
    }
    std::string received;
    char buffer[65536];
    // Reads what the client sends (nothing, when stalled) until it closes, or up to the reset.
    const bool reads = (upload || action.kind == FtpAction::Kind::Stall) && !action.endless;
    while (reads && received.size() < action.resetAfter && readable(data, ssl, m_stop)) {
        const ssize_t got =
            receiveSome(data, ssl, buffer, std::min(sizeof buffer, action.resetAfter - received.size()));
        if (got <= 0)
            break;
        received.append(buffer, std::size_t(got));
    }
    // A client that closed the data connection early gets no final reply here: the ABOR action
    // says what the server reports then.
    bool sent = reads || sendAll(data, ssl, action.data.substr(0, action.resetAfter), m_stop);
    while (sent && action.endless)
        sent = sendAll(data, ssl, action.data, m_stop);
    closePeer(data, ssl,
              reads ? received.size() >= action.resetAfter : action.resetAfter < action.data.size(),
              action.closeNotify);
    if (action.kind == FtpAction::Kind::Stall || !sent)
        return true;
    if (action.closeAfter) // the session drops mid-file
        return false;
    if (upload)
        locked([&] { m_uploaded = std::move(received); });
    return send(control, action.finalReply);
}

bool ScriptedFtpServer::send(const Peer& peer, const std::string& lines, int lineDelayMs) {
    std::string text = lines;
    replaceAll(text, "{port}", std::to_string(m_dataPort));
    replaceAll(text, "{p1}", std::to_string(m_dataPort / 256));
    replaceAll(text, "{p2}", std::to_string(m_dataPort % 256));
    replaceAll(text, "\n", "\r\n");
    text += lines.empty() ? "" : "\r\n";
    for (std::size_t start = 0, end = 0; start < text.size(); start = end) {
        end = lineDelayMs > 0 ? text.find('\n', start) + 1 : text.size();
        if (start > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(lineDelayMs));
        if (!sendAll(peer.fd, peer.ssl, text.substr(start, end - start), m_stop))
            return false;
    }
    return true;
}
