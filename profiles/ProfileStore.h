#pragma once
// Connection profiles in Profile.ini: list, read, write and remove one section per profile.

#include <string>
#include <vector>

struct ConnectionProfile {
    std::string Name, Location, Protocol, Username, Password, Port, Transfer;
};

std::vector<std::string> ListProfiles(const std::string& profilePath);
ConnectionProfile ReadProfile(const std::string& profilePath, const std::string& name);
void WriteProfile(const std::string& profilePath, const ConnectionProfile& profile);
// The profile as ReadProfile gives it back after WriteProfile: each value cut to its read limit.
ConnectionProfile CutToReadLimits(const ConnectionProfile& profile);
void RemoveProfile(const std::string& profilePath, const std::string& name);

// False for a name the file cannot hold as a section (empty, "]", a line break); such a profile
// is not written.
bool IsStorableProfileName(const std::string& name);
