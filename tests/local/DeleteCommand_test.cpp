#include "app/DirListBox.h"
#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "session/WinInetAPI.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/OffscreenMainWindow.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int TextIcon = 14;

} // namespace

class DeleteCommandTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_appDir;
    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_form;

    void writeFile(const QString& name) { WriteSizedFile(m_dir.filePath(name), 3); }
    QStringList filesOnDisk(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }
    void selectLocal(const QStringList& names) {
        m_form->ListView1->ClearSelectedItem();
        for (int i = 1; i <= m_form->ListView1->Count(); ++i)
            ListView::SetSelected(m_form->ListView1->Item(i),
                                  names.contains(ListView::Text(m_form->ListView1->Item(i))));
        m_form->LastFocus = QStringLiteral("listview1");
    }
    // Remote rows as a listing of `directory` gives them (folders first).
    void fillRemote(const QString& directory, const QStringList& folders, const QStringList& files) {
        m_form->lblDirectory->setText(directory);
        m_form->RemoteCurrentDir = directory;
        m_form->lstRemoteFiles->ClearRows();
        m_form->lstRemoteFiles->SetMultiSelect(true);
        for (const QString& folder : folders)
            m_form->lstRemoteFiles->Add(folder, FolderIcon);
        for (const QString& file : files)
            m_form->lstRemoteFiles->Add(file, TextIcon);
        m_form->LastFocus = QStringLiteral("remote");
    }
    void selectRemote(const QStringList& names) {
        ListView* list = m_form->lstRemoteFiles;
        list->ClearSelectedItem();
        for (int i = 1; i <= list->Count(); ++i)
            if (names.contains(ListView::Text(list->Item(i)))) {
                if (!list->SelectedItem())
                    list->SetSelectedItem(list->Item(i));
                ListView::SetSelected(list->Item(i), true);
            }
    }

