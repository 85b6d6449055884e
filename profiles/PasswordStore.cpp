#include "profiles/PasswordStore.h"

namespace {

QString EscapedPart(const std::string& bytes) {
    QString part = QString::fromStdString(bytes);
    part.replace(QLatin1Char('%'), QLatin1String("%25"));
    part.replace(QLatin1Char('@'), QLatin1String("%40"));
    part.replace(QLatin1Char('/'), QLatin1String("%2F"));
    return part;
}

// Profile.ini matches section names without regard to ASCII case, so the key does the same.
std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

PasswordStore::PasswordStore(std::chrono::milliseconds timeout) : m_secrets(timeout) {}

QString PasswordStore::SecretKey(const ConnectionProfile& profile) {
    return EscapedPart(profile.Username) + QLatin1Char('@') + EscapedPart(profile.Location) +
           QLatin1Char('/') + EscapedPart(AsciiLower(profile.Name));
}

ConnectionProfile PasswordStore::Read(const std::string& profilePath, const std::string& name) {
    ConnectionProfile profile = ReadProfile(profilePath, name);
    if (profile.Password.empty()) {
        QString password;
        if (m_secrets.Read(SecretKey(profile), password) == SecretStore::Status::Done)
            profile.Password = password.toStdString();
    }
    return profile;
}

bool PasswordStore::Write(const std::string& profilePath, const ConnectionProfile& profile, Place place) {
    // Keys are made of the values as they read back, so that Read finds what Write stored.
    const QString key = SecretKey(CutToReadLimits(profile));
    if (place == Place::SecretStore &&
        m_secrets.Write(key, QString::fromStdString(profile.Password)) != SecretStore::Status::Done)
        return false;
    const QString previousKey = SecretKey(ReadProfile(profilePath, profile.Name));
    ConnectionProfile inFile = profile;
    if (place != Place::ProfileIni)
        inFile.Password.clear();
    WriteProfile(profilePath, inFile);
    // A file that could not be written still names the old host and user, whose secret stays.
    if (SecretKey(ReadProfile(profilePath, profile.Name)) != key)
        return true;
    // The secret follows the profile's host and user, and leaves the store when the password is
    // no longer kept there.
    if (previousKey != key)
        m_secrets.Remove(previousKey);
    if (place != Place::SecretStore)
        m_secrets.Remove(key);
    return true;
}

void PasswordStore::Remove(const std::string& profilePath, const std::string& name) {
    const ConnectionProfile profile = ReadProfile(profilePath, name);
    RemoveProfile(profilePath, name);
    // A file that could not be changed keeps the profile, and the profile keeps its password.
    for (const std::string& listed : ListProfiles(profilePath))
        if (AsciiLower(listed) == AsciiLower(name))
            return;
    m_secrets.Remove(SecretKey(profile));
}
