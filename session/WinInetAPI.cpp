#include "session/WinInetAPI.h"

#include "profiles/TrustedCertificates.h"
#include "session/ftp/CivilTime.h"
#include "session/ftp/FtpConnection.h"
#include "session/ftp/FtpTransfer.h"
#include "session/ftp/HostResolver.h"
#include "session/sftp/HostKeyTrust.h"
#include "session/sftp/SftpConnection.h"
#include "session/sftp/SftpFile.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fnmatch.h>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

using tovo::ftp::FtpConnection;
using tovo::ftp::FtpTransfer;
using tovo::ftp::ListingEntry;
using tovo::sftp::SftpConnection;
using tovo::sftp::SftpFile;

namespace {

constexpr int kDefaultFtpPort = 21;
constexpr int kDefaultSshPort = 22;
constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kSecondsFrom1601To1970 = 11'644'473'600;

std::atomic<int> g_timeoutMs{30000};

// One open handle. Children (connections of a session, finds and files of a connection) name their
// parent so that closing the parent closes them too.
struct Handle {
    enum class Kind { Session, Connection, Find, File };
    Kind kind;
    HINTERNET parent = 0;
    std::shared_ptr<FtpConnection> connection; // Connection: null for a non-FTP service
    std::vector<ListingEntry> entries;         // Find
    std::size_t next = 0;
    bool cut = false;                      // Find: the listing stopped at its limits
    std::shared_ptr<FtpTransfer> transfer; // File
    std::shared_ptr<SftpConnection> sftp;  // Connection: an SFTP one instead of FTP
    std::shared_ptr<SftpFile> sftpFile;    // File on an SFTP connection
};

std::mutex g_mutex;
std::map<HINTERNET, std::shared_ptr<Handle>> g_handles;
thread_local ConnectFailureInfo t_connectFailure;
// Whether this thread's last call went to an SFTP connection: its error, not an FTP reply, is the
// last response text then.
thread_local bool t_sftpLast = false;

tovo::sftp::HostKeyTrust g_hostKeys;
std::once_flag g_userKnownHostsDefault;
std::mutex g_passphraseMutex;
std::function<std::optional<std::string>(const std::string&)> g_passphraseAsker;

std::mutex g_trustMutex;
std::function<CertificateDecision(const ServerCertificate&)> g_decider;
std::string g_trustedFile;
std::set<std::string> g_trustedThisTime; // "host:port=fingerprint" of the current connect

constexpr const char* kChangedWarning =
    "WARNING: this server's certificate has changed since you chose to trust it always. Someone may be "
    "posing as the server. ";
HINTERNET g_lastHandle = 0;

HINTERNET addHandle(std::shared_ptr<Handle> handle) {
    std::lock_guard lock(g_mutex);
    // Counting up means a closed handle's number does not come back soon.
    do {
        g_lastHandle = g_lastHandle >= 0x7FFFFFFF ? 1 : g_lastHandle + 1;
    } while (g_handles.count(g_lastHandle));
    g_handles.emplace(g_lastHandle, std::move(handle));
    return g_lastHandle;
}

std::shared_ptr<Handle> findHandle(HINTERNET id, Handle::Kind kind) {
    std::lock_guard lock(g_mutex);
    const auto found = g_handles.find(id);
    if (found == g_handles.end() || found->second->kind != kind)
        return nullptr;
    return found->second;
}

// The FTP connection behind a connection handle, ready for a command; null when it cannot take one.
std::shared_ptr<FtpConnection> readyConnection(HINTERNET id) {
    t_sftpLast = false;
    const auto handle = findHandle(id, Handle::Kind::Connection);
    if (!handle || !handle->connection || !handle->connection->usable())
        return nullptr;
    handle->connection->setTimeoutMs(g_timeoutMs);
    return handle->connection;
}

bool validText(const char* text) {
    return text != nullptr && *text != '\0';
}

std::shared_ptr<FtpTransfer> openTransfer(HINTERNET id) {
    t_sftpLast = false;
    const auto handle = findHandle(id, Handle::Kind::File);
    return handle ? handle->transfer : nullptr;
}

// The SFTP connection behind a connection handle; null for FTP ones.
std::shared_ptr<SftpConnection> sftpConnection(HINTERNET id) {
    const auto handle = findHandle(id, Handle::Kind::Connection);
    if (!handle || !handle->sftp)
        return nullptr;
    t_sftpLast = true;
    handle->sftp->setTimeoutMs(g_timeoutMs);
    return handle->sftp;
}

std::shared_ptr<SftpFile> sftpFile(HINTERNET id) {
    const auto handle = findHandle(id, Handle::Kind::File);
    if (!handle || !handle->sftpFile)
        return nullptr;
    t_sftpLast = true;
    return handle->sftpFile;
}

// An open file below connection: an FTP transfer or an SFTP file.
HINTERNET addFileHandle(HINTERNET connection, std::unique_ptr<FtpTransfer> transfer,
                        std::unique_ptr<SftpFile> sftpFile) {
    auto handle = std::make_shared<Handle>();
    handle->kind = Handle::Kind::File;
    handle->parent = connection;
    handle->transfer = std::move(transfer);
    handle->sftpFile = std::move(sftpFile);
    return addHandle(std::move(handle));
}

HINTERNET openSftpFile(HINTERNET connection, SftpConnection& sftp, const char* path, std::uint32_t access,
                       std::int64_t offset) {
    if (!validText(path) || (access != GENERIC_READ && access != GENERIC_WRITE))
        return 0;
    std::unique_ptr<SftpFile> file = sftp.openFile(path, access == GENERIC_WRITE, offset);
    if (!file)
        return 0;
    return addFileHandle(connection, nullptr, std::move(file));
}

std::optional<std::int64_t> toUnixSeconds(const FILETIME& time) {
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    if (ticks == 0 || ticks > 0x7FFFFFFFFFFFFFFFull)
        return std::nullopt;
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) -
           static_cast<std::int64_t>(kSecondsFrom1601To1970);
}

