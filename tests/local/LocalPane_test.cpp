#include "app/DirListBox.h"
#include "app/DriveListBox.h"
#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/PaneTestHelpers.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

QStringList dirEntries(const DirListBox* dir) {
    QStringList entries;
    for (int i = 0; i < dir->count(); ++i)
        entries.append(DirListBox::EntryPath(dir->item(i)));
    return entries;
}

} // namespace

class LocalPaneTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<MainWindowHarness> m_harness;
    frmMain* m_form = nullptr;

    void writeFile(const QString& name, qint64 size = 0) { WriteSizedFile(m_dir.filePath(name), size); }

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
        m_harness = std::make_unique<MainWindowHarness>();
        m_form = &m_harness->form();
    }
    void cleanup() { m_harness.reset(); }

    void emptyFolderStillSetsTheFolder() {
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QCOMPARE(m_form->ListView1->Count(), 0);
        QCOMPARE(m_form->LocalDirPath, m_dir.path());
        QCOMPARE(m_form->LocalDir, m_dir.path() + "/");
    }

    void rootAndSubfolderPaths() {
        QVERIFY(m_form->Dir1->SetPath(QStringLiteral("/")));
        QCOMPARE(m_form->LocalDirPath, QStringLiteral("/"));
        QCOMPARE(m_form->LocalDir, QStringLiteral("/"));
        QVERIFY(m_form->Dir1->SetPath(m_dir.path() + "/"));
        QCOMPARE(m_form->Dir1->Path(), m_dir.path());
        QCOMPARE(m_form->LocalDir, m_dir.path() + "/");
    }

    void listsPlainVisibleFilesWithTheirTexts() {
        writeFile("b.txt", 1500);
        writeFile("A.log", 1234567);
        writeFile(".profile", 10);
        QVERIFY(QDir(m_dir.path()).mkdir("sub"));
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));

        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"A.log", "b.txt"}));
        QCOMPARE(RowTexts(m_form->ListView1, 1), QStringList({"1,235 Kb", "2 Kb"}));
        QCOMPARE(RowTexts(m_form->ListView1, 3), QStringList({"1234567", "1500"}));
        const QDateTime modified = QFileInfo(m_dir.filePath("b.txt")).lastModified();
        QCOMPARE(ListView::SubItem(m_form->ListView1->Item(2), 2),
                 QLocale::c().toString(modified, QStringLiteral("M/d/yyyy h:mm:ss AP")));
    }

    // The boundaries of the size text are tested on the formatter; here the size must survive the listing.
    void sizeBeyond32BitsIsExact() {
        writeFile("f", 5000000000);
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QCOMPARE(RowTexts(m_form->ListView1, 1), QStringList{"5,000,000 Kb"});
        QCOMPARE(RowTexts(m_form->ListView1, 3), QStringList{"5000000000"});
    }

    // Every extension is tested on the icon lookup; here only that the listing uses the last one.
    void iconsByLastExtension() {
        writeFile("archive.tar.ZIP");
        writeFile("README");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"archive.tar.ZIP", "README"}));
        QCOMPARE(ListView::SmallIcon(m_form->ListView1->Item(1)), 7);
        QCOMPARE(ListView::SmallIcon(m_form->ListView1->Item(2)), 15);
    }

    void listingRebuildsFromTheDisk() {
        writeFile("old");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QVERIFY(QFile::remove(m_dir.filePath("old")));
        writeFile("new", 2000);
        m_form->Dir1_Change();
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"new"}));
        QCOMPARE(ListView::SubItem(m_form->ListView1->Item(1), 1), QStringLiteral("2 Kb"));
    }

    void listingKeepsTheRowLastClicked() {
        writeFile("a");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        m_form->ListView1_ItemClick(m_form->ListView1->Item(1));
        m_form->Dir1_Change();
        QCOMPARE(m_form->SelectedLocalName, QStringLiteral("a"));
        QVERIFY(m_form->LocalItemSelected);
    }

    void folderListShowsThePathThenSubfolders() {
        QVERIFY(QDir(m_dir.path()).mkpath("one/two"));
        QVERIFY(QDir(m_dir.path()).mkpath("one/.hidden"));
        QVERIFY(QDir(m_dir.path()).mkpath("one/alpha"));
        QVERIFY(m_form->Dir1->SetPath(m_dir.filePath("one")));
        const QStringList entries = dirEntries(m_form->Dir1);
        QCOMPARE(entries.first(), QStringLiteral("/"));
        QCOMPARE(
            entries.mid(entries.indexOf(m_dir.filePath("one"))),
            QStringList({m_dir.filePath("one"), m_dir.filePath("one/alpha"), m_dir.filePath("one/two")}));
        QCOMPARE(DirListBox::EntryPath(m_form->Dir1->currentItem()), m_dir.filePath("one"));
    }

    void openingAFolderEntryListsIt() {
        QVERIFY(QDir(m_dir.path()).mkpath("sub"));
        WriteSizedFile(m_dir.filePath("sub/inner.txt"), 1);
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QListWidgetItem* sub = m_form->Dir1->item(m_form->Dir1->count() - 1);
        QCOMPARE(DirListBox::EntryPath(sub), m_dir.filePath("sub"));

        m_form->Dir1->setCurrentItem(sub);
        QTest::keyClick(m_form->Dir1, Qt::Key_Return);
        QCOMPARE(m_form->LocalDirPath, m_dir.filePath("sub"));
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"inner.txt"}));

        // Up again through the path entry of the parent folder.
        const int parentRow = dirEntries(m_form->Dir1).indexOf(m_dir.path());
        QVERIFY(parentRow >= 0);
        emit m_form->Dir1->itemDoubleClicked(m_form->Dir1->item(parentRow));
        QCOMPARE(m_form->LocalDirPath, m_dir.path());
    }

    void folderThatCannotBeEnteredChangesNothing() {
        writeFile("keep");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QVERIFY(!m_form->Dir1->SetPath(m_dir.filePath("missing")));
        QVERIFY(!m_form->Dir1->SetPath(m_dir.filePath("keep")));
        QCOMPARE(m_form->LocalDirPath, m_dir.path());
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"keep"}));
    }

    void focusOnTheFolderListIsRecorded() {
        m_form->LastFocus = QStringLiteral("remote");
        m_form->show();
        m_form->activateWindow();
        m_form->Dir1->setFocus();
        QTRY_COMPARE(m_form->LastFocus, QStringLiteral("Dir1"));
    }

    void eachDriveRemembersItsFolder() {
        const QString home = QDir::homePath();
        if (home == QStringLiteral("/") || m_dir.path().startsWith(home + "/"))
            QSKIP("needs a home folder apart from the temporary folder");
        const QString table =
            QStringLiteral("overlay / overlay rw 0 0\n/dev/sdb1 %1 ext4 rw 0 0\n").arg(home);
        m_form->Drive1->SetMountTableReader([table] { return table.toStdString(); });
        QVERIFY(QDir(m_dir.path()).mkpath("sub"));
        QVERIFY(m_form->Dir1->SetPath(m_dir.filePath("sub")));
        QCOMPARE(m_form->Drive1->MountPoint(), QStringLiteral("/"));
        QCOMPARE(m_form->Drive1->Drive(), m_dir.filePath("sub"));

        const int homeDrive = m_form->Drive1->findData(home);
        QVERIFY(homeDrive > 0);
        m_form->Drive1->setCurrentIndex(homeDrive);
        emit m_form->Drive1->activated(homeDrive);
        QCOMPARE(m_form->LocalDirPath, home);

        m_form->Drive1->setCurrentIndex(0);
        emit m_form->Drive1->activated(0);
        QCOMPARE(m_form->LocalDirPath, m_dir.filePath("sub"));

        // The folder remembered for a drive has gone: the drive opens at its root.
        m_form->Drive1->setCurrentIndex(homeDrive);
        emit m_form->Drive1->activated(homeDrive);
        QVERIFY(QDir(m_dir.path()).rmdir("sub"));
        m_form->Drive1->setCurrentIndex(0);
        emit m_form->Drive1->activated(0);
        QCOMPARE(m_form->LocalDirPath, QStringLiteral("/"));
    }

    void driveThatCannotBeEntered_data() {
        QTest::addColumn<bool>("removeAfterListing");
        QTest::newRow("not mounted any more") << true;
        QTest::newRow("mount point missing") << false;
    }
    void driveThatCannotBeEntered() {
        QFETCH(bool, removeAfterListing);
        const QString mountPoint =
            QStringLiteral("/mnt/tovo-test-%1").arg(QCoreApplication::applicationPid());
        if (removeAfterListing && !QDir().mkpath(mountPoint))
            QSKIP("cannot make a folder under /mnt here");
        const QString table =
            QStringLiteral("overlay / overlay rw 0 0\n/dev/sdz1 %1 vfat rw 0 0\n").arg(mountPoint);
        m_form->Drive1->SetMountTableReader([table] { return table.toStdString(); });
        writeFile("keep.txt");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        const int drive = m_form->Drive1->findData(mountPoint);
        QVERIFY(drive > 0);
        if (removeAfterListing)
            QVERIFY(QDir().rmdir(mountPoint));

        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        m_form->Drive1->setCurrentIndex(drive);
        emit m_form->Drive1->activated(drive);
        QCOMPARE(boxes.calls().size(), 1);
        QCOMPARE(boxes.calls()[0].text, QStringLiteral("Device not ready!"));
        QCOMPARE(boxes.calls()[0].title, QStringLiteral("Drive Error!"));
        QCOMPARE(boxes.calls()[0].style, int(vbOKOnly | vbCritical));
        QCOMPARE(m_form->Dir1->Path(), m_dir.path());
        QCOMPARE(m_form->LocalDirPath, m_dir.path());
        QCOMPARE(m_form->LocalDir, m_dir.path() + "/");
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"keep.txt"}));
    }

    void driveWithoutPermission() {
        if (geteuid() == 0)
            QSKIP("permissions do not stop root from entering a folder");
        QVERIFY(QDir(m_dir.path()).mkpath("locked"));
        QVERIFY(QFile::setPermissions(m_dir.filePath("locked"), QFileDevice::Permissions()));
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QVERIFY(!m_form->Dir1->SetPath(m_dir.filePath("locked")));
        QCOMPARE(m_form->LocalDirPath, m_dir.path());
        QFile::setPermissions(m_dir.filePath("locked"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
};

QTEST_MAIN(LocalPaneTest)
#include "LocalPane_test.moc"
