#include "profiles/ProfileStore.h"

#include "profiles/IniFile.h"

#include <array>
#include <cstddef>

namespace {

struct ProfileKey {
    const char* name;
    std::size_t readLimit; // the longest value read back, in bytes
    std::string ConnectionProfile::*field;
};

// The order in which the keys are written into a new section.
const std::array<ProfileKey, 6> kProfileKeys{{
    {"Location", 99, &ConnectionProfile::Location},
    {"Protocol", 9, &ConnectionProfile::Protocol},
    // Read whole: a name or password cut short would fail to log in with no hint why.
    {"Username", std::string::npos, &ConnectionProfile::Username},
    {"Password", std::string::npos, &ConnectionProfile::Password},
    {"Port", 19, &ConnectionProfile::Port},
    {"Transfer", 9, &ConnectionProfile::Transfer},
}};

// Not among the keys every profile has: profiles that name no key file stay as other readers know them.
const ProfileKey kKeyFileKey{"KeyFile", std::string::npos, &ConnectionProfile::KeyFile};

// A value cut at its read limit must not end in half a UTF-8 character.
std::string CutToLimit(const std::string& value, std::size_t limit) {
    if (value.size() <= limit)
        return value;
    std::size_t end = limit;
    std::size_t lead = end;
    while (lead > 0 && (static_cast<unsigned char>(value[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0) {
        const auto first = static_cast<unsigned char>(value[lead - 1]);
        const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (length > 1 && lead - 1 + length > end)
            end = lead - 1;
    }
    return value.substr(0, end);
}

} // namespace

bool IsStorableProfileName(const std::string& name) {
    return IniFile::IsStorableSectionName(name);
}

std::vector<std::string> ListProfiles(const std::string& profilePath, std::string* error) {
    IniFile ini;
    ini.Load(profilePath, error);
    return ini.SectionNames();
}

ConnectionProfile ReadProfile(const std::string& profilePath, const std::string& name) {
    IniFile ini;
    ini.Load(profilePath);
    ConnectionProfile profile{name, {}, {}, {}, {}, {}, {}};
    for (const ProfileKey& key : kProfileKeys)
        profile.*key.field = CutToLimit(ini.GetString(name, key.name), key.readLimit);
    profile.KeyFile = ini.GetString(name, kKeyFileKey.name);
    return profile;
}

ConnectionProfile CutToReadLimits(const ConnectionProfile& profile) {
    ConnectionProfile cut = profile;
    for (const ProfileKey& key : kProfileKeys)
        cut.*key.field = CutToLimit(profile.*key.field, key.readLimit);
    return cut;
}

bool WriteProfile(const std::string& profilePath, const ConnectionProfile& profile, std::string* error) {
    bool storable = IsStorableProfileName(profile.Name) && IniFile::IsStorableValue(profile.KeyFile);
    for (const ProfileKey& key : kProfileKeys)
        storable = storable && IniFile::IsStorableValue(profile.*key.field);
    if (!storable) {
        // A value with a line break would inject keys; write nothing.
        if (error)
            *error = "The name or a value holds a line break or a character the file cannot hold.";
        return false;
    }
    return IniFile::Update(
        profilePath,
        [&](IniFile& ini) {
            for (const ProfileKey& key : kProfileKeys)
                ini.WriteString(profile.Name, key.name, profile.*key.field);
            if (profile.KeyFile.empty())
                ini.RemoveKey(profile.Name, kKeyFileKey.name);
            else
                ini.WriteString(profile.Name, kKeyFileKey.name, profile.KeyFile);
            return true;
        },
        error);
}

bool RemoveProfile(const std::string& profilePath, const std::string& name, std::string* error) {
    return IniFile::Update(
        profilePath, [&](IniFile& ini) { return ini.RemoveSection(name); }, error);
}
