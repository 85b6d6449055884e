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
    // Without a session bus or secret service the backend reports these two.
    case QKeychain::NoBackendAvailable:
    case QKeychain::OtherError:
        return SecretStore::Status::NoStore;
    default:
        return SecretStore::Status::Unavailable;
    }
}

// Started and left to itself: nobody waits for it.
void DeleteUnwatched(const QString& key) {
    auto* job = new QKeychain::DeletePasswordJob(SecretStore::ServiceName());
    job->setKey(key);
    job->setInsecureFallback(false);
    job->setAutoDelete(true);
    job->start();
}

} // namespace

SecretStore::SecretStore(std::chrono::milliseconds timeout) : m_timeout(timeout) {}

QString SecretStore::ServiceName() {
    return QStringLiteral("Tovo FTP");
}

SecretStore::Outcome SecretStore::Run(QKeychain::Job* job) {
    if (m_gaveUp) {
        delete job;
        m_lastFailure = QStringLiteral("The secret store did not answer earlier and is not asked again.");
        return {Status::Unavailable, {}, false};
    }
    // Our own fallback is Profile.ini, and only when the user says so.
    job->setInsecureFallback(false);
    // The job deletes itself once it ends, also when it ends after we stopped waiting for it.
    job->setAutoDelete(true);

    bool finished = false;
    Outcome outcome{Status::Unavailable, {}, false};
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        finished = true;
        outcome.status = StatusOf(done->error());
        m_lastFailure = done->errorString();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            outcome.text = read->textData();
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(m_timeout);
    job->start();
    // The window goes on painting while the store answers; clicks and keys wait until it has. The
    // job only starts from the event loop, so a zero time-out gives up before any answer can come.
    if (!finished && m_timeout.count() > 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished) {
        m_gaveUp = true;
        outcome.timedOut = true;
        m_lastFailure = QStringLiteral("The secret store did not answer within %1 seconds.")
                            .arg(static_cast<double>(m_timeout.count()) / 1000.0);
    }
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
    const Outcome outcome = Run(job);
    if (outcome.timedOut) {
        // The job is still alive here: it deletes itself only after it has ended.
        auto late = std::make_shared<LateWrite>();
        late->key = key;
        QObject::connect(job, &QKeychain::Job::finished, job, [late] {
            late->ended = true;
            if (late->discard)
                DeleteUnwatched(late->key);
        });
        m_lateWrites.push_back(late);
    }
    return outcome.status;
}

bool SecretStore::DiscardLateWrite(const QString& key) {
    bool pending = false;
    for (const std::shared_ptr<LateWrite>& late : m_lateWrites) {
        if (late->key != key)
            continue;
        pending = true;
        // Landed while the user was being asked: undo it now that the store answers again.
        if (!late->discard && late->ended)
            DeleteUnwatched(key);
        late->discard = true;
    }
    return pending;
}

SecretStore::Status SecretStore::Remove(const QString& key) {
    auto* job = new QKeychain::DeletePasswordJob(ServiceName());
    job->setKey(key);
    const Status status = Run(job).status;
    return status == Status::NotFound ? Status::Done : status;
}
