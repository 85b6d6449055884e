#include "profiles/KnownHosts.h"

#include "profiles/AppLocations.h"
#include "profiles/IniFile.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <optional>
#include <sstream>

namespace {

std::optional<std::string> DecodeBase64(const std::string& text) {
    if (text.empty() || text.size() % 4 != 0)
        return std::nullopt;
    std::string bytes(text.size() / 4 * 3, '\0');
    const int length =
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    if (length < 0)
        return std::nullopt;
    // EVP_DecodeBlock counts the padding as zero bytes.
    const std::size_t padding = text.size() - text.find_last_not_of('=') - 1;
    bytes.resize(static_cast<std::size_t>(length) - std::min<std::size_t>(padding, 2));
    return bytes;
}

std::string EncodeBase64(const unsigned char* bytes, std::size_t length) {
    std::string text(4 * ((length + 2) / 3) + 1, '\0');
    const int written =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes, static_cast<int>(length));
    text.resize(static_cast<std::size_t>(written));
    return text;
}

// How OpenSSH names a host in the file: the port only when it is not SSH's own.
std::string HostField(const std::string& host, int port) {
    return port == 22 ? host : '[' + host + "]:" + std::to_string(port);
}

// "|1|salt|hash": the HMAC-SHA1 of the name, keyed with the salt, so that the file does not tell
// which hosts the user visits.
bool HashedMatch(const std::string& pattern, const std::string& name) {
    const std::size_t bar = pattern.find('|', 3);
    if (pattern.rfind("|1|", 0) != 0 || bar == std::string::npos)
        return false;
    const auto salt = DecodeBase64(pattern.substr(3, bar - 3));
    const auto hash = DecodeBase64(pattern.substr(bar + 1));
    if (!salt || !hash)
        return false;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha1(), salt->data(), static_cast<int>(salt->size()),
         reinterpret_cast<const unsigned char*>(name.data()), name.size(), digest, &length);
    return hash->size() == length && hash->compare(0, length, reinterpret_cast<char*>(digest), length) == 0;
}

// OpenSSH's patterns know '*' and '?' only: '[' is the bracket of "[host]:port".
bool WildcardMatch(const char* pattern, const char* name) {
    for (; *pattern; ++pattern, ++name) {
        if (*pattern == '*') {
            for (const char* rest = name;; ++rest) {
                if (WildcardMatch(pattern + 1, rest))
                    return true;
                if (!*rest)
                    return false;
            }
        }
        if (!*name || (*pattern != '?' && *pattern != *name))
            return false;
    }
    return !*name;
}

// A comma-separated list of patterns matches when one matches and no negated one ("!pattern") does.
bool HostsMatch(const std::string& hosts, const std::string& name) {
    if (hosts.rfind("|1|", 0) == 0)
        return HashedMatch(hosts, name);
    bool matched = false;
    std::stringstream list(hosts);
    std::string pattern;
    while (std::getline(list, pattern, ',')) {
        const bool negated = !pattern.empty() && pattern.front() == '!';
        if (!WildcardMatch(pattern.c_str() + (negated ? 1 : 0), name.c_str()))
            continue;
        if (negated)
            return false;
        matched = true;
    }
    return matched;
}

struct Line {
    std::string hosts, keyType, keyBase64;
};

// A host's key line; markers (@revoked, @cert-authority), comments and broken lines are not.
std::optional<Line> ParseLine(const std::string& text) {
    std::istringstream fields(text);
    Line line;
    if (!(fields >> line.hosts >> line.keyType >> line.keyBase64) || line.hosts.front() == '#' ||
        line.hosts.front() == '@')
        return std::nullopt;
    return line;
}

} // namespace

std::string HostKeyFingerprint(const std::string& keyBase64) {
    const auto blob = DecodeBase64(keyBase64);
    if (!blob)
        return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(blob->data(), blob->size(), digest, &length, EVP_sha256(), nullptr);
    std::string text = EncodeBase64(digest, length);
    text.erase(text.find_last_not_of('=') + 1);
    return "SHA256:" + text;
}

std::vector<KnownHostKey> KnownHostKeys(const std::string& path, const std::string& host, int port) {
    std::vector<KnownHostKey> keys;
    IniFile file; // only for its bounded, verbatim read of the lines
    if (path.empty() || file.Load(path) != IniFile::LoadResult::Loaded)
        return keys;
    const std::string name = HostField(host, port);
    std::istringstream lines(file.Text());
    std::string text;
    while (std::getline(lines, text)) {
        const auto line = ParseLine(text);
        if (line && HostsMatch(line->hosts, name))
            keys.push_back({line->keyType, line->keyBase64});
    }
    return keys;
}

bool TrustHostKey(const std::string& path, const std::string& host, int port, const KnownHostKey& key,
                  std::string* error) {
    if (path.empty() || key.keyType.empty() || HostKeyFingerprint(key.keyBase64).empty() ||
        host.find_first_of(" \t\r\n,") != std::string::npos) {
        if (error)
            *error = "There is no file to keep it in, or the key or the server's name cannot be kept in one.";
        return false;
    }
    CreatePrivateFolderFor(path);
    const std::string name = HostField(host, port);
    return IniFile::Update(
        path,
        [&](IniFile& file) {
            std::string kept;
            std::istringstream lines(file.Text());
            std::string text;
            while (std::getline(lines, text)) {
                const auto line = ParseLine(text);
                if (!line || !HostsMatch(line->hosts, name))
                    kept += text + '\n';
            }
            file.Parse(kept + name + ' ' + key.keyType + ' ' + key.keyBase64 + '\n');
            return true;
        },
        error);
}
