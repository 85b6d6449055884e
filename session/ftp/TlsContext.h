#pragma once
// The TLS side of one FTP connection: its OpenSSL context, the check of the server's certificate,
// and the newest session, which every data connection resumes.

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
    // A client connection over fd for host, offering the kept session when resume is set.
    // Null on failure; the caller owns the result.
    SSL* newConnection(int fd, bool resume = false);
    // After the control connection's handshake: the system's verdict, else the verifier's.
    bool acceptControlPeer(SSL* ssl);
    // After a data connection's handshake: it resumed our session or shows the same certificate.
    bool acceptDataPeer(SSL* ssl) const;

    // What a user needs to judge a certificate.
    static ServerCertificate describe(X509* certificate, const std::string& host, const std::string& problem);

private:
    static int keepNewSession(SSL* ssl, SSL_SESSION* session);

    std::string m_host;
    Verifier m_verifier;
    SSL_CTX* m_context = nullptr;
    SSL_SESSION* m_session = nullptr; // newest session the server gave us
    X509* m_peer = nullptr;           // the accepted certificate of the control connection
};

} // namespace tovo::ftp
