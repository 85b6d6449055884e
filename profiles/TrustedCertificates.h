#pragma once
// The "trust always" decisions on server certificates: one section per host and port holding the
// certificate's SHA-256 fingerprint, in a file kept like Profile.ini (atomic, owner-only).

#include <optional>
#include <string>

// The fingerprint trusted for host and port, if any.
std::optional<std::string> TrustedFingerprint(const std::string& path, const std::string& host, int port);
// Trusts sha256 for host and port from now on, replacing an earlier fingerprint; false when the
// file could not be written (the old file is then untouched), with the reason in *error when given.
bool TrustCertificate(const std::string& path, const std::string& host, int port, const std::string& sha256,
                      std::string* error = nullptr);
