#include "profiles/SecretStore.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

SecretStore::Status StatusOf(QKeychain::Error error) {
    switch (error) {
    case QKeychain::NoError:
        return SecretStore::Status::Done;
    case QKeychain::EntryNotFound:
        return SecretStore::Status::NotFound;
    default:
        return SecretStore::Status::Unavailable;
    }
}

} // namespace

SecretStore::SecretStore(std::chrono::milliseconds timeout) : m_timeout(timeout) {}

QString SecretStore::ServiceName() {
    return QStringLiteral("Tovo FTP");
}

SecretStore::Outcome SecretStore::Run(QKeychain::Job* job) {
    if (m_gaveUp) {
        delete job;
        return {Status::Unavailable, {}};
    }
    // Our own fallback is Profile.ini, and only when the user says so.
    job->setInsecureFallback(false);
    // The job deletes itself once it ends, also when it ends after we stopped waiting for it.
    job->setAutoDelete(true);

    bool finished = false;
    Outcome outcome{Status::Unavailable, {}};
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        finished = true;
        outcome.status = StatusOf(done->error());
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            outcome.text = read->textData();
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(m_timeout);
    job->start();
    // The window goes on painting while the store answers; clicks and keys wait until it has.
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished)
        m_gaveUp = true;
    return outcome;
}

SecretStore::Status SecretStore::Read(const QString& key, QString& password) {
    auto* job = new QKeychain::ReadPasswordJob(ServiceName());
    job->setKey(key);
    const Outcome outcome = Run(job);
    if (outcome.status == Status::Done)
        password = outcome.text;
    return outcome.status;
}

SecretStore::Status SecretStore::Write(const QString& key, const QString& password) {
    auto* job = new QKeychain::WritePasswordJob(ServiceName());
    job->setKey(key);
    job->setTextData(password);
    return Run(job).status;
}

SecretStore::Status SecretStore::Remove(const QString& key) {
    auto* job = new QKeychain::DeletePasswordJob(ServiceName());
    job->setKey(key);
    const Status status = Run(job).status;
    return status == Status::NotFound ? Status::Done : status;
}
