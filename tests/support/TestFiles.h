#pragma once
// Whole-file helpers shared by the tests: write and read a file in one call, and content that no
// chunking fault can reproduce by accident.

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

// Writes content to path (folders must exist); false when it cannot.
inline bool WriteFileBytes(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}
// The whole file, or an empty array when it cannot be read.
inline QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
// A file of `size` bytes, sparse, so that large sizes cost nothing; false when it cannot be made.
inline bool WriteSizedFile(const QString& path, qint64 size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(size);
}
// Pseudo-random bytes, the same for the same size and seed.
inline QByteArray RandomBytes(qsizetype size, quint32 seed = 1) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// The tree the real servers' tables of operations work on: "Dir \u00e9 x/f b.txt", "full/keep",
// 10,000 empty files in "big" and "down.bin" holding payload. False when it cannot be written.
inline bool WriteOperationsTree(const QString& root, const QByteArray& payload) {
    for (const char* dir : {"Dir \u00e9 x", "full", "big"})
        if (!QDir(root).mkpath(QString::fromUtf8(dir)))
            return false;
    for (int i = 0; i < 10000; ++i)
        QFile(root + QStringLiteral("big/entry-%1").arg(i)).open(QIODevice::WriteOnly);
    return WriteFileBytes(root + QStringLiteral("Dir \u00e9 x/f b.txt"), "12345") &&
           WriteFileBytes(root + QStringLiteral("full/keep"), "k") &&
           WriteFileBytes(root + QStringLiteral("down.bin"), payload);
}
