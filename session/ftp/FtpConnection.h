#pragma once
// One logged-in FTP session on its own control connection: directory commands, passive data
// connections (EPSV, then PASV), listings and opening files for transfer.

#include "session/ftp/ControlConnection.h"
#include "session/ftp/ListingParser.h"
#include "session/ftp/TlsContext.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovo::ftp {

class FtpTransfer;

enum class TransferType { Ascii, Binary };

class FtpConnection : public std::enable_shared_from_this<FtpConnection> {
public:
    FtpConnection(std::string host, int port, std::string user, std::string password);
    ~FtpConnection(); // says QUIT when the server still listens
    FtpConnection(const FtpConnection&) = delete;
    FtpConnection& operator=(const FtpConnection&) = delete;

    // Before open(): explicit TLS (AUTH TLS before the login, PBSZ 0 and PROT P after it, every
    // data connection protected and resuming the control connection's session).
    void requireTls(TlsContext::Verifier verifier);
    bool secure() const { return m_tls != nullptr; }
    // Connects, reads the greeting, logs in and asks for the features; false on any refusal.
    bool open();
    // Why open() failed, and the server's reply that refused it ("" when none came).
    ConnectFailure openFailure() const { return m_openFailure; }
    const std::string& openFailureReply() const { return m_openFailureReply; }
    void setTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeoutMs() const { return m_timeoutMs; }

    // The control connection is alive and no file transfer holds it.
    bool usable() const { return m_control.usable() && !m_transferOpen; }
    // usable(), and the server has not hung up on the idle connection meanwhile: fit for sharing.
    bool shareable() const { return usable() && !m_control.idleEnded(); }
    // Not closed, broken or timed out, and not ended by the server while idle (a running transfer
    // may leave replies waiting, so then only the first is looked at).
    bool alive() const { return m_control.usable() && (m_transferOpen || !m_control.idleEnded()); }
    bool sameLogin(const std::string& host, int port, const std::string& user, const std::string& password,
                   bool secure) const;

    // PWD's answer is kept until the next CWD: a listing and the folder shown after it ask once.
    std::optional<std::string> currentDirectory();
    bool changeDirectory(const std::string& path);
    bool makeDirectory(const std::string& path);
    bool removeDirectory(const std::string& path);
    bool deleteFile(const std::string& path);
    bool rename(const std::string& from, const std::string& to);

    // The entries of path ("" for the current directory), MLSD when offered, else LIST. At
    // ListingReader's limits the transfer is aborted and listingCut() tells it.
    std::optional<std::vector<ListingEntry>> list(const std::string& path);
    bool listingCut() const { return m_listingCut; }

    // Starts a download (RETR) or upload (STOR); the connection does nothing else until the
    // transfer is closed. From offset > 0 (binary only): REST before RETR, and before STOR, where
    // a refused REST makes it APPE. Null on refusal.
    std::unique_ptr<FtpTransfer> openFile(const std::string& path, bool upload, TransferType type,
                                          std::uint64_t offset = 0);

    // A file's size in bytes (SIZE, binary) and modification time in milliseconds since 1970 UTC
    // (MDTM); nullopt for what the server does not tell.
    std::optional<std::uint64_t> fileSize(const std::string& path);
    std::optional<std::int64_t> modificationTime(const std::string& path);
    // MFMT, only where the features offered it: false without a word otherwise.
    bool setModificationTime(const std::string& path, std::int64_t unixSeconds);
    // NOOP on an idle connection; true without a word while a transfer holds it. False when the
    // connection is gone or the server did not answer.
    bool keepAlive();

    bool offersMlst() const { return m_mlst; }
    bool offersMfmt() const { return m_mfmt; }
    bool usesUtf8() const { return m_utf8; }

private:
    friend class FtpTransfer;

    bool positive(const std::string& command);
    // Records why open() fails: a reply without a code (none came) counts as a time-out when the
    // step's time ran out, else as the server closing the connection. Returns false.
    bool openFailed(ConnectFailure cause, const FtpReply& reply, const Deadline& step);
    bool setType(TransferType type);
    bool openPassive(Stream& data);
    // Once the server has accepted a data command: a protected data connection makes its handshake,
    // resuming the control connection's session, and must be our server's. True for plain ones.
    bool secureData(Stream& data);
    // Reads the reply that ends a transfer; true when it is positive.
    bool readFinalReply();
    bool readFinalReply(const Deadline& deadline);
    // Stops a transfer that did not end by itself and brings the replies back in step: ABOR, then
    // PWD, whose 257 marks the end of whatever the server still had to say about the transfer.
    bool abortTransfer();
    void endTransfer() { m_transferOpen = false; }
    // SIZE in whatever type is set, also while a transfer holds the connection (its end is checked
    // with it).
    std::optional<std::uint64_t> askSize(const std::string& path);

    std::string m_host;
    int m_port;
    std::string m_user;
    std::string m_password;
    int m_timeoutMs = 30000;
    ControlConnection m_control;
    bool m_epsvRefused = false;
    bool m_mlst = false;
    bool m_mfmt = false;
    bool m_listingCut = false;
    bool m_utf8 = false;
    std::optional<TransferType> m_type;
    std::optional<std::string> m_directory; // PWD's answer since the last CWD
    bool m_transferOpen = false;
    std::unique_ptr<TlsContext> m_tls;
    bool m_certificateRefused = false;
    ConnectFailure m_openFailure = ConnectFailure::None;
    std::string m_openFailureReply;
};

} // namespace tovo::ftp
