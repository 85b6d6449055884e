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

PasswordStore::Result PasswordStore::Write(const std::string& profilePath, const ConnectionProfile& profile,
                                           Place place, std::string* error) {
    // Keys are made of the values as they read back, so that Read finds what Write stored.
    const QString key = SecretKey(CutToReadLimits(profile));
    if (place == Place::SecretStore &&
        m_secrets.Write(key, QString::fromStdString(profile.Password)) != SecretStore::Status::Done) {
        if (error)
            *error = m_secrets.LastFailure().toStdString();
        return Result::SecretStoreRefused;
    }
    const ConnectionProfile previous = ReadProfile(profilePath, profile.Name);
    const QString previousKey = SecretKey(previous);
    ConnectionProfile inFile = profile;
    if (place != Place::ProfileIni)
        inFile.Password.clear();
    if (!WriteProfile(profilePath, inFile, error)) {
        // The file still names the old host and user, whose secret stays; a new one belongs to nobody.
        if (place == Place::SecretStore && previousKey != key)
            m_secrets.Remove(key);
        return Result::FileNotWritten;
    }
    // The secret follows the profile's host and user, and leaves the store when the password is
    // no longer kept there. A saved profile always has a location: without one there was none.
    bool removed = true;
    if (previousKey != key && !previous.Location.empty())
        removed = RemoveSecret(previousKey, error);
    if (place != Place::SecretStore && !m_secrets.DiscardLateWrite(key))
        removed = RemoveSecret(key, error) && removed;
    return removed ? Result::Done : Result::SecretNotRemoved;
}

PasswordStore::Result PasswordStore::Remove(const std::string& profilePath, const std::string& name,
                                            std::string* error) {
    const ConnectionProfile profile = ReadProfile(profilePath, name);
    // A file that could not be changed keeps the profile, and the profile keeps its password.
    if (!RemoveProfile(profilePath, name, error))
        return Result::FileNotWritten;
    const QString key = SecretKey(profile);
    if (m_secrets.DiscardLateWrite(key) || RemoveSecret(key, error))
        return Result::Done;
    return Result::SecretNotRemoved;
}

bool PasswordStore::RemoveSecret(const QString& key, std::string* error) {
    if (m_secrets.Remove(key) != SecretStore::Status::Unavailable)
        return true;
    if (error)
        *error = m_secrets.LastFailure().toStdString();
    return false;
}
