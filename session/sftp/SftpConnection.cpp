#include "session/sftp/SftpConnection.h"

#include "profiles/KnownHosts.h"
#include "session/ftp/ListingReader.h"
#include "session/sftp/SftpFile.h"

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovo::sftp {

namespace {

thread_local std::string t_lastError;

// Hardware AES makes GCM the fastest of the ciphers OpenSSH's server offers by default.
constexpr const char* kCiphers =
    "aes128-gcm@openssh.com,aes256-gcm@openssh.com,chacha20-poly1305@openssh.com,"
    "aes128-ctr,aes192-ctr,aes256-ctr";
constexpr const char* kHostKeyTypes = "ssh-ed25519,ecdsa-sha2-nistp521,ecdsa-sha2-nistp384,"
                                      "ecdsa-sha2-nistp256,rsa-sha2-512,rsa-sha2-256";
constexpr int kMaxKeyboardRounds = 8;

// The words of the SFTP status codes (version 3), as servers send them with the code.
const char* statusText(int code) {
    switch (code) {
    case SSH_FX_EOF:
        return "End of file";
    case SSH_FX_NO_SUCH_FILE:
        return "No such file";
    case SSH_FX_PERMISSION_DENIED:
        return "Permission denied";
    case SSH_FX_FAILURE:
        return "Failure";
    case SSH_FX_BAD_MESSAGE:
        return "Bad message";
    case SSH_FX_NO_CONNECTION:
        return "No connection";
    case SSH_FX_CONNECTION_LOST:
        return "Connection lost";
    case SSH_FX_OP_UNSUPPORTED:
        return "Operation unsupported";
    case SSH_FX_FILE_ALREADY_EXISTS:
        return "File already exists";
    default:
        return "";
    }
}

std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

// The host key types to ask for: those already known for the host first, as OpenSSH's client does,
// so that a known key is not taken for a changed one because the server offered another type.
std::string hostKeyPreference(const std::vector<std::string>& known) {
    std::vector<std::string> all;
    for (std::size_t start = 0; start < std::strlen(kHostKeyTypes);) {
        const std::string rest = kHostKeyTypes + start;
        const std::size_t comma = rest.find(',');
        all.push_back(rest.substr(0, comma));
        start += comma == std::string::npos ? rest.size() : comma + 1;
    }
    std::stable_partition(all.begin(), all.end(), [&known](const std::string& type) {
        const std::string keyType = type.rfind("rsa-sha2", 0) == 0 ? "ssh-rsa" : type;
        return std::find(known.begin(), known.end(), keyType) != known.end();
    });
    std::string list;
    for (const std::string& type : all)
        list += (list.empty() ? "" : ",") + type;
    return list;
}

std::string joinPath(const std::string& directory, const std::string& name) {
    if (name.empty())
        return directory;
    if (name.front() == '/' || directory.empty())
        return name;
    return directory + (directory.back() == '/' ? "" : "/") + name;
}

struct PassphraseRequest {
    const SftpConnectPolicy* policy;
    std::string keyFile;
    bool refused = false;
};

// libssh asks for the passphrase of an encrypted key through this.
int providePassphrase(const char*, char* buffer, std::size_t length, int, int, void* userdata) {
    auto* request = static_cast<PassphraseRequest*>(userdata);
    std::optional<std::string> answer;
    if (request->policy->askPassphrase)
        answer = request->policy->askPassphrase(request->keyFile);
    if (!answer || answer->size() + 1 > length) {
        request->refused = true;
        return -1;
    }
    std::memcpy(buffer, answer->c_str(), answer->size() + 1);
    ::explicit_bzero(answer->data(), answer->size());
    return 0;
}

} // namespace

SftpConnection::SftpConnection(SftpLogin login) : m_login(std::move(login)) {}

SftpConnection::~SftpConnection() {
    if (m_sftp)
        sftp_free(m_sftp); // closes the channel; a broken one without waiting
    if (m_ssh) {
        if (!m_broken) {
            ArmedWatchdog armed(m_watchdog, socket(), std::min(m_timeoutMs, 2000));
            ssh_disconnect(m_ssh);
        }
        ssh_free(m_ssh);
    }
}

int SftpConnection::socket() const {
    return m_ssh ? ssh_get_fd(m_ssh) : -1;
}

const std::string& SftpConnection::lastErrorText() {
    return t_lastError;
}

bool SftpConnection::openFailed(ConnectFailure cause) {
    m_openFailure = m_watchdog.fired() ? ConnectFailure::TimedOut : cause;
    m_broken = true;
    return false;
}

bool SftpConnection::failed() {
    const int status = m_sftp ? sftp_get_error(m_sftp) : SSH_FX_OK;
    const char* words = statusText(status);
    if (*words) {
        t_lastError = words;
    } else {
        // No status came: the session itself failed and cannot be trusted with another request.
        t_lastError = m_watchdog.fired() ? "The server did not answer in time." : ssh_get_error(m_ssh);
        if (ssh_get_status(m_ssh) & (SSH_CLOSED | SSH_CLOSED_ERROR) || m_watchdog.fired() ||
            ssh_get_error_code(m_ssh) == SSH_FATAL)
            m_broken = true;
    }
    return false;
}

bool SftpConnection::open(const SftpConnectPolicy& policy) {
    std::lock_guard lock(m_mutex);
    t_lastError.clear();
    m_ssh = ssh_new();
    if (!m_ssh)
        return openFailed(ConnectFailure::Unreachable);
    const long timeoutSeconds = m_timeoutMs / 1000;
    const long timeoutMicroseconds = m_timeoutMs % 1000 * 1000L;
    const int noDelay = 1;
    const bool processConfig = false; // the profile says where to connect, not ~/.ssh/config
    const std::string hostKeys = hostKeyPreference(policy.knownKeyTypes);
    ssh_options_set(m_ssh, SSH_OPTIONS_HOST, m_login.host.c_str());
    ssh_options_set(m_ssh, SSH_OPTIONS_PORT, &m_login.port);
    ssh_options_set(m_ssh, SSH_OPTIONS_USER, m_login.user.c_str());
    ssh_options_set(m_ssh, SSH_OPTIONS_TIMEOUT, &timeoutSeconds);
    ssh_options_set(m_ssh, SSH_OPTIONS_TIMEOUT_USEC, &timeoutMicroseconds);
    ssh_options_set(m_ssh, SSH_OPTIONS_NODELAY, &noDelay);
    ssh_options_set(m_ssh, SSH_OPTIONS_PROCESS_CONFIG, &processConfig);
    ssh_options_set(m_ssh, SSH_OPTIONS_CIPHERS_C_S, kCiphers);
    ssh_options_set(m_ssh, SSH_OPTIONS_CIPHERS_S_C, kCiphers);
    ssh_options_set(m_ssh, SSH_OPTIONS_HOSTKEYS, hostKeys.c_str());

    // libssh connects and exchanges keys in one call: the watchdog is armed once the socket exists,
    // so the connect itself keeps to libssh's own time-out.
    ssh_set_blocking(m_ssh, 1);
    if (ssh_connect(m_ssh) != SSH_OK) {
        m_openFailureReply = ssh_get_error(m_ssh);
        const bool timedOut = m_openFailureReply.find("imeout") != std::string::npos ||
                              m_openFailureReply.find("timed out") != std::string::npos;
        return openFailed(timedOut ? ConnectFailure::TimedOut : ConnectFailure::Unreachable);
    }
    ArmedWatchdog armed(m_watchdog, socket(), m_timeoutMs);

    ssh_key serverKey = nullptr;
    char* keyBase64 = nullptr;
    KnownHostKey hostKey;
    if (ssh_get_server_publickey(m_ssh, &serverKey) == SSH_OK &&
        ssh_pki_export_pubkey_base64(serverKey, &keyBase64) == SSH_OK)
        hostKey = {ssh_key_type_to_char(ssh_key_type(serverKey)), keyBase64};
    ssh_string_free_char(keyBase64);
    ssh_key_free(serverKey);
    // The decider may take its time with the user: the server waits for the login meanwhile.
    m_watchdog.disarm();
    if (hostKey.keyBase64.empty() || !policy.acceptHostKey || !policy.acceptHostKey(hostKey))
        return openFailed(ConnectFailure::HostKeyRefused);
    m_watchdog.arm(socket(), m_timeoutMs);

    if (!authenticate(policy)) {
        if (m_openFailure == ConnectFailure::None) {
            m_openFailureReply = ssh_get_error(m_ssh);
            return openFailed(ConnectFailure::LoginRefused);
        }
        return false;
    }
    m_watchdog.arm(socket(), m_timeoutMs);
    m_sftp = sftp_new(m_ssh);
    if (!m_sftp || sftp_init(m_sftp) != SSH_OK) {
        m_openFailureReply = ssh_get_error(m_ssh);
        return openFailed(ConnectFailure::Refused);
    }
    char* home = sftp_canonicalize_path(m_sftp, ".");
    if (!home) {
        m_openFailureReply = ssh_get_error(m_ssh);
        return openFailed(ConnectFailure::Closed);
    }
    m_directory = home;
    ssh_string_free_char(home);
    return true;
}

bool SftpConnection::authenticate(const SftpConnectPolicy& policy) {
    const int none = ssh_userauth_none(m_ssh, nullptr);
    if (none == SSH_AUTH_SUCCESS)
        return true;
    if (none == SSH_AUTH_ERROR)
        return openFailed(ConnectFailure::Closed);
    const int methods = ssh_userauth_list(m_ssh, nullptr);
    if (methods & SSH_AUTH_METHOD_PUBLICKEY) {
        if (std::getenv("SSH_AUTH_SOCK") && ssh_userauth_agent(m_ssh, nullptr) == SSH_AUTH_SUCCESS)
            return true;
        std::vector<std::string> keys;
        if (!m_login.keyFile.empty()) {
            keys.push_back(m_login.keyFile);
        } else if (const std::string home = homeDirectory(); !home.empty()) {
            for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"})
                keys.push_back(home + "/.ssh/" + name);
        }
        for (const std::string& key : keys)
            if (tryKey(key, policy))
                return true;
    }
    // The user may take a while over a passphrase: the rest keeps to a fresh time-out.
    m_watchdog.arm(socket(), m_timeoutMs);
    if ((methods & SSH_AUTH_METHOD_PASSWORD) &&
        ssh_userauth_password(m_ssh, nullptr, m_login.password.c_str()) == SSH_AUTH_SUCCESS)
        return true;
    if (methods & SSH_AUTH_METHOD_INTERACTIVE) {
        int result = ssh_userauth_kbdint(m_ssh, nullptr, nullptr);
        for (int round = 0; result == SSH_AUTH_INFO && round < kMaxKeyboardRounds; ++round) {
            const int prompts = ssh_userauth_kbdint_getnprompts(m_ssh);
            for (int i = 0; i < prompts; ++i)
                ssh_userauth_kbdint_setanswer(m_ssh, static_cast<unsigned>(i), m_login.password.c_str());
            result = ssh_userauth_kbdint(m_ssh, nullptr, nullptr);
        }
        if (result == SSH_AUTH_SUCCESS)
            return true;
    }
    return false;
}

bool SftpConnection::tryKey(const std::string& keyFile, const SftpConnectPolicy& policy) {
    struct stat info {};
    if (::stat(keyFile.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // Offer the public half first where it lies beside the key: a key the server would refuse
    // needs no passphrase.
    ssh_key publicKey = nullptr;
    if (ssh_pki_import_pubkey_file((keyFile + ".pub").c_str(), &publicKey) == SSH_OK) {
        const int offered = ssh_userauth_try_publickey(m_ssh, nullptr, publicKey);
        ssh_key_free(publicKey);
        if (offered != SSH_AUTH_SUCCESS)
            return false;
    }
    PassphraseRequest request{&policy, keyFile};
    ssh_key privateKey = nullptr;
    m_watchdog.disarm(); // the user may be asked for the passphrase
    const int imported =
        ssh_pki_import_privkey_file(keyFile.c_str(), nullptr, providePassphrase, &request, &privateKey);
    m_watchdog.arm(socket(), m_timeoutMs);
    if (imported != SSH_OK)
        return false;
    const bool accepted = ssh_userauth_publickey(m_ssh, nullptr, privateKey) == SSH_AUTH_SUCCESS;
    ssh_key_free(privateKey);
    return accepted;
}

bool SftpConnection::alive() {
    std::lock_guard lock(m_mutex);
    if (m_broken || !m_sftp)
        return false;
    // Reads what has come without waiting: a server that hung up is seen here.
    const int waiting = ssh_channel_poll_timeout(m_sftp->channel, 0, 0);
    if (waiting == SSH_ERROR || waiting == SSH_EOF || !ssh_is_connected(m_ssh))
        m_broken = true;
    return !m_broken;
}

bool SftpConnection::shareable() {
    {
        std::lock_guard lock(m_mutex);
        if (m_openFiles > 0)
            return false;
    }
    return alive();
}

std::string SftpConnection::resolve(const std::string& path) const {
    return joinPath(m_directory, path);
}

std::optional<std::string> SftpConnection::currentDirectory() {
    std::lock_guard lock(m_mutex);
    if (m_broken)
        return std::nullopt;
    return m_directory;
}

bool SftpConnection::changeDirectory(const std::string& path) {
    Turn turn(*this);
    if (m_broken)
        return false;
    char* canonical = sftp_canonicalize_path(m_sftp, resolve(path).c_str());
    if (!canonical)
        return failed();
    const std::string directory = canonical;
    ssh_string_free_char(canonical);
    sftp_attributes attributes = sftp_stat(m_sftp, directory.c_str());
    if (!attributes)
        return failed();
    const bool isDirectory = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
    sftp_attributes_free(attributes);
    if (!isDirectory) {
        t_lastError = "Not a directory";
        return false;
    }
    m_directory = directory;
    return true;
}

bool SftpConnection::makeDirectory(const std::string& path) {
    Turn turn(*this);
    return !m_broken && (sftp_mkdir(m_sftp, resolve(path).c_str(), 0755) == SSH_OK || failed());
}

bool SftpConnection::removeDirectory(const std::string& path) {
    Turn turn(*this);
    return !m_broken && (sftp_rmdir(m_sftp, resolve(path).c_str()) == SSH_OK || failed());
}

bool SftpConnection::deleteFile(const std::string& path) {
    Turn turn(*this);
    return !m_broken && (sftp_unlink(m_sftp, resolve(path).c_str()) == SSH_OK || failed());
}

bool SftpConnection::rename(const std::string& from, const std::string& to) {
    Turn turn(*this);
    return !m_broken &&
           (sftp_rename(m_sftp, resolve(from).c_str(), resolve(to).c_str()) == SSH_OK || failed());
}

std::optional<std::vector<ftp::ListingEntry>> SftpConnection::list(const std::string& path) {
    Turn turn(*this);
    m_listingCut = false;
    if (m_broken)
        return std::nullopt;
    const std::string directory = resolve(path);
    sftp_dir dir = sftp_opendir(m_sftp, directory.c_str());
    if (!dir) {
        failed();
        return std::nullopt;
    }
    const ftp::ListingReader::Limits& limits = ftp::ListingReader::limits();
    std::vector<ftp::ListingEntry> entries;
    std::vector<std::size_t> links;
    std::size_t keptBytes = 0;
    std::size_t read = 0;
    bool ok = true;
    while (sftp_attributes attributes = sftp_readdir(m_sftp, dir)) {
        const std::string name = attributes->name ? attributes->name : "";
        ftp::ListingEntry entry;
        entry.name = name;
        entry.directory = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
        entry.size = attributes->size;
        if (attributes->flags & SSH_FILEXFER_ATTR_ACMODTIME)
            entry.modified = attributes->mtime;
        const bool link = attributes->type == SSH_FILEXFER_TYPE_SYMLINK;
        sftp_attributes_free(attributes);
        if (++read > limits.lines || keptBytes >= limits.keptBytes || entries.size() >= limits.entries) {
            m_listingCut = true;
            break;
        }
        if (name.empty() || name == "." || name == ".." || name.size() > ftp::kMaxNameBytes ||
            name.find('/') != std::string::npos)
            continue;
        if (link)
            links.push_back(entries.size());
        keptBytes += sizeof entry + name.size();
        entries.push_back(std::move(entry));
    }
    if (!m_listingCut && !sftp_dir_eof(dir))
        ok = failed();
    sftp_closedir(dir);
    if (!ok)
        return std::nullopt;
    // A link lists as what it points to; a broken one stays a file.
    for (const std::size_t index : links) {
        ftp::ListingEntry& entry = entries[index];
        if (sftp_attributes target = sftp_stat(m_sftp, joinPath(directory, entry.name).c_str())) {
            entry.directory = target->type == SSH_FILEXFER_TYPE_DIRECTORY;
            entry.size = target->size;
            if (target->flags & SSH_FILEXFER_ATTR_ACMODTIME)
                entry.modified = target->mtime;
            sftp_attributes_free(target);
        } else {
            failed();
            if (m_broken)
                return std::nullopt;
        }
    }
    return entries;
}

bool SftpConnection::fileInfo(const std::string& path, std::int64_t& size,
                              std::optional<std::int64_t>& modified) {
    Turn turn(*this);
    size = -1;
    modified.reset();
    if (m_broken)
        return false;
    sftp_attributes attributes = sftp_stat(m_sftp, resolve(path).c_str());
    if (!attributes)
        return failed();
    if (attributes->flags & SSH_FILEXFER_ATTR_SIZE)
        size = static_cast<std::int64_t>(std::min<std::uint64_t>(attributes->size, INT64_MAX));
    if (attributes->flags & SSH_FILEXFER_ATTR_ACMODTIME)
        modified = attributes->mtime;
    sftp_attributes_free(attributes);
    return size >= 0 || modified.has_value();
}

bool SftpConnection::setModified(const std::string& path, std::int64_t unixSeconds) {
    Turn turn(*this);
    if (m_broken || unixSeconds < 0 || unixSeconds > UINT32_MAX)
        return false;
    sftp_attributes_struct attributes{};
    attributes.flags = SSH_FILEXFER_ATTR_ACMODTIME;
    attributes.atime = static_cast<std::uint32_t>(unixSeconds);
    attributes.mtime = static_cast<std::uint32_t>(unixSeconds);
    return sftp_setstat(m_sftp, resolve(path).c_str(), &attributes) == SSH_OK || failed();
}

bool SftpConnection::keepAlive() {
    Turn turn(*this);
    if (m_broken)
        return false;
    sftp_attributes attributes = sftp_stat(m_sftp, m_directory.c_str());
    if (!attributes) {
        failed();
        return !m_broken; // a refusal is an answer too
    }
    sftp_attributes_free(attributes);
    return true;
}

std::unique_ptr<SftpFile> SftpConnection::openFile(const std::string& path, bool upload,
                                                   std::int64_t offset) {
    Turn turn(*this);
    if (m_broken || offset < 0)
        return nullptr;
    const int flags = !upload ? O_RDONLY : offset == 0 ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY | O_CREAT;
    sftp_file file = sftp_open(m_sftp, resolve(path).c_str(), flags, 0644);
    if (!file) {
        failed();
        return nullptr;
    }
    if (offset > 0 && sftp_seek64(file, static_cast<std::uint64_t>(offset)) != 0) {
        sftp_close(file);
        return nullptr;
    }
    ++m_openFiles;
    return std::make_unique<SftpFile>(shared_from_this(), file, upload);
}

} // namespace tovo::sftp
