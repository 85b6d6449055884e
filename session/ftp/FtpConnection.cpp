#include "session/ftp/FtpConnection.h"

#include "session/ftp/CivilTime.h"
#include "session/ftp/FtpTransfer.h"
#include "session/ftp/ListingReader.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <netinet/in.h>

namespace tovo::ftp {

namespace {

constexpr int kQuitWaitMs = 2000;
constexpr int kMaxAbortReplies = 8;

bool hasFeature(const std::vector<std::string>& features, const std::string& name) {
    return std::any_of(features.begin(), features.end(), [&name](const std::string& feature) {
        return feature.compare(0, name.size(), name) == 0 &&
               (feature.size() == name.size() || feature[name.size()] == ' ');
    });
}

// A decimal number of bytes running from begin up to end (or to the end of the text).
std::optional<std::uint64_t> byteCount(const std::string& text, std::size_t begin, const char* end) {
    if (begin >= text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    const char* last = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + begin, last, value);
    if (error != std::errc() || stop == text.data() + begin ||
        std::string_view(stop, static_cast<std::size_t>(last - stop)).substr(0, std::strlen(end)) != end)
        return std::nullopt;
    return value;
}

// The size a server gives for a file: "213 N" to SIZE, or "150 ... (N bytes)" opening the transfer.
std::optional<std::uint64_t> announcedSize(const FtpReply& reply) {
    if (reply.lines.size() != 1)
        return std::nullopt;
    const std::string& line = reply.lines.front();
    if (reply.code == 213)
        return byteCount(line, 4, "");
    const std::size_t open = line.rfind('(');
    return reply.code == 150 && open != std::string::npos ? byteCount(line, open + 1, " bytes)")
                                                          : std::nullopt;
}

std::string withArgument(const char* verb, const std::string& argument) {
    return argument.empty() ? std::string(verb) : std::string(verb) + ' ' + argument;
}

} // namespace

FtpConnection::FtpConnection(std::string host, int port, std::string user, std::string password)
    : m_host(std::move(host)), m_port(port), m_user(std::move(user)), m_password(std::move(password)) {}

FtpConnection::~FtpConnection() {
    if (m_control.usable() && m_control.send("QUIT", kQuitWaitMs))
        m_control.readReply(std::min(m_timeoutMs, kQuitWaitMs));
    m_control.close();
}

bool FtpConnection::sameLogin(const std::string& host, int port, const std::string& user,
                              const std::string& password, bool secure) const {
    return m_host == host && m_port == port && m_user == user && m_password == password &&
           this->secure() == secure;
}

void FtpConnection::requireTls(TlsContext::Verifier verifier) {
    // Remembers a refused certificate, so that a failed open() can say so.
    m_tls = std::make_unique<TlsContext>(
        m_host, [this, verifier = std::move(verifier)](const ServerCertificate& certificate) {
            m_certificateRefused = !verifier || !verifier(certificate);
            return !m_certificateRefused;
        });
}

bool FtpConnection::openFailed(ConnectFailure cause, const FtpReply& reply, const Deadline& step) {
    m_openFailure = reply.code != 0 ? cause
                    : step.passed() ? ConnectFailure::TimedOut
                                    : ConnectFailure::Closed;
    m_openFailureReply.clear();
    for (std::size_t i = 0; reply.code != 0 && i < reply.lines.size(); ++i)
        m_openFailureReply.append(i > 0 ? "\n" : "").append(reply.lines[i]);
    return false;
}

bool FtpConnection::open() {
    Deadline step(m_timeoutMs);
    if (!m_control.open(m_host, m_port, m_timeoutMs)) {
        m_openFailure = step.passed() ? ConnectFailure::TimedOut : ConnectFailure::Unreachable;
        return false;
    }
    // "120 ready in a few minutes" may come first; the greeting has one time-out all the same.
    step = Deadline(m_timeoutMs);
    FtpReply reply = m_control.readReply(step);
    while (reply.code == 120)
        reply = m_control.readReply(step);
    if (!reply.positive())
        return openFailed(ConnectFailure::Refused, reply, step);
    const auto ask = [this, &step, &reply](const std::string& command) -> const FtpReply& {
        step = Deadline(m_timeoutMs);
        return reply = m_control.command(command, m_timeoutMs);
    };
    // Nothing of the login may cross in plain text: a refusal ends the connection.
    if (m_tls) {
        m_openFailure = ConnectFailure::TlsRefused;
        if (!m_tls->valid())
            return false;
        if (ask("AUTH TLS").code != 234)
            return openFailed(ConnectFailure::TlsRefused, reply, step);
        step = Deadline(m_timeoutMs);
        if (!m_control.startTls(*m_tls, m_timeoutMs)) {
            m_openFailure = m_certificateRefused ? ConnectFailure::CertificateRefused
                            : step.passed()      ? ConnectFailure::TimedOut
                                                 : ConnectFailure::TlsRefused;
            return false;
        }
    }

    const std::string user = m_user.empty() ? "anonymous" : m_user;
    if (ask("USER " + user).intermediate()) {
        const std::string password = m_user.empty() && m_password.empty() ? "anonymous@" : m_password;
        ask("PASS " + password);
    }
    if (!reply.positive())
        return openFailed(ConnectFailure::LoginRefused, reply, step);
    if (m_tls && (!ask("PBSZ 0").positive() || !ask("PROT P").positive()))
        return openFailed(ConnectFailure::TlsRefused, reply, step);

    const FtpReply features = ask("FEAT");
    if (features.positive()) {
        const std::vector<std::string> names = features.features();
        m_mlst = hasFeature(names, "MLST");
        m_mfmt = hasFeature(names, "MFMT");
        m_utf8 = hasFeature(names, "UTF8");
    }
    if (m_utf8)
        ask("OPTS UTF8 ON");
    return m_control.usable() || openFailed(ConnectFailure::Closed, FtpReply{}, step);
}

bool FtpConnection::positive(const std::string& command) {
    return usable() && m_control.command(command, m_timeoutMs).positive();
}

std::optional<std::string> FtpConnection::currentDirectory() {
    if (!usable())
        return std::nullopt;
    if (m_directory)
        return m_directory;
    const FtpReply reply = m_control.command("PWD", m_timeoutMs);
    if (reply.code != 257 || reply.lines.empty())
        return std::nullopt;
    m_directory = FtpReply::parseDirectory(reply.lines.front());
    return m_directory;
}

bool FtpConnection::changeDirectory(const std::string& path) {
    m_directory.reset(); // also when refused: a server may have moved part of the way
    return positive("CWD " + path);
}
bool FtpConnection::makeDirectory(const std::string& path) {
    return positive("MKD " + path);
}
bool FtpConnection::removeDirectory(const std::string& path) {
    return positive("RMD " + path);
}
bool FtpConnection::deleteFile(const std::string& path) {
    return positive("DELE " + path);
}

bool FtpConnection::rename(const std::string& from, const std::string& to) {
    if (!usable() || to.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return false;
    return m_control.command("RNFR " + from, m_timeoutMs).code == 350 && positive("RNTO " + to);
}

bool FtpConnection::setType(TransferType type) {
    if (m_type == type)
        return true;
    if (!positive(type == TransferType::Ascii ? "TYPE A" : "TYPE I"))
        return false;
    m_type = type;
    return true;
}

bool FtpConnection::openPassive(Stream& data) {
    sockaddr_storage target = m_control.socket().peer();
    const socklen_t length = m_control.socket().peerLength();
    int port = 0;
    if (!m_epsvRefused) {
        const FtpReply reply = m_control.command("EPSV", m_timeoutMs);
        if (reply.code == 0 || reply.closing())
            return false;
        if (reply.positive() && !reply.lines.empty()) {
            if (const auto epsvPort = FtpReply::parseEpsv(reply.lines.front()))
                port = *epsvPort;
        } else {
            m_epsvRefused = true;
        }
    }
    if (port == 0) {
        const FtpReply reply = m_control.command("PASV", m_timeoutMs);
        if (reply.code != 227 || reply.lines.empty())
            return false;
        const auto passive = FtpReply::parsePasv(reply.lines.front());
        if (!passive)
            return false;
        // Only the port is taken: the address in the reply could send our data to a third host (or,
        // behind NAT, be unreachable), so the data connection goes where the control connection goes.
        port = passive->port;
    }
    if (target.ss_family == AF_INET)
        reinterpret_cast<sockaddr_in*>(&target)->sin_port = htons(static_cast<std::uint16_t>(port));
    else if (target.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&target)->sin6_port = htons(static_cast<std::uint16_t>(port));
    else
        return false;
    // No SO_RCVBUF / SO_SNDBUF: setting them turns off the kernel's buffer autotuning, which grows
    // the data connection's buffers to several MiB, beyond what a program may ask for (rmem_max).
    return data.connect(target, length, m_timeoutMs);
}

bool FtpConnection::secureData(Stream& data) {
    // Only now: some servers drop a data connection on which anything arrives before the command.
    return !m_tls || (data.beginTls(m_tls->newConnection(data.fd(), true)) && data.finishTls(m_timeoutMs) &&
                      m_tls->acceptDataPeer(data.tls()));
}

bool FtpConnection::readFinalReply() {
    return readFinalReply(Deadline(m_timeoutMs));
}

bool FtpConnection::readFinalReply(const Deadline& deadline) {
    return m_control.readReply(deadline).positive();
}

bool FtpConnection::abortTransfer() {
    const Deadline deadline(m_timeoutMs);
    if (!m_control.send("ABOR", m_timeoutMs))
        return false;
    // Servers answer 426 then 226, or only 226 (or 225); the transfer's own final reply may come
    // first when it had already ended.
    if (m_control.readReply(deadline).code == 0 || !m_control.send("PWD", m_timeoutMs))
        return false;
    for (int i = 0; i < kMaxAbortReplies; ++i) {
        const FtpReply reply = m_control.readReply(deadline);
        if (reply.code == 257)
            return true;
        if (reply.code == 0 || reply.closing())
            return false;
    }
    m_control.markBroken();
    return false;
}

std::optional<std::vector<ListingEntry>> FtpConnection::list(const std::string& path) {
    m_listingCut = false;
    if (!usable())
        return std::nullopt;
    bool mlsd = m_mlst;
    for (;;) {
        Stream data;
        if (!openPassive(data))
            return std::nullopt;
        const FtpReply reply = m_control.command(withArgument(mlsd ? "MLSD" : "LIST", path), m_timeoutMs);
        // A 2xx at once (no 1xx first) still ends a transfer that took place: keep what arrived.
        const bool finalReplyRead = reply.positive();
        if (!reply.preliminary() && !finalReplyRead) {
            if (mlsd && (reply.code == 500 || reply.code == 502 || reply.code == 504)) {
                m_mlst = mlsd = false; // offered but not usable here: ask the old way
                continue;
            }
            return std::nullopt;
        }
        if (!secureData(data)) {
            data.reset();
            if (!finalReplyRead)
                abortTransfer();
            return std::nullopt;
        }

        // Parsed as it arrives: memory follows the entries kept, not the bytes sent.
        ListingReader reader(mlsd, static_cast<std::int64_t>(std::time(nullptr)));
        char chunk[65536];
        for (;;) {
            std::size_t received = 0;
            const Socket::Result result = data.receive(chunk, sizeof chunk, received, m_timeoutMs);
            if (result == Socket::Result::Closed)
                break;
            if (result == Socket::Result::Failed) {
                data.reset();
                if (!finalReplyRead)
                    abortTransfer();
                return std::nullopt;
            }
            reader.feed(std::string_view(chunk, received));
            if (reader.full()) {
                // What was kept is shown; the rest is not read, however long the server goes on.
                data.reset();
                if (!finalReplyRead)
                    abortTransfer();
                m_listingCut = true;
                return reader.takeEntries();
            }
        }
        data.close();
        if (!finalReplyRead && !readFinalReply())
            return std::nullopt;
        reader.finish();
        m_listingCut = reader.full();
        return reader.takeEntries();
    }
}

std::unique_ptr<FtpTransfer> FtpConnection::openFile(const std::string& path, bool upload, TransferType type,
                                                     std::uint64_t offset) {
    // Line ends change the byte count in ASCII: an offset into the local file is none into the remote one.
    if (!usable() || path.empty() || (offset > 0 && type == TransferType::Ascii) || !setType(type))
        return nullptr;
    Stream data;
    if (!openPassive(data))
        return nullptr;
    std::string verb = upload ? "STOR " : "RETR ";
    if (offset > 0) {
        const FtpReply restart = m_control.command("REST " + std::to_string(offset), m_timeoutMs);
        if (restart.code != 350) {
            // A server that cannot restart a STOR may still append to the part it holds.
            if (!upload || restart.code == 0 || restart.closing())
                return nullptr;
            verb = "APPE ";
        }
    }
    const FtpReply reply = m_control.command(verb + path, m_timeoutMs);
    if (!reply.preliminary() && !reply.positive())
        return nullptr;
    // A 150's byte count may be the whole file's or the rest's after REST: only trusted from the start.
    const std::optional<std::uint64_t> size = upload || offset > 0 ? std::nullopt : announcedSize(reply);
    if (!secureData(data)) {
        data.reset();
        if (reply.preliminary())
            abortTransfer();
        return nullptr;
    }
    m_transferOpen = true;
    return std::make_unique<FtpTransfer>(shared_from_this(), std::move(data), upload,
                                         type == TransferType::Ascii, reply.positive(), size, path, offset);
}

std::optional<std::uint64_t> FtpConnection::askSize(const std::string& path) {
    if (!m_control.usable() || path.empty())
        return std::nullopt;
    return announcedSize(m_control.command("SIZE " + path, m_timeoutMs));
}

std::optional<std::uint64_t> FtpConnection::fileSize(const std::string& path) {
    // SIZE counts bytes as a binary transfer would move them.
    if (!usable() || path.empty() || !setType(TransferType::Binary))
        return std::nullopt;
    return askSize(path);
}

std::optional<std::int64_t> FtpConnection::modificationTime(const std::string& path) {
    if (!usable() || path.empty())
        return std::nullopt;
    const FtpReply reply = m_control.command("MDTM " + path, m_timeoutMs);
    if (reply.lines.size() != 1)
        return std::nullopt;
    return FtpReply::parseModificationTime(reply.lines.front());
}

bool FtpConnection::setModificationTime(const std::string& path, std::int64_t unixSeconds) {
    if (!m_mfmt || path.empty())
        return false;
    const CivilTime time = CivilTime::fromUnixSeconds(unixSeconds);
    if (time.year < 1 || time.year > 9999)
        return false;
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", static_cast<int>(time.year), time.month,
                  time.day, time.hour, time.minute, time.second);
    return positive("MFMT " + std::string(stamp) + ' ' + path);
}

bool FtpConnection::keepAlive() {
    if (!alive())
        return false;
    if (m_transferOpen)
        return true;
    const FtpReply reply = m_control.command("NOOP", m_timeoutMs);
    return reply.code != 0 && !reply.closing();
}

} // namespace tovo::ftp