private slots:
    void init() {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
        m_form = MakeOffscreenMainWindow(m_appDir.path());
        ResetFtpSession();
    }
    void cleanup() {
        m_form.reset();
        ResetFtpSession();
    }

    void deletesTheSelectedLocalFiles() {
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            writeFile(QString::fromLatin1(name));
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        selectLocal({"a.txt", "c.txt"});

        MsgBoxRecorder boxes;
        boxes.answerNext(vbYes);
        m_form->Toolbar3_ButtonClick();
        QCOMPARE(boxes.texts(), QStringList({"Are you sure you want to delete selected files?"}));
        QCOMPARE(boxes.calls()[0].title, QStringLiteral("Delete Files"));
        QCOMPARE(boxes.calls()[0].style, int(vbYesNo | vbQuestion));
        QCOMPARE(filesOnDisk(m_dir.path()), QStringList({"b.txt"}));
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"b.txt"}));
    }

    void answerNoChangesNothing() {
        writeFile("a.txt");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        selectLocal({"a.txt"});
        writeFile("late.txt"); // would show if the list were rebuilt
        MsgBoxRecorder boxes;
        boxes.answerNext(vbNo);
        m_form->mnuLocalDelete->trigger();
        QCOMPARE(filesOnDisk(m_dir.path()), QStringList({"a.txt", "late.txt"}));
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"a.txt"}));
    }

    void aFileThatCannotBeDeletedStopsTheCommand() {
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            writeFile(QString::fromLatin1(name));
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        // b.txt becomes a folder with content after the listing: deleting it as a file fails, even as root.
        QVERIFY(QFile::remove(m_dir.filePath("b.txt")));
        QVERIFY(QDir(m_dir.path()).mkpath("b.txt/inner"));
        selectLocal({"a.txt", "b.txt", "c.txt"});

        MsgBoxRecorder boxes;
        boxes.answerNext(vbYes);
        m_form->DeleteSelection();
        QCOMPARE(boxes.calls().size(), 1); // the question only, no error message
        QCOMPARE(filesOnDisk(m_dir.path()), QStringList({"b.txt", "c.txt"}));
        QVERIFY(QFileInfo(m_dir.filePath("b.txt/inner")).isDir());
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"a.txt", "b.txt", "c.txt"}));
    }

    void deletesTheEmptyCurrentFolder() {
        QVERIFY(QDir(m_dir.path()).mkpath("start"));
        QVERIFY(QDir(m_dir.path()).mkpath("work/empty"));
        WriteSizedFile(m_dir.filePath("start/s.txt"), 1);
        QVERIFY(m_form->Dir1->SetPath(m_dir.filePath("start")));
        m_form->StartLocalDir = m_form->Dir1->Path();
        QVERIFY(m_form->Dir1->SetPath(m_dir.filePath("work/empty")));
        m_form->LastFocus = QStringLiteral("Dir1");

        MsgBoxRecorder boxes;
        boxes.answerNext(vbYes);
        m_form->Toolbar3_ButtonClick();
        QCOMPARE(boxes.texts(),
                 QStringList({"Are you sure you want to delete folder:\r\n" + m_dir.filePath("work/empty")}));
        QCOMPARE(boxes.calls()[0].title, QStringLiteral("Delete Folder?"));
        QCOMPARE(boxes.calls()[0].style, int(vbYesNo | vbQuestion));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("work/empty")));
        QCOMPARE(m_form->Dir1->Path(), m_dir.filePath("start"));
        QCOMPARE(m_form->LocalDirPath, m_dir.filePath("start"));
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"s.txt"}));
    }

    void deletingTheStartFolderMovesToItsParent() {
        QVERIFY(QDir(m_dir.path()).mkpath("start"));
        QVERIFY(m_form->Dir1->SetPath(m_dir.filePath("start")));
        m_form->StartLocalDir = m_form->Dir1->Path();
        m_form->LastFocus = QStringLiteral("Dir1");
        MsgBoxRecorder boxes;
        boxes.answerNext(vbYes);
        m_form->DeleteSelection();
        QVERIFY(!QFileInfo::exists(m_dir.filePath("start")));
        QCOMPARE(m_form->LocalDirPath, m_dir.path());
    }

    void aFolderWithFilesStays() {
        QVERIFY(QDir(m_dir.path()).mkpath("full"));
        WriteSizedFile(m_dir.filePath("full/f.txt"), 1);
        QVERIFY(m_form->Dir1->SetPath(m_dir.filePath("full")));
        m_form->StartLocalDir = m_dir.path();
        m_form->LastFocus = QStringLiteral("Dir1");

        MsgBoxRecorder boxes;
        boxes.answerNext(vbYes);
        boxes.answerNext(vbOK);
        m_form->DeleteSelection();
        QCOMPARE(boxes.calls().size(), 2);
        QCOMPARE(boxes.calls()[1].text,
                 m_dir.filePath("full") + "  is not empty.  Could not delete directory.");
        QCOMPARE(boxes.calls()[1].title, QStringLiteral("Error Deleting Directory"));
        QCOMPARE(boxes.calls()[1].style, int(vbOKOnly | vbInformation));
        QVERIFY(QFileInfo::exists(m_dir.filePath("full/f.txt")));
        QCOMPARE(m_form->LocalDirPath, m_dir.filePath("full"));
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"f.txt"}));
    }

    void folderAnswerNoKeepsIt() {
        QVERIFY(QDir(m_dir.path()).mkpath("empty"));
        QVERIFY(m_form->Dir1->SetPath(m_dir.filePath("empty")));
        m_form->LastFocus = QStringLiteral("Dir1");
        MsgBoxRecorder boxes;
        boxes.answerNext(vbNo);
        m_form->DeleteSelection();
        QVERIFY(QFileInfo(m_dir.filePath("empty")).isDir());
        QCOMPARE(m_form->LocalDirPath, m_dir.filePath("empty"));
    }

    void otherFocusValuesDoNothing() {
        MsgBoxRecorder boxes; // none expected
        m_form->LastFocus = QStringLiteral("ListView1");
        m_form->DeleteSelection();
        m_form->LastFocus = QStringLiteral("remote");
        m_form->lstRemoteFiles->ClearRows(); // nothing selected, e.g. not connected
        m_form->DeleteSelection();
    }

    void refusedRemoteFolderRemoval() {
        // Not connected: the removal fails as a refusal by the server would.
        fillRemote(QStringLiteral("/pub/"), {"docs"}, {"a.txt"});
        selectRemote({"docs"});
        MsgBoxRecorder boxes;
        boxes.answerNext(vbYes);
        boxes.answerNext(vbOK);
        m_form->DeleteSelection();
        QCOMPARE(boxes.texts(), QStringList({"Are you sure you want to delete directory: \r\n    docs",
                                             "Directory is not empty"}));
        QCOMPARE(boxes.calls()[0].title, QStringLiteral("Delete Directory"));
        QCOMPARE(boxes.calls()[0].style, int(vbYesNoCancel | vbQuestion));
        QCOMPARE(boxes.calls()[1].title, QStringLiteral("Files Present"));
        QCOMPARE(boxes.calls()[1].style, int(vbOKOnly | vbInformation));
        QCOMPARE(RowTexts(m_form->lstRemoteFiles), QStringList({"docs", "a.txt"}));
    }

    void remoteAnswersOtherThanYesChangeNothing_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("answer");
        QTest::newRow("folder, No") << "docs" << int(vbNo);
        QTest::newRow("folder, Cancel") << "docs" << int(vbCancel);
        QTest::newRow("file, No") << "a.txt" << int(vbNo);
    }
    void remoteAnswersOtherThanYesChangeNothing() {
        QFETCH(QString, row);
        QFETCH(int, answer);
        fillRemote(QStringLiteral("/"), {"docs"}, {"a.txt"});
        selectRemote({row});
        MsgBoxRecorder boxes;
        boxes.answerNext(answer);
        m_form->DeleteSelection();
        QCOMPARE(boxes.calls().size(), 1);
        QCOMPARE(RowTexts(m_form->lstRemoteFiles), QStringList({"docs", "a.txt"}));
    }

    void theQuestionNamesTheRowMovedToByKeyboard() {
        fillRemote(QStringLiteral("/"), {"first", "second"}, {});
        m_form->lstRemoteFiles->SetMultiSelect(false);
        selectRemote({"first"});
        m_form->lstRemoteFiles->setFocus();
        QTest::keyClick(m_form->lstRemoteFiles, Qt::Key_Down);
        QCOMPARE(ListView::Text(m_form->lstRemoteFiles->SelectedItem()), QStringLiteral("second"));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbNo);
        m_form->DeleteSelection();
        QCOMPARE(boxes.texts(), QStringList({"Are you sure you want to delete directory: \r\n    second"}));
    }

    void remoteDeletesOnARealServer() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.writeFile("a.txt", "a");
        server.writeFile("b.txt", "b");
        server.writeFile("c.txt", "c");
        server.makeDir("empty");
        server.makeDir("full");
        server.writeFile("full/inner.txt", "i");
        SetNetworkTimeoutMs(3000);
        FtpSession.Server = "127.0.0.1";
        FtpSession.Port = server.port();
        FtpSession.User = "user";
        FtpSession.Password = "secret";
        FtpSession.IsFtp = true;
        FtpSession.hInternet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        FtpSession.hConnect = InternetConnectA(
            FtpSession.hInternet, FtpSession.Server.c_str(), FtpSession.Port, FtpSession.User.c_str(),
            FtpSession.Password.c_str(), INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
        QVERIFY(FtpSession.hConnect != 0);
        m_form->lblDirectory->setText(QStringLiteral("/"));
        m_form->RemoteCurrentDir = QStringLiteral("/");
        m_form->LastFocus = QStringLiteral("remote");
        ListRemoteFiles(*m_form);
        ListView* list = m_form->lstRemoteFiles;
        auto row = [list](const QString& name) { return list->findItems(name, Qt::MatchExactly).value(0); };
        QVERIFY(row("a.txt") && row("empty") && row("full"));

        // Two of three files, picked by click and shift-click.
        MsgBoxRecorder boxes;
        list->setFocus();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row("a.txt")).center());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(row("c.txt")).center());
        boxes.answerNext(vbYes);
        m_form->DeleteSelection();
        QCOMPARE(filesOnDisk(server.root()), QStringList({"b.txt", "empty", "full"}));
        QVERIFY(!row("a.txt") && !row("c.txt") && row("b.txt"));

        // A folder with files: the server refuses, the list stays as it was.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row("full")).center());
        const QStringList before = RowTexts(list);
        boxes.answerNext(vbYes);
        boxes.answerNext(vbOK);
        m_form->DeleteSelection();
        QCOMPARE(boxes.texts().last(), QStringLiteral("Directory is not empty"));
        QCOMPARE(RowTexts(list), before);
        QVERIFY(QFileInfo::exists(server.path("full/inner.txt")));

        // Click one folder, move to the other by keyboard: the folder removed is the one asked about.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row("full")).center());
        const int full = list->IndexOf(row("full"));
        const int empty = list->IndexOf(row("empty"));
        QTest::keyClick(list, empty < full ? Qt::Key_Up : Qt::Key_Down);
        QCOMPARE(ListView::Text(list->SelectedItem()), QStringLiteral("empty"));
        boxes.answerNext(vbYes);
        m_form->DeleteSelection();
        QCOMPARE(boxes.texts().last(),
                 QStringLiteral("Are you sure you want to delete directory: \r\n    empty"));
        QCOMPARE(filesOnDisk(server.root()), QStringList({"b.txt", "full"}));
        QVERIFY(!row("empty") && row("full"));
        InternetCloseHandle(FtpSession.hConnect);
        InternetCloseHandle(FtpSession.hInternet);
    }
};

QTEST_MAIN(DeleteCommandTest)
#include "DeleteCommand_test.moc"
