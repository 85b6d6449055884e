#include "tests/support/ScriptedFtpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

namespace {

constexpr int kPollSliceMs = 50;
constexpr int kDataAcceptTimeoutMs = 5000;

void closeFd(int& fd, bool reset = false) {
    if (fd >= 0 && reset) {
        // A reset rather than a close, so the client cannot take the cut for the end of the data.
        const linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

int listenOn(bool ipv6, int& port) {
    const int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage storage{};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (ipv6) {
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
    } else {
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    socklen_t length = ipv6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 || ::listen(fd, 8) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
    port = ntohs(ipv6 ? v6->sin6_port : v4->sin_port);
    return fd;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

FtpAction makeAction(FtpAction::Kind kind, std::string lines) {
    FtpAction action;
    action.kind = kind;
    action.lines = std::move(lines);
    return action;
}

bool isUpload(const std::string& verb) {
    return verb == "STOR" || verb == "APPE";
}

} // namespace

FtpAction Reply(std::string lines) {
    return makeAction(FtpAction::Kind::Lines, std::move(lines));
}

FtpAction SlowReply(std::string lines, int delayMs) {
    FtpAction action = Reply(std::move(lines));
    action.lineDelayMs = delayMs;
    return action;
}

FtpAction CloseAfter(std::string partialLines) {
    FtpAction action = Reply(std::move(partialLines));
    action.closeAfter = true;
    return action;
}

FtpAction Silent() {
    return makeAction(FtpAction::Kind::Silent, {});
}

FtpAction Transfer(std::string data, std::string finalReply, std::size_t resetAfter) {
    FtpAction action = makeAction(FtpAction::Kind::Transfer, "150 Opening data connection");
    action.data = std::move(data);
    action.finalReply = std::move(finalReply);
    action.resetAfter = resetAfter;
    return action;
}

FtpAction Stall() {
    return makeAction(FtpAction::Kind::Stall, "150 Opening data connection");
}

FtpAction ActionFrom(const std::string& spec) {
    const auto after = [&spec](const char* prefix) { return spec.substr(std::strlen(prefix)); };
    if (spec == "silent")
        return Silent();
    if (spec == "stall")
        return Stall();
    if (spec.starts_with("close"))
        return CloseAfter(spec.size() > 5 ? after("close:") : std::string());
    if (spec.starts_with("slow:"))
        return SlowReply(after("slow:"), 100);
    return Reply(spec);
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
        {"PASV", "227 Entering Passive Mode (127,0,0,1,{p1},{p2})"},
        {"EPSV", "229 Entering Extended Passive Mode (|||{port}|)"}};
    if (verb == "QUIT")
        return CloseAfter("221 Goodbye");
    if (isUpload(verb))
        return Transfer();
    const auto found = plain.find(verb);
    return Reply(found != plain.end() ? found->second : "502 Command not implemented.");
}

bool ScriptedFtpServer::waitReadable(int fd) {
    while (!m_stop) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, kPollSliceMs) > 0)
            return true;
    }
    return false;
}

