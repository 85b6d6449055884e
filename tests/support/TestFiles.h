#pragma once
// Whole-file helpers shared by the tests: write and read a file in one call, and content that no
// chunking fault can reproduce by accident.

#include <QByteArray>
#include <QString>

// Writes content to path (folders must exist); false when it cannot.
bool WriteFileBytes(const QString& path, const QByteArray& content);
// The whole file, or an empty array when it cannot be read.
QByteArray ReadFileBytes(const QString& path);
// A file of `size` bytes, sparse, so that large sizes cost nothing; false when it cannot be made.
bool WriteSizedFile(const QString& path, qint64 size);
// Pseudo-random bytes, the same for the same size and seed.
QByteArray RandomBytes(qsizetype size, quint32 seed = 1);
