#pragma once
// The Windows-named FTP operations the panes and transfers call: a handle table over our own
// FTP engine (session/ftp). Handles are never 0; 0 means failure. Every network wait times out.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

using HINTERNET = std::uintptr_t; // 0 = no handle / failure
using BOOL = int;                 // 0 = FALSE

struct FILETIME {
    std::uint32_t dwLowDateTime, dwHighDateTime; // 100 ns since 1601-01-01 UTC
};
struct SYSTEMTIME {
    std::uint16_t wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
struct WIN32_FIND_DATAA {
    std::uint32_t dwFileAttributes;
    FILETIME ftCreationTime, ftLastAccessTime, ftLastWriteTime;
    std::uint32_t nFileSizeHigh, nFileSizeLow;
    // Unlike Windows' 260 characters, room for any name the listing parser passes on, whole.
    char cFileName[4096];
};

inline constexpr std::uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr std::uint32_t INTERNET_SERVICE_FTP = 1;
inline constexpr std::uint32_t INTERNET_SERVICE_HTTP = 3;
inline constexpr std::uint32_t INTERNET_FLAG_RELOAD = 0x80000000u;
inline constexpr std::uint32_t INTERNET_FLAG_EXISTING_CONNECT = 0x20000000u;
inline constexpr std::uint32_t INTERNET_FLAG_PASSIVE = 0x08000000u;
inline constexpr std::uint32_t INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000u;
inline constexpr std::uint32_t INTERNET_FLAG_SECURE = 0x00800000u; // explicit FTPS for an FTP connection
inline constexpr std::uint32_t GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t GENERIC_WRITE = 0x40000000u;
inline constexpr std::uint32_t FTP_TRANSFER_TYPE_ASCII = 1;
inline constexpr std::uint32_t FTP_TRANSFER_TYPE_BINARY = 2;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;

HINTERNET InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy,
                        const char* proxyBypass, std::uint32_t flags);
HINTERNET InternetConnectA(HINTERNET session, const char* server, int port, const char* user,
                           const char* password, std::uint32_t service, std::uint32_t flags,
                           std::uintptr_t context);
BOOL InternetCloseHandle(HINTERNET handle);
BOOL FtpGetCurrentDirectoryA(HINTERNET connection, char* buffer, std::uint32_t* length);
BOOL FtpSetCurrentDirectoryA(HINTERNET connection, const char* directory);
HINTERNET FtpFindFirstFileA(HINTERNET connection, const char* pattern, WIN32_FIND_DATAA* data,
                            std::uint32_t flags, std::uintptr_t context);
BOOL InternetFindNextFileA(HINTERNET find, WIN32_FIND_DATAA* data);
// The listing behind a find handle reached the listing limits (tovo::ftp::ListingReader) and was
// cut there: the rest was never read. 0 for an unknown handle.
BOOL FindListingCut(HINTERNET find);
HINTERNET FtpOpenFileA(HINTERNET connection, const char* path, std::uint32_t access, std::uint32_t flags,
                       std::uintptr_t context);
BOOL InternetReadFile(HINTERNET file, void* buffer, std::uint32_t toRead, std::uint32_t* read);
BOOL InternetWriteFile(HINTERNET file, const void* buffer, std::uint32_t toWrite, std::uint32_t* written);
// Ends a file transfer without completing it and closes its handle: the data connection is reset and
// the transfer aborted, so the server cannot record a cancelled or failed upload as a complete file.
BOOL InternetAbortFile(HINTERNET file);
BOOL FtpRenameFileA(HINTERNET connection, const char* oldName, const char* newName);
BOOL FtpCreateDirectoryA(HINTERNET connection, const char* path);
BOOL FtpDeleteFileA(HINTERNET connection, const char* path);
BOOL FtpRemoveDirectoryA(HINTERNET connection, const char* path);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
std::string StripNulls(const std::string& text);
// The server's last reply on this thread (its lines joined by '\n'), as the refusal it explains;
// "" when the last call got no reply at all.
std::string InternetLastResponseText();

// Why the last InternetConnectA of this thread returned 0, with the reply of the server that refused
// ("" when none came). Read it at once: the next InternetConnectA replaces it.
enum class ConnectFailure {
    None,
    Unreachable,        // the host was not found, or nothing answered on its port
    TimedOut,           // no answer in time
    Closed,             // the server closed the connection without a refusal
    Refused,            // the greeting was a refusal
    LoginRefused,       // user name or password refused
    TlsRefused,         // no protected (TLS) connection could be agreed
    CertificateRefused, // the server's certificate was not trusted
    HostKeyRefused,     // the SSH server's host key was not trusted
};
struct ConnectFailureInfo {
    ConnectFailure cause = ConnectFailure::None;
    std::string reply;
};
ConnectFailureInfo InternetLastConnectFailure();
// FALSE once a connection's server connection has been closed, broken or timed out, or ended by the
// server while idle; TRUE for a live one and for one that has no server connection (HTTP).
BOOL InternetConnectionAlive(HINTERNET connection);

