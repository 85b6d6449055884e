#include "local/LocalFileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <unistd.h>

namespace {

void write(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string s(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

class LocalFileSystemTest : public QObject {
    Q_OBJECT
private slots:
    void listsPlainFilesOnlyInNameOrder() {
        QTemporaryDir dir;
        write(dir.filePath("b.txt"), "12345");
        write(dir.filePath("A.txt"), "");
        write(dir.filePath("c"), "xy");
        write(dir.filePath(".hidden"), "x");
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        QVERIFY(QDir(dir.path()).mkdir(".dotfolder"));
        QVERIFY(QFile::link(dir.filePath("b.txt"), dir.filePath("link-to-file")));
        QVERIFY(QFile::link(dir.filePath("folder"), dir.filePath("link-to-folder")));
        QVERIFY(QFile::link(dir.filePath("gone"), dir.filePath("dangling")));

        const std::vector<LocalFileEntry> files = ListPlainFiles(s(dir.path()));
        QStringList names;
        for (const LocalFileEntry& file : files)
            names.append(QString::fromStdString(file.name));
        QCOMPARE(names, QStringList({"A.txt", "b.txt", "c", "link-to-file"}));
        QCOMPARE(files[1].size, 5);
        QCOMPARE(files[3].size, 5); // a link counts with its file's size
        QCOMPARE(files[1].modified, QFileInfo(dir.filePath("b.txt")).lastModified().toSecsSinceEpoch());

        QCOMPARE(ListSubfolders(s(dir.path())), std::vector<std::string>({"folder", "link-to-folder"}));
    }

    void missingFolderListsNothing() {
        QVERIFY(ListPlainFiles("/nonexistent/tovo").empty());
        QVERIFY(ListSubfolders("/nonexistent/tovo").empty());
        QCOMPARE(CanEnterFolder("/nonexistent/tovo"), ENOENT);
        QCOMPARE(CanEnterFolder(""), ENOENT);
    }

    void enteringAFileIsRefused() {
        QTemporaryDir dir;
        write(dir.filePath("f"), "x");
        QCOMPARE(CanEnterFolder(s(dir.filePath("f"))), ENOTDIR);
        QCOMPARE(CanEnterFolder(s(dir.path())), 0);
    }

    void validNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "b.txt" << true;
        QTest::newRow("blanks") << "New Folder" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("into a subfolder") << "sub/b.txt" << false;
        QTest::newRow("up and out") << "../b.txt" << false;
        QTest::newRow("three dots") << "..." << true;
    }
    void validNames() {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(IsValidEntryName(name.toStdString()), valid);
    }

    void renameMovesTheEntry() {
        QTemporaryDir dir;
        write(dir.filePath("a.txt"), "content");
        QCOMPARE(RenameNoReplace(s(dir.filePath("a.txt")), s(dir.filePath("b.txt"))), 0);
        QVERIFY(!QFile::exists(dir.filePath("a.txt")));
        QCOMPARE(read(dir.filePath("b.txt")), QByteArray("content"));
    }

    void renameNeverReplaces_data() {
        QTest::addColumn<bool>("sourceIsFolder");
        QTest::addColumn<bool>("targetIsFolder");
        QTest::newRow("file onto file") << false << false;
        QTest::newRow("file onto folder") << false << true;
        QTest::newRow("folder onto file") << true << false;
        QTest::newRow("folder onto empty folder") << true << true;
    }
    void renameNeverReplaces() {
        QFETCH(bool, sourceIsFolder);
        QFETCH(bool, targetIsFolder);
        QTemporaryDir dir;
        const QString from = dir.filePath("from");
        const QString to = dir.filePath("to");
        if (sourceIsFolder)
            QVERIFY(QDir().mkdir(from));
        else
            write(from, "source");
        if (targetIsFolder)
            QVERIFY(QDir().mkdir(to));
        else
            write(to, "target");

        QCOMPARE(RenameNoReplace(s(from), s(to)), EEXIST);
        QVERIFY(QFileInfo::exists(from));
        QCOMPARE(QFileInfo(from).isDir(), sourceIsFolder);
        QCOMPARE(QFileInfo(to).isDir(), targetIsFolder);
        if (!targetIsFolder)
            QCOMPARE(read(to), QByteArray("target"));
    }

    void renameOfAMissingEntry() {
        QTemporaryDir dir;
        QCOMPARE(RenameNoReplace(s(dir.filePath("none")), s(dir.filePath("b"))), ENOENT);
        QVERIFY(!QFileInfo::exists(dir.filePath("b")));
    }

    void deleteTakesFilesNotFolders() {
        QTemporaryDir dir;
        write(dir.filePath("f"), "x");
        QVERIFY(QDir(dir.path()).mkdir("d"));
        QCOMPARE(DeleteLocalFile(s(dir.filePath("f"))), 0);
        QVERIFY(!QFileInfo::exists(dir.filePath("f")));
        QVERIFY(DeleteLocalFile(s(dir.filePath("d"))) != 0);
        QVERIFY(QFileInfo(dir.filePath("d")).isDir());
        QCOMPARE(DeleteLocalFile(s(dir.filePath("f"))), ENOENT);
    }

    void folderRemovalNeedsAnEmptyFolder() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("full/inner"));
        QVERIFY(QDir(dir.path()).mkdir("empty"));
        QCOMPARE(RemoveEmptyFolder(s(dir.filePath("full"))), ENOTEMPTY);
        QVERIFY(QFileInfo(dir.filePath("full/inner")).isDir());
        QCOMPARE(RemoveEmptyFolder(s(dir.filePath("empty"))), 0);
        QCOMPARE(RemoveEmptyFolder(s(dir.filePath("empty"))), ENOENT);
    }

    void makeFolderReportsAnExistingOne() {
        QTemporaryDir dir;
        QCOMPARE(MakeFolder(s(dir.filePath("New Folder"))), 0);
        QCOMPARE(MakeFolder(s(dir.filePath("New Folder"))), EEXIST);
    }
};

QTEST_GUILESS_MAIN(LocalFileSystemTest)
#include "LocalFileSystem_test.moc"
