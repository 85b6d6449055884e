#pragma once
// The question about a server certificate the system does not accept: what it is, what is wrong
// with it, and whether to trust it always, this time, or not at all.

#include "session/WinInetAPI.h"

#include <QDialog>

class QLabel;
class QPushButton;

class frmCertificate : public QDialog {
    Q_OBJECT
public:
    explicit frmCertificate(const ServerCertificate& certificate, QWidget* parent = nullptr);

    QLabel* lblProblem = nullptr;
    QLabel* lblDetails = nullptr;
    QPushButton* cmdTrustAlways = nullptr;
    QPushButton* cmdTrustOnce = nullptr;
    QPushButton* cmdCancel = nullptr;

    CertificateDecision Decision() const { return m_decision; }

    // The program's decider: shows the dialog modally and returns the choice (Refuse when closed).
    static CertificateDecision Ask(const ServerCertificate& certificate);

private:
    CertificateDecision m_decision = CertificateDecision::Refuse;
};
