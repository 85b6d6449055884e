#include "session/ftp/TlsContext.h"

#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <cstdio>
#include <ctime>

namespace tovo::ftp {

namespace {

bool isAddress(const std::string& host) {
    unsigned char buffer[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

std::string nameText(const X509_NAME* name) {
    BIO* out = BIO_new(BIO_s_mem());
    if (!out)
        return {};
    X509_NAME_print_ex(out, name, 0, XN_FLAG_RFC2253);
    char* data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    std::string text(data, size > 0 ? static_cast<std::size_t>(size) : 0);
    BIO_free(out);
    return text;
}

std::string dateText(const ASN1_TIME* time) {
    std::tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return {};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday);
    return text;
}

std::string fingerprint(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1)
        return {};
    static const char hex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        if (i > 0)
            text += ':';
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    return text;
}

} // namespace

TlsContext::TlsContext(std::string host, Verifier verifier)
    : m_host(std::move(host)), m_verifier(std::move(verifier)), m_context(SSL_CTX_new(TLS_client_method())) {
    if (!m_context)
        return;
    SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION);
    SSL_CTX_set_default_verify_paths(m_context);
    // The handshake completes whatever the certificate; acceptControlPeer() decides before the
    // login is sent.
    SSL_CTX_set_verify(m_context, SSL_VERIFY_NONE, nullptr);
    // A data connection ends with a bare close on many servers; its final reply on the protected
    // control connection is what tells a whole transfer from a cut one.
    SSL_CTX_set_options(m_context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(m_context, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Sessions are kept here, not in OpenSSL's cache: TLS 1.3 tickets arrive after the handshake,
    // so the newest one announced is the one to offer.
    SSL_CTX_set_session_cache_mode(m_context, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(m_context, &TlsContext::keepNewSession);
    SSL_CTX_set_app_data(m_context, this);
}

TlsContext::~TlsContext() {
    SSL_SESSION_free(m_session);
    X509_free(m_peer);
    SSL_CTX_free(m_context);
}

int TlsContext::keepNewSession(SSL* ssl, SSL_SESSION* session) {
    auto* self = static_cast<TlsContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    if (!self)
        return 0;
    SSL_SESSION_free(self->m_session);
    self->m_session = session;
    return 1; // the reference is ours now
}

SSL* TlsContext::newConnection(int fd, bool resume) {
    if (!m_context)
        return nullptr;
    SSL* ssl = SSL_new(m_context);
    if (!ssl)
        return nullptr;
    bool ready = SSL_set_fd(ssl, fd) == 1;
    if (isAddress(m_host)) {
        ready = ready && X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), m_host.c_str()) == 1;
    } else {
        ready = ready && SSL_set1_host(ssl, m_host.c_str()) == 1 &&
                SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                         const_cast<char*>(m_host.c_str())) == 1;
    }
    if (ready && resume && m_session)
        ready = SSL_set_session(ssl, m_session) == 1;
    if (!ready) {
        SSL_free(ssl);
        return nullptr;
    }
    return ssl;
}

bool TlsContext::acceptControlPeer(SSL* ssl) {
    X509* certificate = SSL_get1_peer_certificate(ssl);
    if (!certificate)
        return false;
    const long verdict = SSL_get_verify_result(ssl);
    bool accepted = verdict == X509_V_OK;
    if (!accepted && m_verifier)
        accepted = m_verifier(describe(certificate, m_host, X509_verify_cert_error_string(verdict)));
    if (!accepted) {
        X509_free(certificate);
        return false;
    }
    X509_free(m_peer);
    m_peer = certificate;
    return true;
}

bool TlsContext::acceptDataPeer(SSL* ssl) const {
    if (SSL_session_reused(ssl) == 1)
        return true;
    X509* certificate = SSL_get1_peer_certificate(ssl);
    const bool same = certificate && m_peer && X509_cmp(certificate, m_peer) == 0;
    X509_free(certificate);
    return same;
}

ServerCertificate TlsContext::describe(X509* certificate, const std::string& host,
                                       const std::string& problem) {
    ServerCertificate described;
    described.host = host;
    described.subject = nameText(X509_get_subject_name(certificate));
    described.issuer = nameText(X509_get_issuer_name(certificate));
    described.sha256 = fingerprint(certificate);
    described.validFrom = dateText(X509_get0_notBefore(certificate));
    described.validTo = dateText(X509_get0_notAfter(certificate));
    described.problem = problem;
    return described;
}

} // namespace tovo::ftp
