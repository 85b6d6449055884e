#include "session/ftp/TlsContext.h"

#include "session/ftp/TlsIo.h"

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
    // A data connection ends with a bare close on many servers; then the final reply and the
    // announced size tell a whole download from a cut one (FtpTransfer).
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
    SSL_CTX_free(m_context);
}

int TlsContext::keepNewSession(SSL* ssl, SSL_SESSION* session) {
    auto* self = static_cast<TlsContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    // A session of a connection not (yet) accepted would let its server skip every later check.
    if (!self || !tls::notes(ssl).passed)
        return 0;
    self->keep(session, tls::notes(ssl).control);
    return 1; // the reference is ours now
}

void TlsContext::keep(SSL_SESSION* session, bool fromControl) {
    SSL_SESSION_free(m_session);
    m_session = session;
    m_sessionFromControl = fromControl;
}

SSL* TlsContext::newConnection(int fd, bool dataConnection) {
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
    tls::Notes& notes = tls::notes(ssl);
    notes.control = !dataConnection;
    if (ready && dataConnection && m_session) {
        ready = SSL_set_session(ssl, m_session) == 1;
        notes.offeredControlSession = m_sessionFromControl;
    }
    if (!ready) {
        SSL_free(ssl);
        return nullptr;
    }
    return ssl;
}

bool TlsContext::decide(SSL* ssl, X509* certificate) const {
    const long verdict = SSL_get_verify_result(ssl);
    if (verdict == X509_V_OK)
        return true;
    return m_verifier && m_verifier(describe(certificate, m_host, X509_verify_cert_error_string(verdict)));
}

void TlsContext::pass(SSL* ssl) {
    tls::notes(ssl).passed = true;
    // TLS 1.2 makes its session during the handshake, before the decision; TLS 1.3 tickets come later
    // through keepNewSession. A resumed session is kept already, with its origin.
    SSL_SESSION* session = SSL_get1_session(ssl);
    if (session && SSL_session_reused(ssl) != 1 && SSL_SESSION_is_resumable(session))
        keep(session, tls::notes(ssl).control);
    else
        SSL_SESSION_free(session);
}

void TlsContext::refuse(SSL* ssl) {
    // Out of the cache and not resumable, whoever holds it; Stream does not mark the connection
    // as cleanly shut down either.
    SSL_SESSION* session = SSL_get_session(ssl);
    if (!session)
        return;
    SSL_CTX_remove_session(m_context, session);
    if (session == m_session)
        keep(nullptr, false);
}

bool TlsContext::acceptControlPeer(SSL* ssl) {
    X509* certificate = SSL_get1_peer_certificate(ssl);
    const bool accepted = certificate && decide(ssl, certificate);
    if (accepted) {
        m_peerFingerprint = fingerprint(certificate);
        pass(ssl);
    } else {
        refuse(ssl);
    }
    X509_free(certificate);
    return accepted;
}

bool TlsContext::acceptDataPeer(SSL* ssl) {
    X509* certificate = SSL_get1_peer_certificate(ssl);
    bool accepted = SSL_session_reused(ssl) == 1 && tls::notes(ssl).offeredControlSession;
    if (!accepted && certificate) {
        const std::string shown = fingerprint(certificate);
        accepted = (!shown.empty() && shown == m_peerFingerprint) || decide(ssl, certificate);
    }
    X509_free(certificate);
    if (accepted)
        pass(ssl);
    else
        refuse(ssl);
    return accepted;
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
