#include "tests/support/ScriptedFtpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr int kPollSliceMs = 50;
constexpr int kDataAcceptTimeoutMs = 5000;

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool isDataVerb(const std::string& verb) {
    return verb == "RETR" || verb == "LIST" || verb == "MLSD" || verb == "NLST" || verb == "STOR" ||
           verb == "APPE";
}

bool isUpload(const std::string& verb) {
    return verb == "STOR" || verb == "APPE";
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

int listenOn(bool ipv6, int& port) {
    const int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (ipv6) {
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_loopback;
        std::memcpy(&storage, &address, sizeof address);
        length = sizeof address;
    } else {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        std::memcpy(&storage, &address, sizeof address);
        length = sizeof address;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return -1;
    }
    length = sizeof storage;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
    port = ipv6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port)
                : ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
    return fd;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

ScriptedFtpServer::ScriptedFtpServer() = default;

ScriptedFtpServer::~ScriptedFtpServer() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    closeFd(m_listener);
    closeFd(m_dataListener);
}

void ScriptedFtpServer::setGreeting(const std::string& lines) {
    std::lock_guard lock(m_mutex);
    m_greeting = lines;
}

void ScriptedFtpServer::closeOnConnect() {
    std::lock_guard lock(m_mutex);
    m_connectMode = ConnectMode::Close;
}

void ScriptedFtpServer::silentOnConnect() {
    std::lock_guard lock(m_mutex);
    m_connectMode = ConnectMode::Silent;
}

void ScriptedFtpServer::reply(const std::string& verb, const std::string& lines) {
    std::lock_guard lock(m_mutex);
    m_replies[upper(verb)].push_back(lines);
}

void ScriptedFtpServer::closeOn(const std::string& verb) {
    std::lock_guard lock(m_mutex);
    m_closeOn.insert(upper(verb));
}

void ScriptedFtpServer::closeMidReply(const std::string& verb, const std::string& partialLines) {
    std::lock_guard lock(m_mutex);
    m_closeMid[upper(verb)] = partialLines;
}

void ScriptedFtpServer::silentOn(const std::string& verb) {
    std::lock_guard lock(m_mutex);
    m_silentOn.insert(upper(verb));
}

void ScriptedFtpServer::setData(const std::string& verb, std::string bytes, std::size_t dropAfter,
                                std::string finalReply) {
    std::lock_guard lock(m_mutex);
    m_data[upper(verb)] = DataScript{std::move(bytes), dropAfter, std::move(finalReply)};
}

void ScriptedFtpServer::setIPv6(bool on) {
    m_ipv6 = on;
}

bool ScriptedFtpServer::start() {
    m_listener = listenOn(m_ipv6, m_port);
    if (m_listener < 0)
        return false;
    m_thread = std::thread([this] { run(); });
    return true;
}

int ScriptedFtpServer::port() const {
    return m_port;
}

std::vector<std::string> ScriptedFtpServer::commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::string ScriptedFtpServer::uploaded() const {
    std::lock_guard lock(m_mutex);
    return m_uploaded;
}

int ScriptedFtpServer::connections() const {
    std::lock_guard lock(m_mutex);
    return m_connections;
}

int ScriptedFtpServer::acceptWithStop(int listener, int timeoutMs) {
    for (int waited = 0; !m_stop && (timeoutMs < 0 || waited < timeoutMs); waited += kPollSliceMs) {
        pollfd entry{listener, POLLIN, 0};
        if (::poll(&entry, 1, kPollSliceMs) > 0)
            return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    return -1;
}

void ScriptedFtpServer::run() {
    while (!m_stop) {
        int control = acceptWithStop(m_listener, -1);
        if (control < 0)
            continue;
        ConnectMode mode;
        {
            std::lock_guard lock(m_mutex);
            ++m_connections;
            mode = m_connectMode;
        }
        if (mode == ConnectMode::Close) {
            closeFd(control);
            continue;
        }
        if (mode == ConnectMode::Silent) {
            // Hold the connection open without a word until the client gives up or we stop.
            char scratch[256];
            while (!m_stop) {
                pollfd entry{control, POLLIN, 0};
                if (::poll(&entry, 1, kPollSliceMs) > 0 && ::recv(control, scratch, sizeof scratch, 0) <= 0)
                    break;
            }
            closeFd(control);
            continue;
        }
        serve(control);
        closeFd(control);
        closeFd(m_dataListener);
    }
}

void ScriptedFtpServer::serve(int control) {
    std::string greeting;
    {
        std::lock_guard lock(m_mutex);
        greeting = m_greeting;
    }
    if (!sendLines(control, greeting))
        return;
    std::string pending;
    char buffer[4096];
    while (!m_stop) {
        pollfd entry{control, POLLIN, 0};
        if (::poll(&entry, 1, kPollSliceMs) <= 0)
            continue;
        const ssize_t got = ::recv(control, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        pending.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!handleCommand(control, line))
                return;
        }
    }
}

