// Which mounted file systems the drive list offers, and which drive holds a folder.
#include "local/Drives.h"

#include <QtTest>

class DrivesTest : public QObject {
    Q_OBJECT
private slots:
    void drivesFromMountTable_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QStringList>("drives");
        QTest::newRow("what a user browses")
            << "overlay / overlay rw,relatime 0 0\nproc /proc proc rw 0 0\ntmpfs /dev tmpfs rw 0 0\n"
               "sysfs /sys sysfs ro 0 0\ncgroup2 /sys/fs/cgroup cgroup2 ro 0 0\n/dev/sda2 /home ext4 rw 0 0\n"
               "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n/dev/sdc1 /mnt/backup ext4 rw 0 0\n"
               "/dev/sdd1 /run/media/ann/CARD exfat rw 0 0\ntmpfs /run/media/ann/scratch tmpfs rw 0 0\n"
               "/dev/sda3 /var ext4 rw 0 0\n/dev/loop0 /snap/core/1 squashfs ro 0 0\n"
               "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n"
            << "/home/ann"
            << QStringList{"/", "/home", "/media/ann/USB STICK", "/mnt/backup", "/run/media/ann/CARD"};
        QTest::newRow("empty table") << ""
                                     << "/root" << QStringList{"/"};
        QTest::newRow("garbage") << "garbage\n\n"
                                 << "/root" << QStringList{"/"};
        QTest::newRow("home mounted elsewhere") << "/dev/sda1 / ext4 rw 0 0\n/dev/sda4 /srv/users/bob xfs rw "
                                                   "0 0\n/dev/sda5 /srv/other xfs rw 0 0\n"
                                                << "/srv/users/bob" << QStringList{"/", "/srv/users/bob"};
        QTest::newRow("similar prefixes")
            << "/dev/sda1 /mediaX ext4 rw 0 0\n/dev/sda2 /mntx ext4 rw 0 0\n/dev/sda3 /media ext4 rw 0 0\n"
            << "/root" << QStringList{"/"};
    }
    void drivesFromMountTable() {
        QFETCH(QString, table);
        QFETCH(QString, home);
        QFETCH(QStringList, drives);
        QStringList offered;
        for (const std::string& drive : DrivesFromMountTable(table.toStdString(), home.toStdString()))
            offered.append(QString::fromStdString(drive));
        QCOMPARE(offered, drives);
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
        QVERIFY(!ReadMountTable().empty());
    }
};

QTEST_GUILESS_MAIN(DrivesTest)
#include "Drives_test.moc"
