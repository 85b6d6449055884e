#include "profiles/frmHostKey.h"

#include "toolkit/WindowLayer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

static_assert(static_cast<int>(HostKeyDecision::TrustAlways) ==
                  static_cast<int>(TrustQuestion::Choice::TrustAlways) &&
              static_cast<int>(HostKeyDecision::TrustOnce) ==
                  static_cast<int>(TrustQuestion::Choice::TrustOnce));

namespace {

QString Text(const std::string& bytes) {
    return QString::fromStdString(bytes).toHtmlEscaped();
}

QString Row(const QString& name, const QString& value) {
    return QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(name, value);
}

} // namespace

frmHostKey::frmHostKey(const ServerHostKey& key, QWidget* parent)
    : TrustQuestion(QStringLiteral("frmHostKey"), QStringLiteral("Server Host Key"), parent), m_key(key) {
    const QString host = Text(key.host);
    QString details = Row(QStringLiteral("Host:"), QStringLiteral("%1, port %2").arg(host).arg(key.port)) +
                      Row(QStringLiteral("Key type:"), Text(key.keyType));
    if (key.storedFingerprint.empty()) {
        lblProblem->setText(QStringLiteral("<b>The host key of %1 is not known.</b> Compare its fingerprint "
                                           "with the one the server's owner gave you before you trust it.")
                                .arg(host));
        details +=
            Row(QStringLiteral("Fingerprint:"), QStringLiteral("<tt>%1</tt>").arg(Text(key.fingerprint)));
    } else {
        // A changed key is what a machine in the middle would show: trusting it must not be one click.
        lblProblem->setText(
            QStringLiteral("<b>Warning: the host key of %1 has changed, so the connection is refused.</b> "
                           "Someone may be listening in, or the server's key was replaced.")
                .arg(host));
        details +=
            Row(QStringLiteral("Stored:"), QStringLiteral("<tt>%1</tt>").arg(Text(key.storedFingerprint))) +
            Row(QStringLiteral("Offered:"), QStringLiteral("<tt>%1</tt>").arg(Text(key.fingerprint)));
        cmdTrustAlways->hide();
        cmdTrustOnce->hide();
        cmdReplace = new QPushButton(QStringLiteral("Replace the stored key…"), this);
        cmdReplace->setObjectName(QStringLiteral("cmdReplace"));
        cmdReplace->setAutoDefault(false);
        buttonRow->insertWidget(buttonRow->indexOf(cmdCancel), cmdReplace);
        connect(cmdReplace, &QPushButton::clicked, this, &frmHostKey::cmdReplace_Click);
    }
    lblDetails->setText(QStringLiteral("<table>%1</table>").arg(details));
}

void frmHostKey::cmdReplace_Click() {
    const QString question =
        QStringLiteral(
            "Replace the stored host key of %1 with the one it offers now?\n\nStored:  %2\nOffered:  "
            "%3\n\nDo this only when you know that the server's key was changed.")
            .arg(QString::fromStdString(m_key.host), QString::fromStdString(m_key.storedFingerprint),
                 QString::fromStdString(m_key.fingerprint));
    const int answer =
        MsgBox(question, vbYesNo | vbExclamation | vbDefaultButton2, QStringLiteral("Replace Host Key"));
    Choose(answer == vbYes ? Choice::TrustAlways : Choice::Refuse);
}

HostKeyDecision frmHostKey::Ask(const ServerHostKey& key) {
    frmHostKey dialog(key);
    return static_cast<HostKeyDecision>(dialog.AskModally());
}