// Network time-out for every wait of the layer, in milliseconds (30 s unless a caller changes it;
// tests shorten it).
void SetNetworkTimeoutMs(int milliseconds);
int NetworkTimeoutMs();

// clang-format off
struct ServerCertificate {
    std::string host;      // the name connected to
    std::string subject;   // e.g. "CN=ftp.example.org"
    std::string issuer;
    std::string sha256;    // fingerprint: upper-case hex pairs joined by ':' (as `openssl x509 -fingerprint -sha256` prints it)
    std::string validFrom; // "yyyy-mm-dd"
    std::string validTo;
    std::string problem;   // why the system did not accept it; empty when it did
};
enum class CertificateDecision { Refuse, TrustOnce, TrustAlways };
// Asked about a certificate that neither the system nor the trusted-certificates file accepts.
// Without a decider such a certificate is refused.
void SetCertificateDecider(std::function<CertificateDecision(const ServerCertificate&)> decider);
// Where "trust always" decisions are kept.
void SetTrustedCertificatesFile(const std::string& path);
// clang-format on

// The decision on a certificate the system did not accept, for every connection to host and port
// (the session's, its data connections' and the command line's): a "trust always" entry with the
// same fingerprint, an earlier "trust this time" of the current connect (InternetOpenA starts a
// new one), else the decider. A changed certificate of a trusted host is put to the decider again.
bool AcceptServerCertificate(const ServerCertificate& certificate, int port);

// Resume, file facts and keep-alive.
// Opens a file for transfer from a byte offset: a download continues at offset (REST before RETR),
// an upload writes the source from offset on into the existing target (REST before STOR, or APPE
// where REST is refused). offset 0 is FtpOpenFileA. 0 on refusal.
HINTERNET FtpOpenFileFromA(HINTERNET connection, const char* path, std::uint32_t access, std::uint32_t flags,
                           std::int64_t offset);
// A remote file's size (SIZE, binary) and modification time (MDTM); what the server does not tell is
// -1 and {0, 0}. FALSE when it told neither.
BOOL FtpGetFileInfoA(HINTERNET connection, const char* path, std::int64_t* size, FILETIME* modified);
// Sets a remote file's modification time (MFMT) where the server's features offer it; FALSE where
// they do not or the server refuses.
BOOL FtpSetFileTimeA(HINTERNET connection, const char* path, const FILETIME* modified);
// Keeps an idle connection open (NOOP). TRUE without a word while a transfer holds the connection;
// FALSE when the server did not answer.
BOOL InternetKeepAlive(HINTERNET connection);

// SFTP: the same handles and calls over SSH.
inline constexpr std::uint32_t INTERNET_SERVICE_SFTP = 4;
// A connection for SFTP (port 0 = 22). Logs in as OpenSSH's client does: the SSH agent's keys, then
// keyFile when given, else the default keys of ~/.ssh, then the password, then keyboard-interactive
// with the password. flags: INTERNET_FLAG_EXISTING_CONNECT shares an idle connection of the same
// login. InternetLastConnectFailure() tells why it returned 0.
HINTERNET InternetConnectSftpA(HINTERNET session, const char* server, int port, const char* user,
                               const char* password, const char* keyFile, std::uint32_t flags);

// clang-format off
struct ServerHostKey {
    std::string host;
    int port = 22;
    std::string keyType;           // e.g. "ssh-ed25519"
    std::string fingerprint;       // "SHA256:" and unpadded base64, as OpenSSH writes it
    std::string storedFingerprint; // the key trusted before, when this one differs from it; else ""
};
enum class HostKeyDecision { Refuse, TrustOnce, TrustAlways };
// Asked about a host key that neither the user's ~/.ssh/known_hosts nor our own file holds, and about
// a changed one (storedFingerprint set; TrustAlways then replaces the stored key). Without a decider
// such a key is refused.
void SetHostKeyDecider(std::function<HostKeyDecision(const ServerHostKey&)> decider);
// Our own known_hosts-format file, where "trust always" decisions are kept.
void SetKnownHostsFile(const std::string& path);
// The user's own known_hosts, read and never written (~/.ssh/known_hosts unless a caller changes it).
void SetUserKnownHostsFile(const std::string& path);
// Asked for the passphrase of a private key (its path); "no answer" skips that key. Never stored.
void SetPassphraseAsker(std::function<std::optional<std::string>(const std::string& keyFile)> asker);
// clang-format on
