// The local pane in the real window: listing, folders and drives; rename, new folder and delete as
// the user does them (click a row, then the toolbar or the menu, then type the name or answer).
#include "app/frmMain.h"
#include "local/LocalPane.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"
#include "toolkit/DirListBox.h"
#include "toolkit/DriveListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QDir>
#include <QLineEdit>
#include <QScopeGuard>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class LocalPaneTest : public QObject {
    Q_OBJECT
    std::unique_ptr<MainWindowHarness> m_window;
    frmMain* m_form = nullptr;
    QString m_dir;

    QStringList rows(int column = 0) const { return MainWindowHarness::RowTexts(m_form->ListView1, column); }
    void files(const QStringList& names) {
        for (const QString& name : names)
            QVERIFY(WriteFileBytes(m_dir + name, name.toUtf8()));
        m_window->listLocal();
    }
    // Runs a user action with these answers ready for its message boxes; returns the texts shown.
    static QStringList answering(const QList<int>& answers, const std::function<void()>& action) {
        MsgBoxRecorder boxes;
        for (const int answer : answers)
            boxes.answerNext(answer);
        action();
        return boxes.texts();
    }
    QStringList remoteEntries(const FtpTestServer& server) const {
        return QDir(server.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }

private slots:
    void init() {
        m_window = std::make_unique<MainWindowHarness>();
        m_form = &m_window->form();
        m_dir = m_window->localDir();
    }
    void cleanup() { m_window.reset(); }

    void listsPlainVisibleFilesWithExactSizes() {
        QVERIFY(WriteFileBytes(m_dir + "b.txt", QByteArray(1500, 'b')));
        QFile big(m_dir + "A.log");
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(5000000000)); // sparse
        big.close();
        files({".profile", "old"});
        QVERIFY(QDir(m_dir).mkdir("sub") && QFile::remove(m_dir + "old"));
        QVERIFY(WriteFileBytes(m_dir + "c", QByteArray(10000, 'c')));
        const auto dated = [&](const QString& name, const QDate& day) {
            QFile file(m_dir + name);
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(QDateTime(day, QTime(9, 0)), QFileDevice::FileModificationTime));
        };
        dated("A.log", {2025, 1, 2}), dated("b.txt", {2024, 6, 15}), dated("c", {2023, 12, 31});
        m_form->local().Dir1_Change(); // rebuilt from the disk
        QCOMPARE(rows(), QStringList({"A.log", "b.txt", "c"}));
        QCOMPARE(rows(3), QStringList({"5000000000", "1500", "10000"}));
        // As texts "10 Kb" would come before "2 Kb", and "1/2/2025" before "12/31/2023".
        m_form->local().ListView1_ColumnClick(2);
        QCOMPARE(rows(), QStringList({"b.txt", "c", "A.log"}));
        m_form->local().ListView1_ColumnClick(3);
        QCOMPARE(rows(), QStringList({"c", "b.txt", "A.log"}));
    }

    void foldersAreEnteredAndLeft() {
        QVERIFY(QDir(m_dir).mkpath("sub/.hidden") && QDir(m_dir).mkpath("sub/alpha"));
        QVERIFY(WriteFileBytes(m_dir + "sub/inner.txt", "x"));
        files({"keep"});
        QListWidgetItem* sub = m_form->Dir1->item(m_form->Dir1->count() - 1);
        QCOMPARE(DirListBox::EntryPath(sub), QFile::encodeName(m_dir + "sub").toStdString());
        m_form->Dir1->setCurrentItem(sub);
        QTest::keyClick(m_form->Dir1, Qt::Key_Return);
        QCOMPARE(m_form->local().CurrentDir(), m_dir + "sub/");
        QCOMPARE(rows(), QStringList({"inner.txt"}));
    }

    // Refused with a message (onto a file or a folder, out of the folder), kept silently, or renamed.
    void rename() {
        QVERIFY(QDir(m_dir).mkdir("sub"));
        files({"a.txt", "b.txt"});
        const auto edit = [&](const QString& name, int messages) { // a null name: left with Escape
            m_window->clickLocal({"a.txt"});
            m_form->Toolbar4_ButtonClick();
            QLineEdit* editor = m_form->ListView1->viewport()->findChild<QLineEdit*>();
            const auto end = [&] {
                name.isNull() ? QTest::keyClick(editor, Qt::Key_Escape)
                              : m_form->ListView1->CommitLabelEdit(name);
            };
            QCOMPARE(answering(QList<int>(messages, vbOK), end).size(), messages);
        };
        edit("b.txt", 1), edit("../a.txt", 1), edit(QString(), 0);
        QCOMPARE(m_window->localEntries(), QStringList({"a.txt", "b.txt", "sub"}));
        QVERIFY(ReadFileBytes(m_dir + "b.txt") == "b.txt");
        edit("z.txt", 0);
        QCOMPARE(ReadFileBytes(m_dir + "z.txt"), QByteArray("a.txt"));
        QCOMPARE(rows(), QStringList({"b.txt", "z.txt"}));
        m_window->clickLocal({"z.txt"});
        m_form->Toolbar4_ButtonClick();
        QCOMPARE(answering({vbOK}, [&] { m_form->ListView1->CommitLabelEdit(".z.txt"); }).size(),
                 1); // hidden
        QCOMPARE(rows(), QStringList({"b.txt"}));
    }

    void newFolderThenName_data() {
        QTest::addColumn<QString>("folder"); // where; "gone" is a folder removed while shown
        QTest::addColumn<QString>("cause");  // the message's second line; empty: no message
        QTest::newRow("writable") << ""
                                  << "";
        QTest::newRow("removed while shown") << "gone"
                                             << "No such file or directory";
        QTest::newRow("takes no new folder") << "/sys"
                                             << "";
    }
    void newFolderThenName() {
        QFETCH(QString, folder);
        QFETCH(QString, cause);
        files({"b.txt"});
        if (folder == "gone") {
            QVERIFY(QDir(m_dir).mkdir("gone") && m_form->Dir1->SetPath(m_dir + "gone") &&
                    QDir(m_dir).rmdir("gone"));
        } else if (!folder.isEmpty()) {
            QVERIFY(m_form->Dir1->SetPath(folder));
        }
        const QStringList shown = answering(QList<int>(folder.isEmpty() ? 0 : 1, vbOK),
                                            [&] { m_form->mnuLocalNewFolder->trigger(); });
        if (!folder.isEmpty()) { // a message with the cause, and no row to name
            QCOMPARE(shown.size(), 1);
            if (!cause.isEmpty())
                QCOMPARE(shown[0].section("\r\n", 1), cause);
            QVERIFY(!m_form->ListView1->IsEditingLabel() && !rows().contains("New Folder"));
            return;
        }
        QVERIFY(QFileInfo(m_dir + "New Folder").isDir() && m_form->ListView1->IsEditingLabel());
        m_form->ListView1->CommitLabelEdit(QStringLiteral("Projects"));
        QCOMPARE(m_window->localEntries(), QStringList({"Projects", "b.txt"}));
    }

    void localFiles_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("middle"); // b.txt when the command runs: "file", "folder" or "gone"
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("failure"); // the message after the question; empty: none
        QTest::newRow("yes") << int(vbYes) << "file" << QStringList{} << "";
        QTest::newRow("no") << int(vbNo) << "file" << QStringList{"a.txt", "b.txt", "c.txt"} << "";
        // Deleting a folder as a file fails, even as root.
        QTest::newRow("a failure stops the command and is reported")
            << int(vbYes) << "folder" << QStringList{"b.txt", "c.txt"}
            << "Could not delete b.txt.\r\nIs a directory";
        QTest::newRow("a file gone meanwhile") << int(vbYes) << "gone" << QStringList{} << "";
    }
    void localFiles() {
        QFETCH(int, answer);
        QFETCH(QString, middle);
        QFETCH(QStringList, left);
        QFETCH(QString, failure);
        files({"a.txt", "b.txt", "c.txt"});
        m_window->clickLocal({"a.txt", "b.txt", "c.txt"});
        if (middle != "file")
            QVERIFY(QFile::remove(m_dir + "b.txt") &&
                    (middle == "gone" || QDir(m_dir).mkpath("b.txt/inner")));
        const QStringList shown = answering({answer, vbOK}, [&] { m_form->Toolbar3_ButtonClick(); });
        QCOMPARE(shown.mid(1).join(""), failure);
        QCOMPARE(m_window->localEntries(), left);
        // The list shows what is left, whether the command went through or stopped.
        QCOMPARE(rows(), answer == vbNo ? left : QStringList(left.mid(middle == "folder" ? 1 : 0)));
    }

    // The current folder: removed as its link's target would be, refused with the real cause, or
    // already gone; the pane then moves to the start-up folder.
    void currentFolder_data() {
        QTest::addColumn<QString>("shown"); // entered from the test folder
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("empty") << "empty"
                               << "" << QStringList{"full", "start"};
        QTest::newRow("holds files") << "full"
                                     << "full  is not empty.  Could not delete directory."
                                     << QStringList{"empty", "full", "link", "start"};
        QTest::newRow("through a link") << "link"
                                        << "" << QStringList{"full", "start"}; // its target goes
        QTest::newRow("the root") << "/"
                                  << "/  Could not delete directory.\r\nDevice or resource busy"
                                  << QStringList{"empty", "full", "link", "start"};
        QTest::newRow("gone meanwhile") << "gone"
                                        << "" << QStringList{"empty", "full", "link", "start"};
    }
    void currentFolder() {
        QFETCH(QString, shown);
        QFETCH(QString, message);
        QFETCH(QStringList, left);
        QVERIFY(QDir(m_dir).mkpath("empty") && QDir(m_dir).mkpath("full/f") && QDir(m_dir).mkpath("start") &&
                QDir(m_dir).mkpath("gone"));
        QVERIFY(QFile::link(m_dir + "empty", m_dir + "link"));
        const QString path = shown.startsWith('/') ? shown : m_dir + shown;
        QVERIFY(m_form->Dir1->SetPath(path));
        QVERIFY(QDir(m_dir).rmdir("gone"));
        m_form->local().SetStartLocalDir(m_dir + "start");
        const QStringList texts = answering(
            {vbYes, vbOK}, [&] { m_form->local().Dir1_GotFocus(), m_form->Toolbar3_ButtonClick(); });
        QCOMPARE(texts.mid(1).join(""), message.startsWith('/') ? message
                                        : message.isEmpty()     ? ""
                                                                : m_dir + message);
        QCOMPARE(m_window->localEntries(), left);
        QCOMPARE(m_form->Dir1->Path(), message.isEmpty() ? m_dir + "start" : path);
    }

    void removedFolderIsLeftForTheNearestParent() {
        QVERIFY(QDir(m_dir).mkpath("a/b/c") && m_form->Dir1->SetPath(m_dir + "a/b/c"));
        QVERIFY(QDir(m_dir + "a/b").removeRecursively());
        m_form->local().Dir1_Change(); // as Refresh does
        QCOMPARE(m_form->Dir1->Path(), m_dir + "a");
        QCOMPARE(m_form->local().CurrentDir(), m_dir + "a/");
    }

    // The pane on widgets of its own: a name that is not UTF-8 is shown with a replacement
    // character, yet renamed and deleted as the bytes the disk gave.
    void nonUtf8NamesStandAlone() {
        DriveListBox drives;
        DirListBox folders;
        ListView list;
        list.SetMultiSelect(true);
        LocalPane pane({&drives, &folders, &list, nullptr});
        connect(&folders, &DirListBox::Change, &pane, &LocalPane::Dir1_Change);
        connect(&list, &ListView::AfterLabelEdit, &pane, &LocalPane::ListView1_AfterLabelEdit);
        for (const char* name : {"caf\xe9.txt", "na\xefve.txt"})
            QVERIFY(::close(::open((QFile::encodeName(m_dir) + name).constData(), O_CREAT | O_WRONLY,
                                   0600)) == 0);
        QVERIFY(folders.SetPath(m_dir.chopped(1)));
        QCOMPARE(MainWindowHarness::RowTexts(&list), QStringList({"caf\uFFFD.txt", "na\uFFFDve.txt"}));
        list.SetSelectedItem(list.Item(1));
        pane.BeginLocalRename();
        list.CommitLabelEdit(QStringLiteral("cafe.txt"));
        list.SetSelectedItem(list.Item(2));
        pane.ListView1_GotFocus();
        answering({vbYes}, [&] { pane.DeleteSelection(); });
        QCOMPARE(m_window->localEntries(), QStringList({"cafe.txt"}));

        // A folder of such a name is entered by its bytes.
        const std::string folder = QFile::encodeName(m_dir).toStdString() + "d\xe9r";
        QVERIFY(::mkdir(folder.c_str(), 0700) == 0);
        QVERIFY(::close(::open((folder + "/inner.txt").c_str(), O_CREAT | O_WRONLY, 0600)) == 0);
        const auto tidy = qScopeGuard([&] {
            ::unlink((folder + "/inner.txt").c_str());
            ::rmdir(folder.c_str());
        });
        folders.Refresh();
        const QList<QListWidgetItem*> rows = folders.findItems(QStringLiteral("d\uFFFDr"), Qt::MatchEndsWith);
        QCOMPARE(rows.size(), 1);
        emit folders.itemDoubleClicked(rows.first());
        QCOMPARE(pane.CurrentDirBytes(), folder + "/");
        QCOMPARE(MainWindowHarness::RowTexts(&list), QStringList({"inner.txt"}));
    }

    void remoteFilesAndFolders() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        for (const QString name : {"a.txt", "full/inner.txt"})
            server.writeFile(name, "x");
        server.writeFile("b.txt", QByteArray(10 * 1024, 'b'));
        server.writeFile("c.txt", QByteArray(9 * 1024, 'c'));
        server.makeDir("empty");
        MsgBoxRecorder boxes;
        m_window->connectOk(server, "user", "secret", boxes);
        // Sizes by value: as texts "10Kb" would come before "9Kb".
        m_form->lstRemoteFiles->SetSortKey(1);
        m_form->lstRemoteFiles->SetSorted(true);
        QCOMPARE(m_window->remoteNames().mid(2),
                 QStringList({"a.txt", "c.txt", "b.txt"})); // after the folders
        m_form->lstRemoteFiles->SetSorted(false);
        const auto remove = [&](const QStringList& rows, const QList<int>& answers) {
            m_window->clickRemote(rows);
            return answering(answers, [&] { m_form->Toolbar3_ButtonClick(); });
        };
        remove({"empty"}, {vbCancel}); // answers other than Yes change nothing
        remove({"a.txt", "c.txt"}, {vbYes});
        QCOMPARE(remoteEntries(server), QStringList({"b.txt", "empty", "full"}));
        QCOMPARE(m_window->remoteRow("a.txt") + m_window->remoteRow("c.txt"), 0);
        remove({"full"}, {vbYes, vbOK}); // a folder with files: the server refuses
        // Click one folder, move to the other by keyboard: the folder removed is the one asked about.
        m_window->clickRemote({"full"});
        const bool emptyAbove = m_window->remoteRow("empty") < m_window->remoteRow("full");
        QTest::keyClick(m_form->lstRemoteFiles, emptyAbove ? Qt::Key_Up : Qt::Key_Down);
        answering({vbYes}, [&] { m_form->Toolbar3_ButtonClick(); });
        QCOMPARE(remoteEntries(server), QStringList({"b.txt", "full"}));
        QCOMPARE(m_window->remoteRow("empty"), 0);
    }
};

QTEST_MAIN(LocalPaneTest)
#include "LocalPane_test.moc"
