// Downloads land whole or not at all, and on disk before they replace the target; what arrived of a
// failed one is kept apart from the target and continued later.
#include "tests/support/TestFiles.h"
#include "transfer/TempFileWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

class TempFileWriterTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    static inline QStringList s_calls;
    static inline bool s_failFileSync = false;

    std::string path(const QString& name) const {
        return QFile::encodeName(m_dir.filePath(name)).toStdString();
    }
    QStringList entries() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void cleanup() {
        TempFileWriter::SetDiskCalls({::fsync, ::rename});
        for (const QString& name : entries())
            QFile::remove(m_dir.filePath(name));
    }

    void theFileIsOnDiskBeforeItReplacesTheTarget_data() {
        QTest::addColumn<bool>("fileSyncFails");
        QTest::addColumn<bool>("replacing");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("flushed, renamed, folder flushed")
            << false << true << QStringList{"file", "rename", "folder"};
        QTest::newRow("a failed flush keeps the old file") << true << true << QStringList{"file"};
        // No good copy to lose: the queue flushes new files once at its end.
        QTest::newRow("a new file is renamed at once") << true << false << QStringList{"rename"};
    }
    void theFileIsOnDiskBeforeItReplacesTheTarget() {
        QFETCH(bool, fileSyncFails);
        QFETCH(bool, replacing);
        s_calls.clear();
        s_failFileSync = fileSyncFails;
        TempFileWriter::SetDiskCalls({[](int fd) {
                                          struct stat info {};
                                          ::fstat(fd, &info);
                                          s_calls << (S_ISDIR(info.st_mode) ? "folder" : "file");
                                          return S_ISDIR(info.st_mode) || !s_failFileSync ? ::fsync(fd) : -1;
                                      },
                                      [](const char* from, const char* to) {
                                          s_calls << "rename";
                                          return ::rename(from, to);
                                      }});
        if (!replacing) {
            TempFileWriter writer;
            QVERIFY(writer.open(path("new")) && writer.write("new", 3) && writer.commit());
            QTEST(s_calls, "calls");
            QCOMPARE(ReadFileBytes(m_dir.filePath("new")), QByteArray("new"));
            TempFileWriter::SyncCommitted();
            return;
        }
        QVERIFY(WriteFileBytes(m_dir.filePath("t.sh"), "old"));
        QVERIFY(::chmod(path("t.sh").c_str(), 0750) == 0);
        TempFileWriter writer;
        QVERIFY(writer.open(path("t.sh")) && writer.write("new", 3));
        QCOMPARE(ReadFileBytes(m_dir.filePath("t.sh")), QByteArray("old")); // untouched until complete
        QCOMPARE(writer.commit(), !fileSyncFails);
        QTEST(s_calls, "calls");
        QCOMPARE(ReadFileBytes(m_dir.filePath("t.sh")), QByteArray(fileSyncFails ? "old" : "new"));
        struct stat info {};
        QVERIFY(::stat(path("t.sh").c_str(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, 0750u); // a replaced file keeps its permissions
    }

    // keepAs leaves the target alone; a continued part grows and then replaces it, or goes on discard.
    void aKeptPartIsContinued_data() {
        QTest::addColumn<bool>("commit");
        QTest::newRow("completed") << true;
        QTest::newRow("cancelled") << false;
    }
    void aKeptPartIsContinued() {
        QFETCH(bool, commit);
        QVERIFY(WriteFileBytes(m_dir.filePath("t"), "old"));
        TempFileWriter first;
        QVERIFY(first.open(path("t")) && first.write("abc", 3) && first.keepAs(path("t.part")));
        QCOMPARE(entries(), (QStringList{"t", "t.part"}));
        TempFileWriter second;
        QVERIFY(second.openContinuing(path("t"), path("t.part")) && second.write("def", 3));
        QVERIFY(commit ? second.commit() : (second.discard(), true));
        QCOMPARE(entries(), QStringList{"t"});
        QCOMPARE(ReadFileBytes(m_dir.filePath("t")), QByteArray(commit ? "abcdef" : "old"));
    }

    // A target the folder cannot take is refused at open, before any data, and nothing is left.
    void refusedTargetsLeaveNoFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("error");
        QTest::newRow("a folder in the way") << "taken" << EISDIR;
        QTest::newRow("name over 255 bytes") << QString(256, 'n') << ENAMETOOLONG;
    }
    void refusedTargetsLeaveNoFile() {
        QFETCH(QString, name);
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("taken")));
        TempFileWriter writer;
        QVERIFY(!writer.open(path(name)));
        QTEST(writer.error(), "error");
        QCOMPARE(entries(), QStringList());
        QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("taken")));
    }
};

QTEST_GUILESS_MAIN(TempFileWriterTest)
#include "TempFileWriter_test.moc"
