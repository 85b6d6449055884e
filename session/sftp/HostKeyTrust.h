#pragma once
// Trust on first use for SSH host keys: the user's own known_hosts (read only) and our file of "trust
// always" keys answer first; an unknown or changed key is put to the decider.

#include "profiles/KnownHosts.h"
#include "session/WinInetAPI.h"

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tovo::sftp {

class HostKeyTrust {
public:
    using Decider = std::function<HostKeyDecision(const ServerHostKey&)>;

    void setDecider(Decider decider);
    void setOurFile(const std::string& path);
    void setUserFile(const std::string& path);
    // A new session: "trust this time" answers are forgotten.
    void forgetTrustedThisTime();

    // Whether host's key may be used for this connect; asks the decider when neither file holds it
    // (no lock is held while it runs: it may show a dialog).
    bool accept(const std::string& host, int port, const KnownHostKey& key);
    // The key types the files hold for host and port, so that the connection can ask for one of them.
    std::vector<std::string> knownKeyTypes(const std::string& host, int port) const;

private:
    mutable std::mutex m_mutex;
    Decider m_decider;
    std::string m_ourFile;
    std::string m_userFile;
    std::set<std::string> m_trustedThisTime; // "host:port=fingerprint"
};

} // namespace tovo::sftp
