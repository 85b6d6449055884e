#pragma once
// The desktop's secret store (the Secret Service, or KWallet on KDE) through QtKeychain: read,
// write and delete one password by key, each wait bounded by a time-out.

#include <QString>

#include <chrono>
#include <memory>
#include <vector>

namespace QKeychain {
class Job;
}

class SecretStore {
public:
    // Unavailable: the store is there but locked, refused, or did not answer in time. NoStore: no
    // secret service answers on this desktop session at all, so nothing can be kept in it.
    enum class Status { Done, NotFound, Unavailable, NoStore };

    // A zero time-out does not wait at all: every step gives up, and a write lands later.
    explicit SecretStore(std::chrono::milliseconds timeout);

    Status Read(const QString& key, QString& password);
    // A write that did not answer in time may still land later; see DiscardLateWrite.
    Status Write(const QString& key, const QString& password);
    // Done also when there was nothing to delete.
    Status Remove(const QString& key);
    // Makes sure a write to key that did not answer in time leaves nothing behind: the entry is
    // deleted once the store answers it. False when no such write is pending.
    bool DiscardLateWrite(const QString& key);
    // Why the last step that was not Done failed, for the user.
    QString LastFailure() const { return m_lastFailure; }

    // The service name every entry of this program carries.
    static QString ServiceName();

private:
    struct Outcome {
        Status status;
        QString text;
        bool timedOut;
    };
    Outcome Run(QKeychain::Job* job);

    // A write still running after its time-out, and what is to happen when it ends.
    struct LateWrite {
        QString key;
        bool ended = false;
        bool discard = false;
    };

    std::chrono::milliseconds m_timeout;
    std::vector<std::shared_ptr<LateWrite>> m_lateWrites;
    QString m_lastFailure;
    // A store that once let a wait run out (a locked keyring whose prompt nobody answers) is left
    // alone from then on, so that no later step waits again.
    bool m_gaveUp = false;
};
