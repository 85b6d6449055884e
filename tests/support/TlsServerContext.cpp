#include "tests/support/TlsServerContext.h"

#include <sys/socket.h>

TlsServerContext::TlsServerContext(const std::string& certificate, const std::string& key, bool tls12)
    : m_context(SSL_CTX_new(TLS_server_method())) {
    SSL_CTX_use_certificate_file(m_context, certificate.c_str(), SSL_FILETYPE_PEM);
    SSL_CTX_use_PrivateKey_file(m_context, key.c_str(), SSL_FILETYPE_PEM);
    static const unsigned char id[] = "scripted";
    SSL_CTX_set_session_id_context(m_context, id, sizeof id - 1);
    if (tls12)
        SSL_CTX_set_max_proto_version(m_context, TLS1_2_VERSION);
}

SSL* TlsServerContext::accept(int fd) const {
    // A client that stops talking must not hang the server's thread.
    const timeval limit{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    SSL* ssl = SSL_new(m_context);
    if (ssl && SSL_set_fd(ssl, fd) == 1 && SSL_accept(ssl) == 1)
        return ssl;
    SSL_free(ssl);
    return nullptr;
}
