#include "session/sftp/HostKeyTrust.h"

#include <algorithm>

namespace tovo::sftp {

void HostKeyTrust::setDecider(Decider decider) {
    std::lock_guard lock(m_mutex);
    m_decider = std::move(decider);
}

void HostKeyTrust::setOurFile(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_ourFile = path;
}

void HostKeyTrust::setUserFile(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_userFile = path;
}

void HostKeyTrust::forgetTrustedThisTime() {
    std::lock_guard lock(m_mutex);
    m_trustedThisTime.clear();
}

bool HostKeyTrust::accept(const std::string& host, int port, const KnownHostKey& key) {
    ServerHostKey asked{host, port, key.keyType, HostKeyFingerprint(key.keyBase64), {}};
    if (asked.fingerprint.empty())
        return false;
    const std::string once = host + ':' + std::to_string(port) + '=' + asked.fingerprint;
    Decider decider;
    std::string ourFile, userFile;
    {
        std::lock_guard lock(m_mutex);
        if (m_trustedThisTime.count(once))
            return true;
        decider = m_decider;
        ourFile = m_ourFile;
        userFile = m_userFile;
    }
    std::vector<KnownHostKey> stored = KnownHostKeys(userFile, host, port);
    const std::vector<KnownHostKey> ours = KnownHostKeys(ourFile, host, port);
    stored.insert(stored.end(), ours.begin(), ours.end());
    const auto same = [&key](const KnownHostKey& known) { return known.keyBase64 == key.keyBase64; };
    if (std::any_of(stored.begin(), stored.end(), same))
        return true;
    if (!stored.empty()) {
        // A key of the same type is the one this key replaced; else the first one held.
        const auto sameType = std::find_if(stored.begin(), stored.end(), [&key](const KnownHostKey& known) {
            return known.keyType == key.keyType;
        });
        asked.storedFingerprint =
            HostKeyFingerprint((sameType != stored.end() ? *sameType : stored.front()).keyBase64);
    }
    if (!decider)
        return false;
    switch (decider(asked)) {
    case HostKeyDecision::TrustAlways:
        TrustHostKey(ourFile, host, port, key);
        [[fallthrough]];
    case HostKeyDecision::TrustOnce: {
        std::lock_guard lock(m_mutex);
        m_trustedThisTime.insert(once);
        return true;
    }
    case HostKeyDecision::Refuse:
        break;
    }
    return false;
}

std::vector<std::string> HostKeyTrust::knownKeyTypes(const std::string& host, int port) const {
    std::string ourFile, userFile;
    {
        std::lock_guard lock(m_mutex);
        ourFile = m_ourFile;
        userFile = m_userFile;
    }
    std::vector<std::string> types;
    for (const std::string& file : {userFile, ourFile})
        for (const KnownHostKey& key : KnownHostKeys(file, host, port))
            if (std::find(types.begin(), types.end(), key.keyType) == types.end())
                types.push_back(key.keyType);
    return types;
}

} // namespace tovo::sftp
