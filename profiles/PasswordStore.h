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

    // What came of Write or Remove. SecretStoreRefused: nothing was written, and the caller chooses
    // another place. FileNotWritten: Profile.ini is as it was. SecretNotRemoved: the profile is saved
    // or removed, but a password it no longer keeps there may still be in the secret store.
    enum class Result { Done, SecretStoreRefused, FileNotWritten, SecretNotRemoved };

    // Paths are Profile.ini's, as for the functions of ProfileStore.h.
    // The profile from Profile.ini; an empty "Password" key is filled from the secret store. A
    // password the file still holds (an older file) wins and moves to the store on the next save.
    ConnectionProfile Read(const std::string& profilePath, const std::string& name);
    // Writes the profile with its password kept where place says. On a failure its reason goes to
    // *error when given.
    Result Write(const std::string& profilePath, const ConnectionProfile& profile, Place place,
                 std::string* error = nullptr);
    // Removes the profile and its secret.
    Result Remove(const std::string& profilePath, const std::string& name, std::string* error = nullptr);

    // The entry's key in the secret store: "user@host/profile" with the profile name in ASCII lower
    // case, and "%", "@" and "/" inside the parts written as %25, %40 and %2F so that no two
    // profiles share a key.
    static QString SecretKey(const ConnectionProfile& profile);

private:
    // False, with the reason in *error, when the store holds or may hold a secret under key still.
    bool RemoveSecret(const QString& key, std::string* error);

    SecretStore m_secrets;
};
