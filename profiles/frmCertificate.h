#pragma once
// The question about a server certificate the system does not accept: what it is, what is wrong
// with it, and whether to trust it always, this time, or not at all.

#include "profiles/TrustQuestion.h"
#include "session/WinInetAPI.h"

class frmCertificate : public TrustQuestion {
    Q_OBJECT
public:
    explicit frmCertificate(const ServerCertificate& certificate, QWidget* parent = nullptr);

    CertificateDecision Decision() const { return static_cast<CertificateDecision>(Chosen()); }

    // The program's decider: shows the dialog modally and returns the choice (Refuse when closed).
    static CertificateDecision Ask(const ServerCertificate& certificate);
};
