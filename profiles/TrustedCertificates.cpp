#include "profiles/TrustedCertificates.h"

#include "profiles/AppLocations.h"
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

bool TrustCertificate(const std::string& path, const std::string& host, int port, const std::string& sha256,
                      std::string* error) {
    if (path.empty() || sha256.empty() || !IniFile::IsStorableSectionName(SectionName(host, port)) ||
        !IniFile::IsStorableValue(sha256)) {
        if (error)
            *error = "There is no file to keep it in, or the server's name cannot be kept in one.";
        return false;
    }
    // An installed program keeps the file in the user's private configuration folder.
    CreatePrivateFolderFor(path);
    return IniFile::Update(
        path, [&](IniFile& ini) { return ini.WriteString(SectionName(host, port), kFingerprintKey, sha256); },
        error);
}
