#include "tests/support/TestFiles.h"
#include "transfer/LocalFileReader.h"
#include "transfer/TempFileWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

// Downloads land whole or not at all; uploads read exactly what the file holds.
class TempFileWriterTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }
    QStringList entries() const {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    void write(const QString& name, const QByteArray& content) const {
        QVERIFY(WriteFileBytes(path(name), content));
    }
    QByteArray read(const QString& name) const { return ReadFileBytes(path(name)); }

private slots:
    void cleanup() {
        for (const QString& name : entries())
            QFile::remove(path(name));
    }

    void replacedFileKeepsItsPermissions() {
        write(QStringLiteral("mode.sh"), "old");
        QVERIFY(::chmod(path(QStringLiteral("mode.sh")).toLocal8Bit().constData(), 0750) == 0);
        TempFileWriter writer;
        QVERIFY(writer.open(path(QStringLiteral("mode.sh")).toStdString()));
        QVERIFY(writer.write("new", 3));
        QCOMPARE(read(QStringLiteral("mode.sh")), QByteArray("old")); // untouched until complete
        QVERIFY(writer.commit());
        QCOMPARE(read(QStringLiteral("mode.sh")), QByteArray("new"));
        struct stat info {};
        QVERIFY(::stat(path(QStringLiteral("mode.sh")).toLocal8Bit().constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, 0750u);
    }

    void failuresLeaveNoFile() {
        TempFileWriter writer;
        QVERIFY(!writer.open(path(QStringLiteral("no/such/folder/x")).toStdString()));
        QVERIFY(!writer.write("x", 1));
        QVERIFY(!writer.commit());
        // A folder in the way of the target: the rename fails and the temporary file goes.
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("taken")));
        QVERIFY(writer.open(path(QStringLiteral("taken")).toStdString()));
        QVERIFY(writer.write("x", 1));
        QVERIFY(!writer.commit());
        QVERIFY(entries().isEmpty());
        QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("taken")));
    }

    void readerServesChunksAndReportsTheLength() {
        const QByteArray content = RandomBytes(3000);
        write(QStringLiteral("r.bin"), content);
        LocalFileReader reader(100); // smaller than a chunk: refills inside one read
        QVERIFY(reader.open(path(QStringLiteral("r.bin")).toStdString()));
        QCOMPARE(reader.length(), qint64(3000));
        QByteArray got;
        char chunk[1024];
        std::int64_t n = 0;
        QList<qint64> counts;
        while ((n = reader.read(chunk, sizeof chunk)) > 0) {
            got.append(chunk, static_cast<qsizetype>(n));
            counts.append(n);
        }
        QCOMPARE(n, 0);
        QCOMPARE(counts, (QList<qint64>{1024, 1024, 952}));
        QCOMPARE(got, content);
        QVERIFY(!reader.open(path(QStringLiteral("missing")).toStdString()));
        QVERIFY(!reader.open(m_dir.path().toStdString())); // a folder is not a file
        QCOMPARE(reader.read(chunk, 1), -1);
    }
};

QTEST_GUILESS_MAIN(TempFileWriterTest)
#include "TempFileWriter_test.moc"
