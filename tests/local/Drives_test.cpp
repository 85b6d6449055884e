#include "local/Drives.h"

#include <QtTest>

namespace {

QStringList toList(const std::vector<std::string>& drives) {
    QStringList list;
    for (const std::string& drive : drives)
        list.append(QString::fromStdString(drive));
    return list;
}

} // namespace

class DrivesTest : public QObject {
    Q_OBJECT
private slots:
    void picksWhatAUserBrowses() {
        const std::string table = "overlay / overlay rw,relatime 0 0\n"
                                  "proc /proc proc rw 0 0\n"
                                  "tmpfs /dev tmpfs rw 0 0\n"
                                  "devpts /dev/pts devpts rw 0 0\n"
                                  "sysfs /sys sysfs ro 0 0\n"
                                  "cgroup2 /sys/fs/cgroup cgroup2 ro 0 0\n"
                                  "/dev/sda2 /home ext4 rw 0 0\n"
                                  "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n"
                                  "/dev/sdc1 /mnt/backup ext4 rw 0 0\n"
                                  "/dev/sdd1 /run/media/ann/CARD exfat rw 0 0\n"
                                  "tmpfs /run/media/ann/scratch tmpfs rw 0 0\n"
                                  "/dev/sda3 /var ext4 rw 0 0\n"
                                  "/dev/loop0 /snap/core/1 squashfs ro 0 0\n"
                                  "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n";
        QCOMPARE(toList(DrivesFromMountTable(table, "/home/ann")),
                 QStringList({"/", "/home", "/media/ann/USB STICK", "/mnt/backup", "/run/media/ann/CARD"}));
    }

    void rootIsAlwaysOffered() {
        QCOMPARE(toList(DrivesFromMountTable("", "/root")), QStringList({"/"}));
        QCOMPARE(toList(DrivesFromMountTable("garbage\n\n", "/root")), QStringList({"/"}));
    }

    void homeFolderMountedElsewhere() {
        const std::string table = "/dev/sda1 / ext4 rw 0 0\n/dev/sda4 /srv/users/bob xfs rw 0 0\n"
                                  "/dev/sda5 /srv/other xfs rw 0 0\n";
        QCOMPARE(toList(DrivesFromMountTable(table, "/srv/users/bob")), QStringList({"/", "/srv/users/bob"}));
    }

    void similarPrefixesAreNotFolders() {
        const std::string table = "/dev/sda1 /mediaX ext4 rw 0 0\n/dev/sda2 /mntx ext4 rw 0 0\n"
                                  "/dev/sda3 /media ext4 rw 0 0\n";
        QCOMPARE(toList(DrivesFromMountTable(table, "/root")), QStringList({"/"}));
    }

    void driveOfPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("drive");
        QTest::newRow("root itself") << "/"
                                     << "/";
        QTest::newRow("plain folder") << "/usr/share"
                                      << "/";
        QTest::newRow("mount point itself") << "/mnt/usb"
                                            << "/mnt/usb";
        QTest::newRow("below a mount point") << "/mnt/usb/photos"
                                             << "/mnt/usb";
        QTest::newRow("a longer name is not below") << "/mnt/usb2"
                                                    << "/";
        QTest::newRow("deepest mount wins") << "/home/ann/work/x"
                                            << "/home/ann/work";
    }
    void driveOfPath() {
        QFETCH(QString, path);
        QFETCH(QString, drive);
        const std::vector<std::string> drives{"/", "/mnt/usb", "/home", "/home/ann/work"};
        QCOMPARE(QString::fromStdString(DriveOfPath(drives, path.toStdString())), drive);
    }

    void readsTheRealTable() { QVERIFY(!ReadMountTable().empty()); }
};

QTEST_GUILESS_MAIN(DrivesTest)
#include "Drives_test.moc"
