#pragma once
// The desktop's secret store (the Secret Service, or KWallet on KDE) through QtKeychain: read,
// write and delete one password by key, each wait bounded by a time-out.

#include <QString>

#include <chrono>

namespace QKeychain {
class Job;
}

class SecretStore {
public:
    enum class Status { Done, NotFound, Unavailable };

    explicit SecretStore(std::chrono::milliseconds timeout);

    Status Read(const QString& key, QString& password);
    Status Write(const QString& key, const QString& password);
    // Done also when there was nothing to delete.
    Status Remove(const QString& key);

    // The service name every entry of this program carries.
    static QString ServiceName();

private:
    struct Outcome {
        Status status;
        QString text;
    };
    Outcome Run(QKeychain::Job* job);

    std::chrono::milliseconds m_timeout;
    // A store that once let a wait run out (a locked keyring whose prompt nobody answers) is left
    // alone from then on, so that no later step waits again.
    bool m_gaveUp = false;
};