FILETIME toFileTime(const std::optional<std::int64_t>& unixSeconds) {
    if (!unixSeconds || *unixSeconds < -static_cast<std::int64_t>(kSecondsFrom1601To1970))
        return {0, 0};
    const std::uint64_t seconds =
        static_cast<std::uint64_t>(*unixSeconds + static_cast<std::int64_t>(kSecondsFrom1601To1970));
    if (seconds > 0x7FFFFFFFFFFFFFFFull / kTicksPerSecond)
        return {0, 0};
    const std::uint64_t ticks = seconds * kTicksPerSecond;
    return {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

// MDTM's times carry milliseconds, which the file time keeps.
FILETIME fileTimeFromMilliseconds(std::int64_t milliseconds) {
    const std::int64_t seconds = milliseconds / 1000 - (milliseconds % 1000 < 0);
    const FILETIME whole = toFileTime(seconds);
    if (whole.dwHighDateTime == 0 && whole.dwLowDateTime == 0)
        return whole;
    const std::uint64_t ticks = ((std::uint64_t{whole.dwHighDateTime} << 32) | whole.dwLowDateTime) +
                                static_cast<std::uint64_t>(milliseconds - seconds * 1000) * 10'000;
    return {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

void fillFindData(const ListingEntry& entry, WIN32_FIND_DATAA* data) {
    // Field by field: clearing the whole record would write the full name buffer for every entry.
    data->dwFileAttributes = entry.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    data->ftLastWriteTime = toFileTime(entry.modified);
    data->ftCreationTime = data->ftLastWriteTime;
    data->ftLastAccessTime = data->ftLastWriteTime;
    // Callers read the two halves as one signed 64-bit size: a larger one stops at the greatest.
    const std::uint64_t size = std::min<std::uint64_t>(entry.size, std::numeric_limits<std::int64_t>::max());
    data->nFileSizeHigh = static_cast<std::uint32_t>(size >> 32);
    data->nFileSizeLow = static_cast<std::uint32_t>(size);
    static_assert(sizeof data->cFileName > tovo::ftp::kMaxNameBytes, "every parsed name fits whole");
    const std::size_t length = std::min(entry.name.size(), sizeof data->cFileName - 1);
    std::copy_n(entry.name.data(), length, data->cFileName);
    data->cFileName[length] = '\0';
}

// Splits "dir/*.*" into the directory to list and the name pattern ("" = every name).
void splitPattern(const std::string& pattern, std::string& directory, std::string& namePattern) {
    const std::size_t slash = pattern.rfind('/');
    const std::string last = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    if (last.find_first_of("*?") == std::string::npos) {
        directory = pattern;
        namePattern.clear();
        return;
    }
    directory = slash == std::string::npos ? std::string() : pattern.substr(0, slash == 0 ? 1 : slash);
    namePattern = last == "*.*" || last == "*" ? std::string() : last;
}

// Closes id and every handle below it; the result is that of id's own close.
BOOL closeTree(HINTERNET id) {
    std::vector<std::pair<HINTERNET, std::shared_ptr<Handle>>> closing;
    {
        std::lock_guard lock(g_mutex);
        const auto root = g_handles.find(id);
        if (root == g_handles.end())
            return 0;
        closing.emplace_back(id, root->second);
        // Parents come before their children in closing, so one pass per level finds them all.
        for (std::size_t i = 0; i < closing.size(); ++i)
            for (const auto& [child, handle] : g_handles)
                if (handle->parent == closing[i].first)
                    closing.emplace_back(child, handle);
        for (const auto& entry : closing)
            g_handles.erase(entry.first);
    }
    // Children first: a transfer ends before its connection says QUIT.
    BOOL result = 1;
    for (auto entry = closing.rbegin(); entry != closing.rend(); ++entry) {
        Handle& handle = *entry->second;
        if (handle.kind == Handle::Kind::File && handle.transfer) {
            if (handle.transfer->close() == false && entry->first == id)
                result = 0;
        }
        if (handle.kind == Handle::Kind::File && handle.sftpFile && !handle.sftpFile->close() &&
            entry->first == id)
            result = 0;
        handle.transfer.reset();
        handle.sftpFile.reset();
        handle.sftp.reset();
        handle.connection.reset(); // the last user of a connection ends it with QUIT
    }
    return result;
}

} // namespace

HINTERNET InternetOpenA(const char*, std::uint32_t, const char*, const char*, std::uint32_t) {
    {
        std::lock_guard lock(g_trustMutex);
        g_trustedThisTime.clear();
    }
    g_hostKeys.forgetTrustedThisTime();
    auto handle = std::make_shared<Handle>();
    handle->kind = Handle::Kind::Session;
    return addHandle(std::move(handle));
}

HINTERNET InternetConnectA(HINTERNET session, const char* server, int port, const char* user,
                           const char* password, std::uint32_t service, std::uint32_t flags, std::uintptr_t) {
    t_connectFailure = {};
    if (!findHandle(session, Handle::Kind::Session) || !validText(server) || port < 0 || port > 65535) {
        t_connectFailure.cause = ConnectFailure::Unreachable;
        return 0;
    }
    auto handle = std::make_shared<Handle>();
    handle->kind = Handle::Kind::Connection;
    handle->parent = session;
    if (service == INTERNET_SERVICE_HTTP)
        return addHandle(std::move(handle)); // no server is contacted; every FTP call on it fails
    if (service != INTERNET_SERVICE_FTP)
        return 0;

    // The name the certificate is checked against and logins are shared by: "[::1]" is ::1.
    const std::string host = tovo::ftp::HostResolver::hostName(server);
    const int ftpPort = port == 0 ? kDefaultFtpPort : port;
    const std::string userName = user ? user : "";
    const std::string secret = password ? password : "";
    const bool secure = (flags & INTERNET_FLAG_SECURE) != 0;
    if (flags & INTERNET_FLAG_EXISTING_CONNECT) {
        // Share a logged-in connection of the same login that is idle (the listing connection
        // rides on the session's).
        std::lock_guard lock(g_mutex);
        for (const auto& [id, other] : g_handles) {
            if (other->kind == Handle::Kind::Connection && other->connection &&
                other->connection->shareable() &&
                other->connection->sameLogin(host, ftpPort, userName, secret, secure)) {
                handle->connection = other->connection;
                break;
            }
        }
    }
    if (!handle->connection) {
        auto connection = std::make_shared<FtpConnection>(host, ftpPort, userName, secret);
        connection->setTimeoutMs(g_timeoutMs);
        if (secure) {
            connection->requireTls([ftpPort](const ServerCertificate& certificate) {
                return AcceptServerCertificate(certificate, ftpPort);
            });
        }
        if (!connection->open()) {
            t_connectFailure = {connection->openFailure(), connection->openFailureReply()};
            return 0;
        }
        handle->connection = std::move(connection);
    }
    return addHandle(std::move(handle));
}

ConnectFailureInfo InternetLastConnectFailure() {
    return t_connectFailure;
}

BOOL InternetConnectionAlive(HINTERNET connection) {
    const auto handle = findHandle(connection, Handle::Kind::Connection);
    if (handle && handle->sftp)
        return handle->sftp->alive();
    return handle && (!handle->connection || handle->connection->alive());
}

BOOL InternetCloseHandle(HINTERNET handle) {
    return handle == 0 ? 0 : closeTree(handle);
}

BOOL FtpGetCurrentDirectoryA(HINTERNET connection, char* buffer, std::uint32_t* length) {
    const auto sftp = sftpConnection(connection);
    const auto ftp = sftp ? nullptr : readyConnection(connection);
    if ((!ftp && !sftp) || !length)
        return 0;
    const auto directory = sftp ? sftp->currentDirectory() : ftp->currentDirectory();
    if (!directory)
        return 0;
    if (!buffer || *length < directory->size() + 1) {
        *length = static_cast<std::uint32_t>(directory->size() + 1);
        return 0;
    }
    std::copy(directory->begin(), directory->end(), buffer);
    buffer[directory->size()] = '\0';
    *length = static_cast<std::uint32_t>(directory->size());
    return 1;
}

BOOL FtpSetCurrentDirectoryA(HINTERNET connection, const char* directory) {
    if (const auto sftp = sftpConnection(connection))
        return validText(directory) && sftp->changeDirectory(directory);
    const auto ftp = readyConnection(connection);
    return ftp && validText(directory) && ftp->changeDirectory(directory);
}

HINTERNET FtpFindFirstFileA(HINTERNET connection, const char* pattern, WIN32_FIND_DATAA* data, std::uint32_t,
                            std::uintptr_t) {
    const auto sftp = sftpConnection(connection);
    const auto ftp = sftp ? nullptr : readyConnection(connection);
    if ((!ftp && !sftp) || !data)
        return 0;
    std::string directory;
    std::string namePattern;
    splitPattern(pattern ? pattern : "", directory, namePattern);
    auto entries = sftp ? sftp->list(directory) : ftp->list(directory);
    if (!entries)
        return 0;
    if (!namePattern.empty()) {
        std::erase_if(*entries, [&namePattern](const ListingEntry& entry) {
            return ::fnmatch(namePattern.c_str(), entry.name.c_str(), 0) != 0;
        });
    }
    if (entries->empty())
        return 0;
    auto handle = std::make_shared<Handle>();
    handle->kind = Handle::Kind::Find;
    handle->parent = connection;
    handle->entries = std::move(*entries);
    handle->cut = sftp ? sftp->listingCut() : ftp->listingCut();
    fillFindData(handle->entries.front(), data);
    handle->next = 1;
    return addHandle(std::move(handle));
}

BOOL InternetFindNextFileA(HINTERNET find, WIN32_FIND_DATAA* data) {
    const auto handle = findHandle(find, Handle::Kind::Find);
    if (!handle || !data || handle->next >= handle->entries.size())
        return 0;
    fillFindData(handle->entries[handle->next++], data);
    return 1;
}

BOOL FindListingCut(HINTERNET find) {
    const auto handle = findHandle(find, Handle::Kind::Find);
    return handle && handle->cut;
}

HINTERNET FtpOpenFileA(HINTERNET connection, const char* path, std::uint32_t access, std::uint32_t flags,
                       std::uintptr_t) {
    return FtpOpenFileFromA(connection, path, access, flags, 0);
}

BOOL InternetReadFile(HINTERNET file, void* buffer, std::uint32_t toRead, std::uint32_t* read) {
    if (!read)
        return 0;
    *read = 0;
    if (const auto sftp = sftpFile(file)) {
        std::size_t got = 0;
        const bool ok = (buffer || toRead == 0) && sftp->read(static_cast<char*>(buffer), toRead, got);
        *read = static_cast<std::uint32_t>(got);
        return ok;
    }
    const auto transfer = openTransfer(file);
    if (!transfer || transfer->isUpload() || (!buffer && toRead > 0))
        return 0;
    std::size_t got = 0;
    const bool ok = transfer->read(static_cast<char*>(buffer), toRead, got);
    *read = static_cast<std::uint32_t>(got);
    return ok;
}

BOOL InternetWriteFile(HINTERNET file, const void* buffer, std::uint32_t toWrite, std::uint32_t* written) {
    if (written)
        *written = 0;
    if (const auto sftp = sftpFile(file)) {
        if ((!buffer && toWrite > 0) || !sftp->write(static_cast<const char*>(buffer), toWrite))
            return 0;
        if (written)
            *written = toWrite;
        return 1;
    }
    const auto transfer = openTransfer(file);
    if (!transfer || !transfer->isUpload() || (!buffer && toWrite > 0))
        return 0;
    if (!transfer->write(static_cast<const char*>(buffer), toWrite))
        return 0;
    if (written)
        *written = toWrite;
    return 1;
}

BOOL InternetAbortFile(HINTERNET file) {
    std::shared_ptr<Handle> handle;
    {
        std::lock_guard lock(g_mutex);
        const auto found = g_handles.find(file);
        if (found == g_handles.end() || found->second->kind != Handle::Kind::File)
            return 0;
        handle = std::move(found->second);
        g_handles.erase(found);
    }
    if (handle->transfer)
        handle->transfer->abort();
    if (handle->sftpFile)
        handle->sftpFile->abort();
    return 1;
}

BOOL FtpRenameFileA(HINTERNET connection, const char* oldName, const char* newName) {
    if (const auto sftp = sftpConnection(connection))
        return validText(oldName) && validText(newName) && sftp->rename(oldName, newName);
    const auto ftp = readyConnection(connection);
    return ftp && validText(oldName) && validText(newName) && ftp->rename(oldName, newName);
}

BOOL FtpCreateDirectoryA(HINTERNET connection, const char* path) {
    if (const auto sftp = sftpConnection(connection))
        return validText(path) && sftp->makeDirectory(path);
    const auto ftp = readyConnection(connection);
    return ftp && validText(path) && ftp->makeDirectory(path);
}

BOOL FtpDeleteFileA(HINTERNET connection, const char* path) {
    if (const auto sftp = sftpConnection(connection))
        return validText(path) && sftp->deleteFile(path);
    const auto ftp = readyConnection(connection);
    return ftp && validText(path) && ftp->deleteFile(path);
}

BOOL FtpRemoveDirectoryA(HINTERNET connection, const char* path) {
    if (const auto sftp = sftpConnection(connection))
        return validText(path) && sftp->removeDirectory(path);
    const auto ftp = readyConnection(connection);
    return ftp && validText(path) && ftp->removeDirectory(path);
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
    if (!fileTime || !systemTime)
        return 0;
    const std::uint64_t ticks = (std::uint64_t{fileTime->dwHighDateTime} << 32) | fileTime->dwLowDateTime;
    if (ticks > 0x7FFFFFFFFFFFFFFFull)
        return 0;
    const std::int64_t seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond);
    const std::int64_t unixSeconds = seconds - static_cast<std::int64_t>(kSecondsFrom1601To1970);
    const tovo::ftp::CivilTime civil = tovo::ftp::CivilTime::fromUnixSeconds(unixSeconds);
    systemTime->wYear = static_cast<std::uint16_t>(civil.year);
    systemTime->wMonth = static_cast<std::uint16_t>(civil.month);
    systemTime->wDayOfWeek = static_cast<std::uint16_t>(tovo::ftp::CivilTime::dayOfWeek(
        tovo::ftp::CivilTime::daysFromCivil(civil.year, civil.month, civil.day)));
    systemTime->wDay = static_cast<std::uint16_t>(civil.day);
    systemTime->wHour = static_cast<std::uint16_t>(civil.hour);
    systemTime->wMinute = static_cast<std::uint16_t>(civil.minute);
    systemTime->wSecond = static_cast<std::uint16_t>(civil.second);
    systemTime->wMilliseconds = static_cast<std::uint16_t>(ticks / 10'000 % 1000);
    return 1;
}

std::string StripNulls(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

std::string InternetLastResponseText() {
    if (t_sftpLast)
        return SftpConnection::lastErrorText();
    return tovo::ftp::ControlConnection::lastReplyText();
}

void SetNetworkTimeoutMs(int milliseconds) {
    g_timeoutMs = std::max(1, milliseconds);
}
int NetworkTimeoutMs() {
    return g_timeoutMs;
}

void SetCertificateDecider(std::function<CertificateDecision(const ServerCertificate&)> decider) {
    std::lock_guard lock(g_trustMutex);
    g_decider = std::move(decider);
}

void SetTrustedCertificatesFile(const std::string& path) {
    std::lock_guard lock(g_trustMutex);
    g_trustedFile = path;
}

bool AcceptServerCertificate(const ServerCertificate& certificate, int port) {
    if (certificate.sha256.empty())
        return false;
    const std::string once = certificate.host + ':' + std::to_string(port) + '=' + certificate.sha256;
    std::function<CertificateDecision(const ServerCertificate&)> decider;
    std::string file;
    {
        std::lock_guard lock(g_trustMutex);
        if (g_trustedThisTime.count(once))
            return true;
        decider = g_decider;
        file = g_trustedFile;
    }
    const std::optional<std::string> trusted = TrustedFingerprint(file, certificate.host, port);
    if (trusted == certificate.sha256)
        return true;
    if (!decider)
        return false;
    ServerCertificate asked = certificate;
    if (trusted)
        asked.problem = kChangedWarning + asked.problem;
    // The decider may show a dialog: no lock is held while it runs.
    switch (decider(asked)) {
    case CertificateDecision::TrustAlways:
        TrustCertificate(file, certificate.host, port, certificate.sha256);
        [[fallthrough]];
    case CertificateDecision::TrustOnce: {
        std::lock_guard lock(g_trustMutex);
        g_trustedThisTime.insert(once);
        return true;
    }
    case CertificateDecision::Refuse:
        break;
    }
    return false;
}

HINTERNET FtpOpenFileFromA(HINTERNET connection, const char* path, std::uint32_t access, std::uint32_t flags,
                           std::int64_t offset) {
    if (const auto sftp = sftpConnection(connection))
        return openSftpFile(connection, *sftp, path, access, offset);
    const auto ftp = readyConnection(connection);
    const bool upload = access == GENERIC_WRITE;
    if (!ftp || !validText(path) || (access != GENERIC_READ && !upload) || offset < 0)
        return 0;
    const auto type = (flags & 3) == FTP_TRANSFER_TYPE_ASCII ? tovo::ftp::TransferType::Ascii
                                                             : tovo::ftp::TransferType::Binary;
    std::unique_ptr<FtpTransfer> transfer =
        ftp->openFile(path, upload, type, static_cast<std::uint64_t>(offset));
    if (!transfer)
        return 0;
    return addFileHandle(connection, std::move(transfer), nullptr);
}

BOOL FtpGetFileInfoA(HINTERNET connection, const char* path, std::int64_t* size, FILETIME* modified) {
    if (const auto sftp = sftpConnection(connection)) {
        std::int64_t bytes = -1;
        std::optional<std::int64_t> time;
        const bool told = validText(path) && sftp->fileInfo(path, bytes, time);
        if (size)
            *size = bytes;
        if (modified)
            *modified = toFileTime(time);
        return told;
    }
    if (size)
        *size = -1;
    if (modified)
        *modified = {0, 0};
    const auto ftp = readyConnection(connection);
    if (!ftp || !validText(path))
        return 0;
    bool told = false;
    if (size) {
        const std::optional<std::uint64_t> bytes = ftp->fileSize(path);
        if (bytes && *bytes <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            *size = static_cast<std::int64_t>(*bytes);
            told = true;
        }
    }
    if (modified) {
        if (const std::optional<std::int64_t> milliseconds = ftp->modificationTime(path)) {
            *modified = fileTimeFromMilliseconds(*milliseconds);
            told = true;
        }
    }
    return told;
}

BOOL FtpSetFileTimeA(HINTERNET connection, const char* path, const FILETIME* modified) {
    if (!modified || !validText(path))
        return 0;
    const std::optional<std::int64_t> seconds = toUnixSeconds(*modified);
    if (!seconds.has_value())
        return 0;
    const std::int64_t when = seconds.value();
    if (const auto sftp = sftpConnection(connection))
        return sftp->setModified(path, when);
    const auto ftp = readyConnection(connection);
    return ftp && ftp->offersMfmt() && ftp->setModificationTime(path, when);
}

BOOL InternetKeepAlive(HINTERNET connection) {
    if (const auto sftp = sftpConnection(connection))
        return sftp->keepAlive();
    const auto handle = findHandle(connection, Handle::Kind::Connection);
    if (!handle)
        return 0;
    if (!handle->connection)
        return 1; // no server connection to keep
    handle->connection->setTimeoutMs(g_timeoutMs);
    return handle->connection->keepAlive();
}

HINTERNET InternetConnectSftpA(HINTERNET session, const char* server, int port, const char* user,
                               const char* password, const char* keyFile, std::uint32_t flags) {
    t_connectFailure = {};
    if (!findHandle(session, Handle::Kind::Session) || !validText(server) || port < 0 || port > 65535) {
        t_connectFailure.cause = ConnectFailure::Unreachable;
        return 0;
    }
    std::call_once(g_userKnownHostsDefault, [] {
        if (const char* home = std::getenv("HOME"); home && *home)
            g_hostKeys.setUserFile(std::string(home) + "/.ssh/known_hosts");
    });
    tovo::sftp::SftpLogin login{tovo::ftp::HostResolver::hostName(server), port == 0 ? kDefaultSshPort : port,
                                user ? user : "", password ? password : "", keyFile ? keyFile : ""};
    auto handle = std::make_shared<Handle>();
    handle->kind = Handle::Kind::Connection;
    handle->parent = session;
    if (flags & INTERNET_FLAG_EXISTING_CONNECT) {
        std::lock_guard lock(g_mutex);
        for (const auto& [id, other] : g_handles) {
            if (other->kind == Handle::Kind::Connection && other->sftp && other->sftp->sameLogin(login) &&
                other->sftp->shareable()) {
                handle->sftp = other->sftp;
                break;
            }
        }
    }
    if (!handle->sftp) {
        tovo::sftp::SftpConnectPolicy policy;
        policy.acceptHostKey = [host = login.host, port = login.port](const KnownHostKey& key) {
            return g_hostKeys.accept(host, port, key);
        };
        {
            std::lock_guard lock(g_passphraseMutex);
            policy.askPassphrase = g_passphraseAsker;
        }
        policy.knownKeyTypes = g_hostKeys.knownKeyTypes(login.host, login.port);
        auto connection = std::make_shared<SftpConnection>(login);
        connection->setTimeoutMs(g_timeoutMs);
        if (!connection->open(policy)) {
            t_connectFailure = {connection->openFailure(), connection->openFailureReply()};
            return 0;
        }
        handle->sftp = std::move(connection);
    }
    return addHandle(std::move(handle));
}

void SetHostKeyDecider(std::function<HostKeyDecision(const ServerHostKey&)> decider) {
    g_hostKeys.setDecider(std::move(decider));
}
void SetKnownHostsFile(const std::string& path) {
    g_hostKeys.setOurFile(path);
}
void SetUserKnownHostsFile(const std::string& path) {
    std::call_once(g_userKnownHostsDefault, [] {}); // a caller's choice is not replaced by the default
    g_hostKeys.setUserFile(path);
}
void SetPassphraseAsker(std::function<std::optional<std::string>(const std::string&)> asker) {
    std::lock_guard lock(g_passphraseMutex);
    g_passphraseAsker = std::move(asker);
}
