#include "profiles/frmCertificate.h"

#include "toolkit/WindowLayer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Text(const std::string& bytes) {
    return QString::fromStdString(bytes).toHtmlEscaped();
}

} // namespace

frmCertificate::frmCertificate(const ServerCertificate& certificate, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCertificate"));
    setWindowTitle(QStringLiteral("Server Certificate"));
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setWordWrap(true);
    lblProblem->setText(QStringLiteral("<b>The certificate of %1 is not trusted: %2</b>")
                            .arg(Text(certificate.host), Text(certificate.problem)));
    lblDetails = new QLabel(this);
    lblDetails->setObjectName(QStringLiteral("lblDetails"));
    lblDetails->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDetails->setText(QStringLiteral("<table><tr><td>Host:</td><td>%1</td></tr>"
                                       "<tr><td>Subject:</td><td>%2</td></tr>"
                                       "<tr><td>Issuer:</td><td>%3</td></tr>"
                                       "<tr><td>Valid:</td><td>%4 to %5</td></tr>"
                                       "<tr><td>SHA-256:</td><td><tt>%6</tt></td></tr></table>")
                            .arg(Text(certificate.host), Text(certificate.subject), Text(certificate.issuer),
                                 Text(certificate.validFrom), Text(certificate.validTo),
                                 Text(certificate.sha256)));
    cmdTrustAlways = new QPushButton(QStringLiteral("Trust always"), this);
    cmdTrustAlways->setObjectName(QStringLiteral("cmdTrustAlways"));
    cmdTrustOnce = new QPushButton(QStringLiteral("Trust this time"), this);
    cmdTrustOnce->setObjectName(QStringLiteral("cmdTrustOnce"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter and Escape both refuse: neither trust button takes Enter, even when it has the focus.
    for (QPushButton* trust : {cmdTrustAlways, cmdTrustOnce})
        trust->setAutoDefault(false);
    cmdCancel->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {cmdTrustAlways, cmdTrustOnce, cmdCancel})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblProblem);
    layout->addWidget(lblDetails);
    layout->addLayout(buttons);

    const auto choose = [this](CertificateDecision decision) {
        m_decision = decision;
        accept();
    };
    connect(cmdTrustAlways, &QPushButton::clicked, this,
            [choose] { choose(CertificateDecision::TrustAlways); });
    connect(cmdTrustOnce, &QPushButton::clicked, this, [choose] { choose(CertificateDecision::TrustOnce); });
    connect(cmdCancel, &QPushButton::clicked, this, [choose] { choose(CertificateDecision::Refuse); });
    cmdCancel->setFocus();
}

CertificateDecision frmCertificate::Ask(const ServerCertificate& certificate) {
    frmCertificate dialog(certificate);
    SetMousePointer(vbDefault);
    ShowModal(&dialog);
    return dialog.Decision();
}
