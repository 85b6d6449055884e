#pragma once
// Profiles with their saved passwords: the password goes to the desktop's secret store, keyed by
// profile name, host and user, or into Profile.ini where the user chose that instead.

#include "profiles/ProfileStore.h"
#include "profiles/SecretStore.h"

#include <chrono>
#include <string>

class PasswordStore {
public:
    enum class Place { SecretStore, ProfileIni, Nowhere };

    // How long one step may wait on the secret store before it counts as unavailable.
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    explicit PasswordStore(std::chrono::milliseconds timeout = kDefaultTimeout);

    // Paths are Profile.ini's, as for the functions of ProfileStore.h.
    // The profile from Profile.ini; an empty "Password" key is filled from the secret store. A
    // password the file still holds (an older file) wins and moves to the store on the next save.
    ConnectionProfile Read(const std::string& profilePath, const std::string& name);
    // Writes the profile with its password kept where place says. For SecretStore, false when the
    // store cannot take it; nothing is written then and the caller chooses another place.
    bool Write(const std::string& profilePath, const ConnectionProfile& profile, Place place);
    // Removes the profile and its secret.
    void Remove(const std::string& profilePath, const std::string& name);

    // The entry's key in the secret store: "user@host/profile" with the profile name in ASCII lower
    // case, and "%", "@" and "/" inside the parts written as %25, %40 and %2F so that no two
    // profiles share a key.
    static QString SecretKey(const ConnectionProfile& profile);

private:
    SecretStore m_secrets;
};
