// The local disk: listing, entering, names that stay inside their folder, rename without replacing,
// making and deleting; the drives offered from the mount table; dates and folder paths as shown.
#include "local/Drives.h"
#include "local/LocalFileSystem.h"
#include "local/LocalFormat.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <ctime>

namespace {
std::string s(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QStringList q(const std::vector<std::string>& list) {
    QStringList out;
    for (const std::string& item : list)
        out.append(QString::fromStdString(item));
    return out;
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
        QVERIFY(QFile::link(dir.filePath("gone"), dir.filePath("dangling")));
        const std::vector<LocalFileEntry> files = ListPlainFiles(s(dir.path()));
        QCOMPARE(files.size(), 3u);
        QCOMPARE(q({files[0].name, files[1].name, files[2].name}),
                 QStringList({"A.txt", "b.txt", "link-to-file"}));
        QCOMPARE(files[2].size, 5); // a link counts with its file's size
        QCOMPARE(q(ListSubfolders(s(dir.path()))), QStringList({"folder"}));
        QCOMPARE(CanEnterFolder(s(dir.filePath("b.txt"))), ENOTDIR);
    }

    void validNames() {
        QVERIFY(IsValidEntryName("...") && IsValidEntryName(".profile"));
        for (const char* name : {"", "..", "../b.txt", "/etc/passwd"})
            QVERIFY2(!IsValidEntryName(name), name);
    }

    void renameNeverReplaces() {
        enum Target { None, File, Folder };
        for (const auto& [sourceIsFolder, target, result] :
             {std::tuple{false, None, 0}, {false, File, EEXIST}, {true, Folder, EEXIST}}) {
            QTemporaryDir dir;
            const QString from = dir.filePath("from"), to = dir.filePath("to");
            QVERIFY(sourceIsFolder ? QDir().mkdir(from) : WriteFileBytes(from, "source"));
            QVERIFY(target == Folder ? QDir().mkdir(to) : target == None || WriteFileBytes(to, "target"));
            QCOMPARE(RenameNoReplace(s(from), s(to)), result);
            QCOMPARE(QFileInfo::exists(from), result != 0);
            if (!sourceIsFolder && target != Folder)
                QCOMPARE(ReadFileBytes(to), QByteArray(target == File ? "target" : "source"));
        }
    }

    void makeAndDelete() {
        QTemporaryDir dir;
        WriteFileBytes(dir.filePath("f"), "x");
        QVERIFY(QDir(dir.path()).mkpath("full/inner"));
        QCOMPARE(MakeFolder(s(dir.filePath("empty"))), 0);
        QCOMPARE(MakeFolder(s(dir.filePath("empty"))), EEXIST);
        QCOMPARE(DeleteLocalFile(s(dir.filePath("f"))), 0);
        QVERIFY(DeleteLocalFile(s(dir.filePath("empty"))) != 0); // never a folder
        QCOMPARE(RemoveEmptyFolder(s(dir.filePath("full"))), ENOTEMPTY);
        QVERIFY(QFile::link(dir.filePath("empty"), dir.filePath("link")));
        QCOMPARE(RemoveEmptyFolder(s(dir.filePath("link"))), 0); // the folder it leads to
        QVERIFY(!QFileInfo::exists(dir.filePath("empty")));
        QCOMPARE(NearestEnterableFolder(s(dir.filePath("empty/a/b"))), s(dir.path()));
    }

    void drivesFromMountTable_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QStringList>("drives");
        QTest::newRow("what a user browses")
            << "overlay / overlay rw 0 0\nproc /proc proc rw 0 0\ntmpfs /dev tmpfs rw 0 0\nsysfs /sys sysfs "
               "ro 0 0\n"
               "cgroup2 /sys/fs/cgroup cgroup2 ro 0 0\n/dev/sda2 /home ext4 rw 0 0\n/dev/sdb1 "
               "/media/a/USB\\040STICK "
               "vfat rw 0 0\n/dev/sdc1 /mnt/backup ext4 rw 0 0\n/dev/sdd1 /run/media/a/CARD exfat rw 0 0\n"
               "tmpfs /run/media/a/tmp tmpfs rw 0 0\n/dev/sda3 /var ext4 rw 0 0\n/dev/loop0 /snap/c/1 "
               "squashfs ro "
               "0 0\n/dev/sdb1 /media/a/USB\\040STICK vfat rw 0 0\n"
            << "/home/a"
            << QStringList{"/", "/home", "/media/a/USB STICK", "/mnt/backup", "/run/media/a/CARD"};
        QTest::newRow("home mounted elsewhere")
            << "/dev/sda1 / ext4 rw 0 0\n/dev/sda4 /srv/u/bob xfs rw 0 0\n/dev/sda5 /srv/other xfs rw 0 0\n"
            << "/srv/u/bob" << QStringList{"/", "/srv/u/bob"};
        QTest::newRow("similar prefixes")
            << "/dev/sda1 /mediaX ext4 rw 0 0\n/dev/sda2 /mntx ext4 rw 0 0\n/dev/sda3 /media ext4 rw 0 0\n"
            << "/root" << QStringList{"/"};
    }
    void drivesFromMountTable() {
        QFETCH(QString, table);
        QFETCH(QString, home);
        QTEST(q(DrivesFromMountTable(table.toStdString(), home.toStdString())), "drives");
    }

    void driveOfPath() {
        const std::vector<std::string> drives{"/", "/mnt/usb", "/home", "/home/ann/work"};
        for (const auto& [path, drive] : {std::pair{"/mnt/usb/photos", "/mnt/usb"},
                                          {"/mnt/usb2", "/"},
                                          {"/home/ann/work/x", "/home/ann/work"}})
            QCOMPARE(DriveOfPath(drives, path), std::string(drive));
    }

    void dates() {
        for (const auto& [time, text] : {std::pair{CalendarTime{2001, 3, 7, 9, 5, 3}, "3/7/2001 9:05:03 AM"},
                                         {{2024, 12, 31, 0, 0, 0}, "12/31/2024"}, // midnight: no time
                                         {{2024, 6, 15, 12, 0, 0}, "6/15/2024 12:00:00 PM"}}) {
            QCOMPARE(GeneralDateText(time), std::string(text));
            // The same moment as a file time reads in the machine's own clock.
            std::tm local{time.second, time.minute, time.hour, time.day, time.month - 1, time.year - 1900,
                          0,           0,           -1,        0,        nullptr};
            QCOMPARE(LocalDateText(std::mktime(&local)), std::string(text));
        }
        for (const auto& [path, folder] : {std::pair{"/", "/"}, {"/data", "/data/"}, {"/data/", "/data/"}})
            QCOMPARE(FolderWithSlash(path), std::string(folder));
    }
};

QTEST_GUILESS_MAIN(LocalFileSystemTest)
#include "LocalFileSystem_test.moc"
