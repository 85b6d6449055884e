#pragma once
// Connection profiles in Profile.ini: list, read, write and remove one section per profile.

#include <string>
#include <vector>

struct ConnectionProfile {
    std::string Name, Location, Protocol, Username, Password, Port, Transfer;
    // The private key an SFTP login offers; the file holds a "KeyFile" line only while it is set.
    std::string KeyFile = {};
};

// Each function that can fail gives the reason in *error when given ("" on success); a missing file
// is no failure: it lists no profiles and reads as empty values.
std::vector<std::string> ListProfiles(const std::string& profilePath, std::string* error = nullptr);
ConnectionProfile ReadProfile(const std::string& profilePath, const std::string& name);
// False when the file could not be written; it is then as it was.
bool WriteProfile(const std::string& profilePath, const ConnectionProfile& profile,
                  std::string* error = nullptr);
// The profile as ReadProfile gives it back after WriteProfile: each value cut to its read limit.
ConnectionProfile CutToReadLimits(const ConnectionProfile& profile);
// False when the file could not be written; true also when there was no such profile.
bool RemoveProfile(const std::string& profilePath, const std::string& name, std::string* error = nullptr);

// False for a name the file cannot hold as a section (empty, "]", a line break); such a profile
// is not written.
bool IsStorableProfileName(const std::string& name);
