#include "profiles/ProfileStore.h"

// Placeholder until the INI store lands.
std::vector<std::string> ListProfiles(const std::string&) {
    return {};
}
ConnectionProfile ReadProfile(const std::string&, const std::string& name) {
    return ConnectionProfile{name, {}, {}, {}, {}, {}, {}};
}
void WriteProfile(const std::string&, const ConnectionProfile&) {}
void RemoveProfile(const std::string&, const std::string&) {}
