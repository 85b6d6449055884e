#pragma once
// SSH host keys in OpenSSH's known_hosts format: looked up by host and port (plain, "[host]:port",
// wildcard and hashed entries alike), and our own file's entries added or replaced (atomic, 0600).

#include <string>
#include <vector>

struct KnownHostKey {
    std::string keyType; // e.g. "ssh-ed25519"
    std::string keyBase64;
};

// "SHA256:" and the unpadded base64 of the key blob's SHA-256, as `ssh-keygen -lf` prints it; "" when
// keyBase64 is not base64.
std::string HostKeyFingerprint(const std::string& keyBase64);
// The keys the file holds for host and port, in file order; none when it cannot be read. Revoked
// and certificate-authority lines are not keys of a host.
std::vector<KnownHostKey> KnownHostKeys(const std::string& path, const std::string& host, int port);
// From now on the file holds key, and no other, for host and port; false when it could not be
// written (the old file is then untouched), with the reason in *error when given.
bool TrustHostKey(const std::string& path, const std::string& host, int port, const KnownHostKey& key,
                  std::string* error = nullptr);
