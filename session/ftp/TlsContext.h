#pragma once
// The TLS side of one FTP connection: its OpenSSL context, the check of the server's certificates,
// and the newest session of an accepted connection, which every data connection offers.

#include "session/WinInetAPI.h"

#include <openssl/ssl.h>

#include <functional>
#include <string>

namespace tovo::ftp {

class TlsContext {
public:
    // Asked about a certificate the system's trust store or the host name check did not accept;
    // true lets the connection go on.
    using Verifier = std::function<bool(const ServerCertificate&)>;

    TlsContext(std::string host, Verifier verifier);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    bool valid() const { return m_context != nullptr; }
    // A client connection over fd for host; a data connection offers the kept session, which only
    // ever comes from a connection that passed. Null on failure; the caller owns the result.
    SSL* newConnection(int fd, bool dataConnection = false);
    // After the control connection's handshake: the system's verdict, else the verifier's.
    bool acceptControlPeer(SSL* ssl);
    // After a data connection's handshake: it resumed a session of the control connection, or shows
    // the control connection's certificate, or passes the same decision as the control connection.
    bool acceptDataPeer(SSL* ssl);

    // What a user needs to judge a certificate.
    static ServerCertificate describe(X509* certificate, const std::string& host, const std::string& problem);

private:
    static int keepNewSession(SSL* ssl, SSL_SESSION* session);
    bool decide(SSL* ssl, X509* certificate) const;
    void keep(SSL_SESSION* session, bool fromControl);
    void pass(SSL* ssl);
    void refuse(SSL* ssl);

    std::string m_host;
    Verifier m_verifier;
    SSL_CTX* m_context = nullptr;
    SSL_SESSION* m_session = nullptr; // newest session of a connection that passed
    bool m_sessionFromControl = false;
    std::string m_peerFingerprint; // SHA-256 of the control connection's accepted certificate
};

} // namespace tovo::ftp