bool ScriptedFtpServer::handleCommand(int control, const std::string& line) {
    const std::string verb = upper(line.substr(0, line.find(' ')));
    std::string scripted;
    bool haveScripted = false;
    bool haveData = false;
    std::string partial;
    bool closeMidway = false;
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(line);
        if (m_silentOn.count(verb))
            return true;
        if (m_closeOn.count(verb))
            return false;
        if (auto mid = m_closeMid.find(verb); mid != m_closeMid.end()) {
            partial = mid->second;
            closeMidway = true;
        } else if (auto queued = m_replies.find(verb); queued != m_replies.end() && !queued->second.empty()) {
            scripted = queued->second.front();
            haveScripted = true;
            if (queued->second.size() > 1)
                queued->second.pop_front();
        }
        haveData = m_data.count(verb) > 0;
    }
    if (closeMidway) {
        sendLines(control, partial);
        return false;
    }

    if (verb == "PASV" || verb == "EPSV") {
        if (!openDataListener())
            return sendLines(control, "425 Cannot open data listener");
        if (!haveScripted)
            scripted = verb == "EPSV" ? "229 Entering Extended Passive Mode (|||{port}|)"
                                      : "227 Entering Passive Mode (127,0,0,1,{p1},{p2})";
        return sendLines(control, scripted);
    }
    if (isDataVerb(verb)) {
        if (haveScripted && !scripted.empty() && scripted[0] != '1')
            return sendLines(control, scripted);
        if (haveScripted || haveData || isUpload(verb))
            return transfer(control, verb, haveScripted ? scripted : "150 Opening data connection");
        return sendLines(control, "502 Command not implemented.");
    }
    if (haveScripted)
        return sendLines(control, scripted) && !(verb == "QUIT" && scripted.rfind("221", 0) == 0);

    if (verb == "USER")
        return sendLines(control, "331 Password required");
    if (verb == "PASS")
        return sendLines(control, "230 Logged in");
    if (verb == "TYPE")
        return sendLines(control, "200 Type set");
    if (verb == "PWD")
        return sendLines(control, "257 \"/\" is the current directory");
    if (verb == "CWD")
        return sendLines(control, "250 Directory changed");
    if (verb == "FEAT")
        return sendLines(control, "211 No features");
    if (verb == "QUIT") {
        sendLines(control, "221 Goodbye");
        return false;
    }
    return sendLines(control, "502 Command not implemented.");
}

bool ScriptedFtpServer::transfer(int control, const std::string& verb, const std::string& firstReply) {
    DataScript script{{}, std::string::npos, "226 Transfer complete"};
    {
        std::lock_guard lock(m_mutex);
        if (auto found = m_data.find(verb); found != m_data.end())
            script = found->second;
    }
    if (m_dataListener < 0)
        return sendLines(control, "425 Use PASV or EPSV first");
    if (!sendLines(control, firstReply))
        return false;
    int data = acceptWithStop(m_dataListener, kDataAcceptTimeoutMs);
    closeFd(m_dataListener);
    if (data < 0)
        return sendLines(control, "425 No data connection");

    if (isUpload(verb)) {
        std::string received;
        char buffer[65536];
        for (;;) {
            pollfd entry{data, POLLIN, 0};
            if (m_stop)
                break;
            if (::poll(&entry, 1, kPollSliceMs) <= 0)
                continue;
            const ssize_t got = ::recv(data, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            received.append(buffer, static_cast<std::size_t>(got));
        }
        closeFd(data);
        {
            std::lock_guard lock(m_mutex);
            m_uploaded = std::move(received);
        }
        return sendLines(control, script.finalReply);
    }

    const std::size_t size = std::min(script.bytes.size(), script.dropAfter);
    const bool sent = sendAll(data, script.bytes.data(), size);
    if (size < script.bytes.size()) {
        // Reset rather than close, so the client cannot mistake the cut for the end of the data.
        const linger hard{1, 0};
        ::setsockopt(data, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    closeFd(data);
    // A client that closed the data connection early gets no final reply from here: the script's
    // ABOR answer says what the server reports then.
    if (!sent)
        return true;
    return sendLines(control, script.finalReply);
}

bool ScriptedFtpServer::openDataListener() {
    closeFd(m_dataListener);
    m_dataListener = listenOn(m_ipv6, m_dataPort);
    return m_dataListener >= 0;
}

std::string ScriptedFtpServer::substitute(const std::string& lines) const {
    std::string text = lines;
    replaceAll(text, "{port}", std::to_string(m_dataPort));
    replaceAll(text, "{p1}", std::to_string(m_dataPort / 256));
    replaceAll(text, "{p2}", std::to_string(m_dataPort % 256));
    return text;
}

bool ScriptedFtpServer::sendLines(int fd, const std::string& lines) {
    std::string wire;
    std::string text = substitute(lines);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        wire += text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        wire += "\r\n";
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return sendAll(fd, wire.data(), wire.size());
}

bool ScriptedFtpServer::sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        if (m_stop)
            return false;
        pollfd entry{fd, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, kPollSliceMs);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}
