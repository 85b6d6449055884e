// The local pane in the real window: listing, folders and drives; rename, new folder and delete as
// the user does them (click a row, then the toolbar or the menu, then type the name or answer).
#include "app/DirListBox.h"
#include "app/DriveListBox.h"
#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

class LocalPaneTest : public QObject {
    Q_OBJECT
    std::unique_ptr<MainWindowHarness> m_window;
    frmMain* m_form = nullptr;
    QString m_dir;

    QString path(const QString& name) const { return m_dir + name; }
    QStringList rows(int column = 0) const { return MainWindowHarness::RowTexts(m_form->ListView1, column); }
    QStringList onDisk() const { return m_window->localEntries(); }
    void files(const QStringList& names) {
        for (const QString& name : names)
            QVERIFY(WriteFileBytes(path(name), name.toUtf8()));
        m_window->listLocal();
    }
    void beginRename(const QString& name) {
        m_window->clickLocal({name});
        m_form->Toolbar4_ButtonClick();
        QVERIFY(m_form->ListView1->IsEditingLabel());
    }

private slots:
    void init() {
        m_window = std::make_unique<MainWindowHarness>();
        m_form = &m_window->form();
        m_dir = m_window->localDir();
    }
    void cleanup() { m_window.reset(); }

    void listsPlainVisibleFilesWithExactSizes() {
        QVERIFY(WriteFileBytes(path("b.txt"), QByteArray(1500, 'b')));
        QFile big(path("A.log"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(5000000000)); // sparse
        big.close();
        files({".profile", "old"});
        QVERIFY(QDir(m_dir).mkdir("sub"));
        QVERIFY(QFile::remove(path("old")));
        m_form->Dir1_Change(); // rebuilt from the disk
        QCOMPARE(rows(), QStringList({"A.log", "b.txt"}));
        QCOMPARE(rows(1), QStringList({"5,000,000 Kb", "2 Kb"}));
        QCOMPARE(rows(3), QStringList({"5000000000", "1500"}));
        const QDateTime modified = QFileInfo(path("b.txt")).lastModified();
        QCOMPARE(rows(2)[1], QLocale::c().toString(modified, QStringLiteral("M/d/yyyy h:mm:ss AP")));
        QCOMPARE(m_form->LocalDir, m_dir);
    }

    void foldersAreEnteredAndLeft() {
        QVERIFY(QDir(m_dir).mkpath("sub/.hidden") && QDir(m_dir).mkpath("sub/alpha"));
        QVERIFY(WriteFileBytes(path("sub/inner.txt"), "x"));
        files({"keep"});
        QVERIFY(!m_form->Dir1->SetPath(path("missing")));
        QVERIFY(!m_form->Dir1->SetPath(path("keep")));
        QCOMPARE(rows(), QStringList({"keep"}));
        QListWidgetItem* sub = m_form->Dir1->item(m_form->Dir1->count() - 1);
        QCOMPARE(DirListBox::EntryPath(sub), path("sub"));
        m_form->Dir1->setCurrentItem(sub);
        QTest::keyClick(m_form->Dir1, Qt::Key_Return);
        QCOMPARE(m_form->LocalDir, path("sub/"));
        QCOMPARE(rows(), QStringList({"inner.txt"}));
        QCOMPARE(DirListBox::EntryPath(m_form->Dir1->item(m_form->Dir1->count() - 1)), path("sub/alpha"));
        for (int row = 0; row < m_form->Dir1->count(); ++row)
            if (DirListBox::EntryPath(m_form->Dir1->item(row)) + QLatin1Char('/') == m_dir)
                emit m_form->Dir1->itemDoubleClicked(m_form->Dir1->item(row));
        QCOMPARE(m_form->LocalDir, m_dir);
    }

    void driveThatCannotBeEntered() {
        const QString mountPoint =
            QStringLiteral("/mnt/tovo-missing-%1").arg(QCoreApplication::applicationPid());
        const QString table =
            QStringLiteral("overlay / overlay rw 0 0\n/dev/sdz1 %1 vfat rw 0 0\n").arg(mountPoint);
        m_form->Drive1->SetMountTableReader([table] { return table.toStdString(); });
        files({"keep.txt"});
        const int drive = m_form->Drive1->findData(mountPoint);
        QVERIFY(drive > 0);
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        m_form->Drive1->setCurrentIndex(drive);
        emit m_form->Drive1->activated(drive);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Device not ready!")});
        QCOMPARE(m_form->LocalDir, m_dir);
        QCOMPARE(rows(), QStringList({"keep.txt"}));
    }

    void rename_data() {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QStringList>("after");
        const QStringList unchanged{"a.txt", "b.txt", "sub"};
        QTest::newRow("renamed") << "z.txt" << false << QStringList{"b.txt", "sub", "z.txt"};
        QTest::newRow("onto a file") << "b.txt" << true << unchanged;
        QTest::newRow("onto a folder") << "sub" << true << unchanged;
        QTest::newRow("into a subfolder") << "sub/a.txt" << true << unchanged;
        QTest::newRow("out of the folder") << "../a.txt" << true << unchanged;
        QTest::newRow("emptied") << "" << false << unchanged;
        QTest::newRow("same name") << "a.txt" << false << unchanged;
        QTest::newRow("escape") << QString() << false << unchanged;
    }
    void rename() {
        QFETCH(QString, newName);
        QFETCH(bool, refused);
        QFETCH(QStringList, after);
        QVERIFY(QDir(m_dir).mkdir("sub"));
        files({"a.txt", "b.txt"});
        beginRename("a.txt");
        MsgBoxRecorder boxes;
        if (refused)
            boxes.answerNext(vbOK);
        if (newName.isNull())
            QTest::keyClick(m_form->ListView1->viewport()->findChild<QLineEdit*>(), Qt::Key_Escape);
        else
            m_form->ListView1->CommitLabelEdit(newName);
        QCOMPARE(boxes.calls().size(), refused ? 1 : 0);
        QCOMPARE(onDisk(), after);
        QCOMPARE(ReadFileBytes(path(after.last() == "z.txt" ? "z.txt" : "a.txt")), QByteArray("a.txt"));
        QCOMPARE(ReadFileBytes(path("b.txt")), QByteArray("b.txt"));
        QVERIFY(QDir(path("sub")).isEmpty());
        QCOMPARE(rows(), QStringList(after).filter(QStringLiteral(".txt")));
    }

    void closingTheWindowDuringAnEditRenamesNothing() {
        QTemporaryDir other;
        QVERIFY(WriteFileBytes(other.filePath("a.txt"), "a") && m_form->Dir1->SetPath(other.path()));
        beginRename("a.txt");
        m_form->ListView1->viewport()->findChild<QLineEdit*>()->setText(QStringLiteral("typed.txt"));
        m_window.reset();
        QCOMPARE(QDir(other.path()).entryList(QDir::Files), QStringList({"a.txt"}));
    }

    void renameNeedsTheLocalListFocus() {
        files({"a.txt"});
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        m_form->LastFocus = QStringLiteral("Dir1");
        m_form->Toolbar4_ButtonClick();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("You must select a file!")});
        QVERIFY(!m_form->ListView1->IsEditingLabel());
    }

    void newFolderThenName() {
        files({"b.txt"});
        m_window->clickLocal({"b.txt"});
        MsgBoxRecorder boxes;
        m_form->mnuLocalNewFolder->trigger();
        QVERIFY(QFileInfo(path("New Folder")).isDir());
        QVERIFY(m_form->ListView1->IsEditingLabel());
        m_form->ListView1->CommitLabelEdit(QStringLiteral("Projects"));
        QCOMPARE(onDisk(), QStringList({"Projects", "b.txt"}));
        QCOMPARE(rows(), QStringList({"b.txt"}));
        // A second "New Folder" where one exists says so and keeps the old one with its content.
        QVERIFY(QDir(m_dir).mkpath("New Folder/inside"));
        boxes.answerNext(vbOK);
        m_form->mnuLocalNewFolder_Click();
        QCOMPARE(boxes.texts(), QStringList({"Folder already exists!"}));
        QVERIFY(QFileInfo(path("New Folder/inside")).isDir());
    }

    void keyboardMovesCountAsClicks() {
        files({"a", "b"});
        m_form->ListView1->setFocus();
        QTest::keyClick(m_form->ListView1, Qt::Key_End);
        QCOMPARE(m_form->SelectedLocalName, QStringLiteral("b"));
        QVERIFY(m_form->LocalItemSelected);
        m_form->Dir1_Change(); // a new listing keeps the row last clicked
        QCOMPARE(m_form->SelectedLocalName, QStringLiteral("b"));
    }

    void localFiles_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("middleIsAFolder"); // deleting it as a file fails, even as root
        QTest::addColumn<QStringList>("left");
        QTest::newRow("yes") << int(vbYes) << false << QStringList{"b.txt"};
        QTest::newRow("no") << int(vbNo) << false << QStringList{"a.txt", "b.txt", "c.txt"};
        QTest::newRow("a failure stops the command") << int(vbYes) << true << QStringList{"b.txt", "c.txt"};
    }
    void localFiles() {
        QFETCH(int, answer);
        QFETCH(bool, middleIsAFolder);
        QFETCH(QStringList, left);
        for (const QString name : {"a.txt", "b.txt", "c.txt"})
            QVERIFY(WriteFileBytes(m_dir + name, "x"));
        m_window->listLocal();
        if (middleIsAFolder)
            QVERIFY(QFile::remove(m_dir + "b.txt") && QDir(m_dir).mkpath("b.txt/inner"));
        m_window->clickLocal(middleIsAFolder ? QStringList{"a.txt", "b.txt", "c.txt"}
                                             : QStringList{"a.txt", "c.txt"});
        MsgBoxRecorder boxes;
        boxes.answerNext(answer);
        m_form->Toolbar3_ButtonClick();
        QCOMPARE(boxes.calls().size(), 1); // the question only
        QCOMPARE(onDisk(), left);
        // Only a command that went through lists the folder again.
        QCOMPARE(MainWindowHarness::RowTexts(m_form->ListView1).size(), left.size() == 1 ? 1 : 3);
    }

    // The folder list had the focus: its current folder goes when it is empty.
    void localFolder_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("shownAfter");
        QTest::newRow("empty folder") << "work/empty" << int(vbYes) << true << "start";
        QTest::newRow("answered no") << "work/empty" << int(vbNo) << false << "work/empty";
        QTest::newRow("folder with a file") << "work/full" << int(vbYes) << false << "work/full";
        QTest::newRow("the start folder itself") << "start/inner" << int(vbYes) << true << "start";
    }
    void localFolder() {
        QFETCH(QString, folder);
        QFETCH(int, answer);
        QFETCH(bool, removed);
        QFETCH(QString, shownAfter);
        QVERIFY(QDir(m_dir).mkpath("work/empty") && QDir(m_dir).mkpath("work/full") &&
                QDir(m_dir).mkpath("start/inner"));
        QVERIFY(WriteFileBytes(m_dir + "work/full/f.txt", "f"));
        m_form->Dir1->SetPath(m_dir + (folder == "start/inner" ? folder : "start"));
        m_form->StartLocalDir = m_form->Dir1->Path();
        QVERIFY(m_form->Dir1->SetPath(m_dir + folder));
        m_form->LastFocus = QStringLiteral("Dir1");
        MsgBoxRecorder boxes;
        boxes.answerNext(answer);
        if (folder == "work/full")
            boxes.answerNext(vbOK); // "... is not empty"
        m_form->Toolbar3_ButtonClick();
        QCOMPARE(QFileInfo::exists(m_dir + folder), !removed);
        QVERIFY(QFileInfo::exists(m_dir + "work/full/f.txt"));
        QCOMPARE(m_form->LocalDir, m_dir + shownAfter + '/');
    }

    void remoteFilesAndFolders() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        for (const QString name : {"a.txt", "b.txt", "c.txt", "full/inner.txt"})
            server.writeFile(name, "x");
        server.makeDir("empty");
        MsgBoxRecorder boxes;
        m_window->connectOk(server, "user", "secret", boxes);
        // Answers other than Yes change nothing.
        for (const int answer : {int(vbNo), int(vbCancel)}) {
            m_window->clickRemote({"empty"});
            boxes.answerNext(answer);
            m_form->Toolbar3_ButtonClick();
        }
        QCOMPARE(QDir(server.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 QStringList({"a.txt", "b.txt", "c.txt", "empty", "full"}));
        m_window->clickRemote({"a.txt", "c.txt"});
        boxes.answerNext(vbYes);
        m_form->Toolbar3_ButtonClick();
        QCOMPARE(QDir(server.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 QStringList({"b.txt", "empty", "full"}));
        QCOMPARE(m_window->remoteRow("a.txt") + m_window->remoteRow("c.txt"), 0);
        // A folder with files: the server refuses and the list stays.
        m_window->clickRemote({"full"});
        const QStringList before = m_window->remoteNames();
        boxes.answerNext(vbYes);
        boxes.answerNext(vbOK);
        m_form->Toolbar3_ButtonClick();
        QCOMPARE(boxes.texts().last(), QStringLiteral("Directory is not empty"));
        QCOMPARE(m_window->remoteNames(), before);
        // Click one folder, move to the other by keyboard: the folder removed is the one asked about.
        m_window->clickRemote({"full"});
        const bool emptyAbove = m_window->remoteRow("empty") < m_window->remoteRow("full");
        QTest::keyClick(m_form->lstRemoteFiles, emptyAbove ? Qt::Key_Up : Qt::Key_Down);
        boxes.answerNext(vbYes);
        m_form->Toolbar3_ButtonClick();
        QCOMPARE(QDir(server.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 QStringList({"b.txt", "full"}));
        QCOMPARE(m_window->remoteRow("empty"), 0);
    }
};

QTEST_MAIN(LocalPaneTest)
#include "LocalPane_test.moc"