int ScriptedFtpServer::acceptOrStop(int listener, int timeoutMs) {
    for (int waited = 0; !m_stop && (timeoutMs < 0 || waited < timeoutMs); waited += kPollSliceMs) {
        pollfd entry{listener, POLLIN, 0};
        if (::poll(&entry, 1, kPollSliceMs) > 0)
            return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    return -1;
}

void ScriptedFtpServer::run() {
    while (!m_stop) {
        int control = acceptOrStop(m_listener, -1);
        if (control < 0)
            continue;
        {
            std::lock_guard lock(m_mutex);
            ++m_connections;
        }
        std::string pending;
        char buffer[4096];
        bool open = perform(control, "", next(""));
        while (open && waitReadable(control)) {
            const ssize_t got = ::recv(control, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            pending.append(buffer, static_cast<std::size_t>(got));
            for (std::size_t end = pending.find('\n'); open && end != std::string::npos;
                 end = pending.find('\n')) {
                std::string line = pending.substr(0, end - (end > 0 && pending[end - 1] == '\r'));
                pending.erase(0, end + 1);
                std::string verb = line.substr(0, line.find(' '));
                std::transform(verb.begin(), verb.end(), verb.begin(),
                               [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
                {
                    std::lock_guard lock(m_mutex);
                    m_commands.push_back(line);
                }
                open = perform(control, verb, next(verb));
            }
        }
        closeFd(control);
        closeFd(m_dataListener);
    }
}

bool ScriptedFtpServer::perform(int control, const std::string& verb, const FtpAction& action) {
    if (verb == "PASV" || verb == "EPSV") {
        // Every passive request opens a real listener, so a scripted reply can name it.
        closeFd(m_dataListener);
        m_dataListener = listenOn(m_ipv6, m_dataPort);
    }
    switch (action.kind) {
    case FtpAction::Kind::Silent:
        return true;
    case FtpAction::Kind::Lines:
        return sendLines(control, action, action.lines) && !action.closeAfter;
    default:
        return transfer(control, verb, action);
    }
}

bool ScriptedFtpServer::transfer(int control, const std::string& verb, const FtpAction& action) {
    if (m_dataListener < 0)
        return sendLines(control, {}, "425 Use PASV or EPSV first");
    if (!sendLines(control, action, action.lines))
        return false;
    int data = acceptOrStop(m_dataListener, kDataAcceptTimeoutMs);
    closeFd(m_dataListener);
    if (data < 0)
        return sendLines(control, {}, "425 No data connection");
    char buffer[65536];
    if (action.kind == FtpAction::Kind::Stall) {
        // Hold the data connection open, sending nothing, until the client gives up on it.
        while (waitReadable(data) && ::recv(data, buffer, sizeof buffer, 0) > 0) {
        }
        closeFd(data);
        return true;
    }
    const bool cut = isUpload(verb) ? false : action.resetAfter < action.data.size();
    if (isUpload(verb)) {
        std::string received;
        bool reset = false;
        while (!reset && waitReadable(data)) {
            const std::size_t room = std::min(sizeof buffer, action.resetAfter - received.size());
            const ssize_t got = ::recv(data, buffer, room, 0);
            if (got <= 0)
                break;
            received.append(buffer, static_cast<std::size_t>(got));
            reset = received.size() >= action.resetAfter;
        }
        closeFd(data, reset);
        std::lock_guard lock(m_mutex);
        m_uploaded = std::move(received);
    } else {
        const bool sent = sendAll(data, action.data.substr(0, action.resetAfter));
        closeFd(data, cut);
        // A client that closed the data connection early gets no final reply here: the ABOR action
        // says what the server reports then.
        if (!sent)
            return true;
    }
    return sendLines(control, action, action.finalReply);
}

bool ScriptedFtpServer::sendLines(int fd, const FtpAction& action, const std::string& lines) {
    if (lines.empty())
        return true;
    std::string text = lines;
    replaceAll(text, "{port}", std::to_string(m_dataPort));
    replaceAll(text, "{p1}", std::to_string(m_dataPort / 256));
    replaceAll(text, "{p2}", std::to_string(m_dataPort % 256));
    replaceAll(text, "\n", "\r\n");
    text += "\r\n";
    if (action.lineDelayMs <= 0)
        return sendAll(fd, text);
    for (std::size_t start = 0, end = 0; start < text.size(); start = end) {
        end = text.find('\n', start) + 1;
        if (start > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(action.lineDelayMs));
        if (m_stop || !sendAll(fd, text.substr(start, end - start)))
            return false;
    }
    return true;
}

bool ScriptedFtpServer::sendAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        pollfd entry{fd, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, kPollSliceMs);
        if (m_stop || (ready < 0 && errno != EINTR))
            return false;
        if (ready <= 0)
            continue;
        const ssize_t sent =
            ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        done += sent > 0 ? static_cast<std::size_t>(sent) : 0;
    }
    return true;
}
