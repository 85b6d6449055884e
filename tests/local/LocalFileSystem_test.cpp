// The local disk operations: listing, entering, names that stay inside their folder, rename without
// replacing, making and deleting.
#include "local/LocalFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

namespace {
std::string s(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
} // namespace

class LocalFileSystemTest : public QObject {
    Q_OBJECT
private slots:
    void listsPlainFilesOnlyInNameOrder() {
        QTemporaryDir dir;
        WriteFileBytes(dir.filePath("b.txt"), "12345");
        WriteFileBytes(dir.filePath("A.txt"), "");
        WriteFileBytes(dir.filePath(".hidden"), "x");
        QVERIFY(QDir(dir.path()).mkdir("folder") && QDir(dir.path()).mkdir(".dotfolder"));
        QVERIFY(QFile::link(dir.filePath("b.txt"), dir.filePath("link-to-file")));
        QVERIFY(QFile::link(dir.filePath("folder"), dir.filePath("link-to-folder")));
        QVERIFY(QFile::link(dir.filePath("gone"), dir.filePath("dangling")));
        const std::vector<LocalFileEntry> files = ListPlainFiles(s(dir.path()));
        QStringList names;
        for (const LocalFileEntry& file : files)
            names.append(QString::fromStdString(file.name));
        QCOMPARE(names, QStringList({"A.txt", "b.txt", "link-to-file"}));
        QCOMPARE(files[2].size, 5); // a link counts with its file's size
        QCOMPARE(files[1].modified, QFileInfo(dir.filePath("b.txt")).lastModified().toSecsSinceEpoch());
        QCOMPARE(ListSubfolders(s(dir.path())), std::vector<std::string>({"folder", "link-to-folder"}));
        QCOMPARE(CanEnterFolder(s(dir.filePath("b.txt"))), ENOTDIR);
        QCOMPARE(CanEnterFolder(s(dir.filePath("none"))), ENOENT);
        QVERIFY(ListPlainFiles(s(dir.filePath("none"))).empty());
    }

    void validNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "b.txt" << true;
        QTest::newRow("blanks") << "New Folder" << true;
        QTest::newRow("three dots") << "..." << true;
        QTest::newRow("hidden") << ".profile" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("into a subfolder") << "sub/b.txt" << false;
        QTest::newRow("up and out") << "../b.txt" << false;
        QTest::newRow("absolute") << "/etc/passwd" << false;
        QTest::newRow("NUL inside") << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")) << false;
    }
    void validNames() {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(IsValidEntryName(name.toStdString()), valid);
    }

    void renameNeverReplaces_data() {
        QTest::addColumn<bool>("sourceIsFolder");
        QTest::addColumn<int>("target"); // 0 none, 1 file, 2 folder
        QTest::addColumn<int>("result");
        QTest::newRow("file to a free name") << false << 0 << 0;
        QTest::newRow("file onto file") << false << 1 << EEXIST;
        QTest::newRow("file onto folder") << false << 2 << EEXIST;
        QTest::newRow("folder onto file") << true << 1 << EEXIST;
        QTest::newRow("folder onto empty folder") << true << 2 << EEXIST;
    }
    void renameNeverReplaces() {
        QFETCH(bool, sourceIsFolder);
        QFETCH(int, target);
        QFETCH(int, result);
        QTemporaryDir dir;
        const QString from = dir.filePath("from"), to = dir.filePath("to");
        QVERIFY(sourceIsFolder ? QDir().mkdir(from) : WriteFileBytes(from, "source"));
        QVERIFY(target != 2 || QDir().mkdir(to));
        QVERIFY(target != 1 || WriteFileBytes(to, "target"));
        QCOMPARE(RenameNoReplace(s(from), s(to)), result);
        QCOMPARE(QFileInfo::exists(from), result != 0);
        if (!sourceIsFolder && target != 2)
            QCOMPARE(ReadFileBytes(to), QByteArray(target == 1 ? "target" : "source"));
        QCOMPARE(RenameNoReplace(s(dir.filePath("none")), s(dir.filePath("b"))), ENOENT);
    }

    void makeAndDelete() {
        QTemporaryDir dir;
        WriteFileBytes(dir.filePath("f"), "x");
        QVERIFY(QDir(dir.path()).mkpath("full/inner"));
        QCOMPARE(MakeFolder(s(dir.filePath("empty"))), 0);
        QCOMPARE(MakeFolder(s(dir.filePath("empty"))), EEXIST);
        QCOMPARE(DeleteLocalFile(s(dir.filePath("f"))), 0);
        QCOMPARE(DeleteLocalFile(s(dir.filePath("f"))), ENOENT);
        QVERIFY(DeleteLocalFile(s(dir.filePath("empty"))) != 0); // never a folder
        QCOMPARE(RemoveEmptyFolder(s(dir.filePath("full"))), ENOTEMPTY);
        QVERIFY(QFileInfo(dir.filePath("full/inner")).isDir());
        QCOMPARE(RemoveEmptyFolder(s(dir.filePath("empty"))), 0);
        QVERIFY(!QFileInfo::exists(dir.filePath("empty")));
    }
};

QTEST_GUILESS_MAIN(LocalFileSystemTest)
#include "LocalFileSystem_test.moc"
