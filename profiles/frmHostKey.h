#pragma once
// The question about an SFTP server's host key that no known_hosts file holds: trust it always, this
// time, or not at all. A key that differs from the stored one is refused unless the user replaces it.

#include "profiles/TrustQuestion.h"
#include "session/WinInetAPI.h"

class frmHostKey : public TrustQuestion {
    Q_OBJECT
public:
    explicit frmHostKey(const ServerHostKey& key, QWidget* parent = nullptr);

    // Offered instead of the trust buttons when the key has changed; asks once more before it
    // replaces the stored key.
    QPushButton* cmdReplace = nullptr;

    HostKeyDecision Decision() const { return static_cast<HostKeyDecision>(Chosen()); }
    void cmdReplace_Click();

    // The program's decider: shows the dialog modally and returns the choice (Refuse when closed).
    static HostKeyDecision Ask(const ServerHostKey& key);

private:
    ServerHostKey m_key;
};
