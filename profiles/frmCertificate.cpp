#include "profiles/frmCertificate.h"

#include <QLabel>

static_assert(static_cast<int>(CertificateDecision::TrustAlways) ==
                  static_cast<int>(TrustQuestion::Choice::TrustAlways) &&
              static_cast<int>(CertificateDecision::TrustOnce) ==
                  static_cast<int>(TrustQuestion::Choice::TrustOnce));

namespace {

QString Text(const std::string& bytes) {
    return QString::fromStdString(bytes).toHtmlEscaped();
}

} // namespace

frmCertificate::frmCertificate(const ServerCertificate& certificate, QWidget* parent)
    : TrustQuestion(QStringLiteral("frmCertificate"), QStringLiteral("Server Certificate"), parent) {
    lblProblem->setText(QStringLiteral("<b>The certificate of %1 is not trusted: %2</b>")
                            .arg(Text(certificate.host), Text(certificate.problem)));
    lblDetails->setText(QStringLiteral("<table><tr><td>Host:</td><td>%1</td></tr>"
                                       "<tr><td>Subject:</td><td>%2</td></tr>"
                                       "<tr><td>Issuer:</td><td>%3</td></tr>"
                                       "<tr><td>Valid:</td><td>%4 to %5</td></tr>"
                                       "<tr><td>SHA-256:</td><td><tt>%6</tt></td></tr></table>")
                            .arg(Text(certificate.host), Text(certificate.subject), Text(certificate.issuer),
                                 Text(certificate.validFrom), Text(certificate.validTo),
                                 Text(certificate.sha256)));
}

CertificateDecision frmCertificate::Ask(const ServerCertificate& certificate) {
    frmCertificate dialog(certificate);
    return static_cast<CertificateDecision>(dialog.AskModally());
}
