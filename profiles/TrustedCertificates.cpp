#include "profiles/TrustedCertificates.h"

#include "app/AppLocations.h"
#include "profiles/IniFile.h"

namespace {

const char* const kFingerprintKey = "SHA256";

std::string SectionName(const std::string& host, int port) {
    return host + ':' + std::to_string(port);
}

} // namespace

std::optional<std::string> TrustedFingerprint(const std::string& path, const std::string& host, int port) {
    IniFile ini;
    if (path.empty() || ini.Load(path) != IniFile::LoadResult::Loaded)
        return std::nullopt;
    const std::string fingerprint = ini.GetString(SectionName(host, port), kFingerprintKey);
    if (fingerprint.empty())
        return std::nullopt;
    return fingerprint;
}

bool TrustCertificate(const std::string& path, const std::string& host, int port, const std::string& sha256) {
    IniFile ini;
    // An unreadable file is not replaced: that would drop every decision in it.
    if (path.empty() || sha256.empty() || ini.Load(path) == IniFile::LoadResult::Unreadable)
        return false;
    if (!ini.WriteString(SectionName(host, port), kFingerprintKey, sha256))
        return false;
    // An installed program keeps the file in the user's private configuration folder.
    return CreatePrivateFolderFor(path) && ini.Save(path);
}
