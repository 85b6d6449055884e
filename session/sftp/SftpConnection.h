#pragma once
// One logged-in SFTP session over SSH (libssh): its own current directory, directory commands,
// listings, file facts and opening files for transfer. Calls from several threads take turns.
//
// Why libssh rather than libssh2: measured through our calls on loopback against OpenSSH's sftp,
// libssh with AES-GCM and pipelined reads kept pace both ways, its one-at-a-time writes included once
// they are large (a quarter MiB each); Debian 12's libssh2 1.10 offers neither AES-GCM nor
// ChaCha20, and its AES-CTR with HMAC was slower in both directions.

#include "session/WinInetAPI.h"
#include "session/ftp/ListingParser.h"
#include "session/sftp/SshWatchdog.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct ssh_session_struct;
struct sftp_session_struct;
struct KnownHostKey;

namespace tovo::sftp {

class SftpFile;

struct SftpLogin {
    std::string host;
    int port = 22;
    std::string user;
    std::string password;
    std::string keyFile; // "" = the default keys of ~/.ssh
    bool operator==(const SftpLogin&) const = default;
};

struct SftpConnectPolicy {
    std::function<bool(const KnownHostKey&)> acceptHostKey;
    std::function<std::optional<std::string>(const std::string& keyFile)> askPassphrase;
    std::vector<std::string> knownKeyTypes; // asked for first, so that a known key is the one offered
};

class SftpConnection : public std::enable_shared_from_this<SftpConnection> {
public:
    explicit SftpConnection(SftpLogin login);
    ~SftpConnection();
    SftpConnection(const SftpConnection&) = delete;
    SftpConnection& operator=(const SftpConnection&) = delete;

    // Connects, checks the host key, logs in and starts SFTP; false on any refusal.
    bool open(const SftpConnectPolicy& policy);
    ConnectFailure openFailure() const { return m_openFailure; }
    const std::string& openFailureReply() const { return m_openFailureReply; }
    void setTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds; }

    bool sameLogin(const SftpLogin& login) const { return login == m_login; }
    // Not closed, broken or timed out, and not ended by the server.
    bool alive();
    // alive() and no file open on it: fit for sharing.
    bool shareable();

    std::optional<std::string> currentDirectory();
    bool changeDirectory(const std::string& path);
    bool makeDirectory(const std::string& path);
    bool removeDirectory(const std::string& path);
    bool deleteFile(const std::string& path);
    bool rename(const std::string& from, const std::string& to);
    // The entries of path ("" for the current directory) but "." and "..", links as what they point
    // to, within ListingReader's limits; listingCut() tells that they were reached.
    std::optional<std::vector<ftp::ListingEntry>> list(const std::string& path);
    bool listingCut() const { return m_listingCut; }
    // Size and modification time (seconds since 1970) by stat.
    bool fileInfo(const std::string& path, std::int64_t& size, std::optional<std::int64_t>& modified);
    bool setModified(const std::string& path, std::int64_t unixSeconds);
    // A cheap round trip.
    bool keepAlive();

    // A download from offset, or an upload written from offset on (0: a new or emptied file). Null on
    // refusal.
    std::unique_ptr<SftpFile> openFile(const std::string& path, bool upload, std::int64_t offset);

    // This thread's last SFTP error in words, e.g. "No such file"; "" when there was none.
    static const std::string& lastErrorText();

private:
    friend class SftpFile;
    // One operation's hold on the connection: the lock, and the deadline its whole wait must keep.
    struct Turn {
        explicit Turn(SftpConnection& connection)
            : lock(connection.m_mutex),
              armed(connection.m_watchdog, connection.socket(), connection.m_timeoutMs) {}
        std::unique_lock<std::mutex> lock;
        ArmedWatchdog armed;
    };

    std::string resolve(const std::string& path) const;
    bool authenticate(const SftpConnectPolicy& policy);
    bool tryKey(const std::string& keyFile, const SftpConnectPolicy& policy);
    bool openFailed(ConnectFailure cause);
    // Records why an operation failed; a broken session stays broken.
    bool failed();
    int socket() const;

    SftpLogin m_login;
    int m_timeoutMs = 30000;
    std::mutex m_mutex;
    ssh_session_struct* m_ssh = nullptr;
    sftp_session_struct* m_sftp = nullptr;
    SshWatchdog m_watchdog;
    bool m_broken = false;
    int m_openFiles = 0;
    std::string m_directory;
    bool m_listingCut = false;
    ConnectFailure m_openFailure = ConnectFailure::None;
    std::string m_openFailureReply;
};

} // namespace tovo::sftp
