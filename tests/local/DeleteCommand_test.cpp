// Delete through the real window: the files picked in the local list, the current local folder, and
// files and folders of a real server, each after the user's answer.
#include "app/DirListBox.h"
#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QtTest>

class DeleteCommandTest : public QObject {
    Q_OBJECT
    std::unique_ptr<MainWindowHarness> m_window;
    frmMain* m_form = nullptr;
    QString m_dir;

    QStringList entries(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }

private slots:
    void init() {
        m_window = std::make_unique<MainWindowHarness>();
        m_form = &m_window->form();
        m_dir = m_window->localDir();
    }
    void cleanup() { m_window.reset(); }

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
        QCOMPARE(entries(m_dir), left);
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
        QCOMPARE(entries(server.root()), QStringList({"a.txt", "b.txt", "c.txt", "empty", "full"}));
        m_window->clickRemote({"a.txt", "c.txt"});
        boxes.answerNext(vbYes);
        m_form->Toolbar3_ButtonClick();
        QCOMPARE(entries(server.root()), QStringList({"b.txt", "empty", "full"}));
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
        QCOMPARE(entries(server.root()), QStringList({"b.txt", "full"}));
        QCOMPARE(m_window->remoteRow("empty"), 0);
    }
};

QTEST_MAIN(DeleteCommandTest)
#include "DeleteCommand_test.moc"
