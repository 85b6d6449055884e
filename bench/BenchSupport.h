#pragma once
// What the transfer benchmarks share: test content, wall time, peak memory and a timed curl run that
// starts with the disk idle.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

inline void WritePattern(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>((i * 131) ^ (i >> 7));
    for (qint64 done = 0; done < size; done += block.size())
        file.write(block.constData(), std::min<qint64>(block.size(), size - done));
}

inline double Seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

inline long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The previous run's written data must not be flushed on the next one's time.
inline void SettleDisk() {
    ::sync();
}

// Wall time of one curl run with these arguments, on a settled disk.
inline double RunCurl(const QStringList& arguments) {
    SettleDisk();
    QElapsedTimer timer;
    timer.start();
    QProcess curl;
    curl.start(QStringLiteral("curl"), arguments);
    curl.waitForFinished(-1);
    if (curl.exitCode() != 0)
        std::fprintf(stderr, "curl failed (%d): %s\n", curl.exitCode(),
                     curl.readAllStandardError().constData());
    return Seconds(timer);
}
