#pragma once
// The server side of TLS for scripted test servers: one certificate, sessions kept for resumption.

#include <openssl/ssl.h>

#include <string>

class TlsServerContext {
public:
    // tls12: the highest version offered is TLS 1.2, whose sessions are made in the handshake.
    TlsServerContext(const std::string& certificate, const std::string& key, bool tls12);
    ~TlsServerContext() { SSL_CTX_free(m_context); }
    TlsServerContext(const TlsServerContext&) = delete;
    TlsServerContext& operator=(const TlsServerContext&) = delete;

    // The server's handshake on a blocking socket; null when it failed. The caller frees the result.
    SSL* accept(int fd) const;

private:
    SSL_CTX* m_context;
};
