#include "app/DirListBox.h"
#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/OffscreenMainWindow.h"

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class LocalOperationsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_appDir;
    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_form;

    void writeFile(const QString& name, const QByteArray& content) {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QStringList entriesOnDisk() const {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    // Selects a row as a click does and starts a rename from the toolbar.
    void beginRename(const QString& name) {
        const QList<QTreeWidgetItem*> rows = m_form->ListView1->findItems(name, Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        m_form->ListView1->ClearSelectedItem();
        m_form->ListView1->SetSelectedItem(rows.first());
        m_form->ListView1_ItemClick(rows.first());
        m_form->LastFocus = QStringLiteral("listview1");
        m_form->Toolbar4_ButtonClick();
        QVERIFY(m_form->ListView1->IsEditingLabel());
        QCOMPARE(m_form->LocalRenameOldName, name);
    }

private slots:
    void init() {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
        m_form = MakeOffscreenMainWindow(m_appDir.path());
        m_form->show();
    }
    void cleanup() { m_form.reset(); }

    void keyboardMovesCountAsItemClicks() {
        writeFile("a", "");
        writeFile("b", "");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QVERIFY(!m_form->LocalItemSelected);
        m_form->ListView1->setFocus();
        QTest::keyClick(m_form->ListView1, Qt::Key_Down);
        QCOMPARE(m_form->SelectedLocalName, QStringLiteral("a"));
        QTest::keyClick(m_form->ListView1, Qt::Key_Down);
        QCOMPARE(m_form->SelectedLocalName, QStringLiteral("b"));
        QVERIFY(m_form->LocalItemSelected);
        m_form->ListView1_ItemClick(nullptr);
        QVERIFY(!m_form->LocalItemSelected);
    }

    void sizeColumnSortsAsText() {
        writeFile("nine", QByteArray(9000, 'x'));
        writeFile("ten", QByteArray(10000, 'x'));
        writeFile("two", QByteArray(2000, 'x'));
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"nine", "ten", "two"}));
        for (int click = 0; click < 2; ++click) {
            emit m_form->ListView1->header()->sectionClicked(1);
            QCOMPARE(RowTexts(m_form->ListView1, 1), QStringList({"10 Kb", "2 Kb", "9 Kb"}));
        }
        emit m_form->ListView1->header()->sectionClicked(0);
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"nine", "ten", "two"}));
    }

    void rightClickPopsUpTheMenu() {
        writeFile("a", "");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        QTest::mouseClick(m_form->ListView1->viewport(), Qt::LeftButton);
        QVERIFY(!m_form->mnuLocal->isVisible());
        QTest::mouseClick(m_form->ListView1->viewport(), Qt::RightButton);
        QTRY_VERIFY(m_form->mnuLocal->isVisible());
        QStringList captions;
        for (QAction* action : m_form->mnuLocal->actions())
            captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(captions, QStringList({"Delete", "-", "New Folder", "Refresh", "Rename"}));
        m_form->mnuLocal->hide();
    }

    void renameByLabelEdit() {
        writeFile("a.txt", "A");
        writeFile("c.txt", "C");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        beginRename("a.txt");
        m_form->ListView1->CommitLabelEdit(QStringLiteral("z.txt"));
        QCOMPARE(entriesOnDisk(), QStringList({"c.txt", "z.txt"}));
        QCOMPARE(read(m_dir.filePath("z.txt")), QByteArray("A"));
        QCOMPARE(m_form->LocalRenameNewName, QStringLiteral("z.txt"));
        QVERIFY(m_form->ListView1->Sorted());
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"c.txt", "z.txt"}));
    }

    void renameNeverReplacesAnExistingEntry_data() {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("message");
        QTest::newRow("existing file") << "b.txt"
                                       << "Cannot rename a.txt: an entry named b.txt already exists.";
        QTest::newRow("existing folder") << "sub"
                                         << "Cannot rename a.txt: an entry named sub already exists.";
        QTest::newRow("into a subfolder") << "sub/a.txt"
                                          << "Cannot rename a.txt: sub/a.txt is not a valid name.";
        QTest::newRow("out of the folder") << "../a.txt"
                                           << "Cannot rename a.txt: ../a.txt is not a valid name.";
    }
    void renameNeverReplacesAnExistingEntry() {
        QFETCH(QString, newName);
        QFETCH(QString, message);
        writeFile("a.txt", "A");
        writeFile("b.txt", "B");
        QVERIFY(QDir(m_dir.path()).mkdir("sub"));
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        beginRename("a.txt");

        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        m_form->ListView1->CommitLabelEdit(newName);
        QCOMPARE(boxes.texts(), QStringList({message}));
        QCOMPARE(boxes.calls()[0].title, QStringLiteral("Error Renaming File"));
        QCOMPARE(entriesOnDisk(), QStringList({"a.txt", "b.txt", "sub"}));
        QCOMPARE(read(m_dir.filePath("a.txt")), QByteArray("A"));
        QCOMPARE(read(m_dir.filePath("b.txt")), QByteArray("B"));
        QVERIFY(QDir(m_dir.filePath("sub")).isEmpty());
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"a.txt", "b.txt"}));
    }

    void editThatRenamesNothing_data() {
        QTest::addColumn<QString>("newText");
        QTest::newRow("emptied") << QStringLiteral("");
        QTest::newRow("unchanged") << QStringLiteral("a.txt");
    }
    void editThatRenamesNothing() {
        QFETCH(QString, newText);
        writeFile("a.txt", "A");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        beginRename("a.txt");
        MsgBoxRecorder boxes; // none expected
        m_form->ListView1->CommitLabelEdit(newText);
        QCOMPARE(entriesOnDisk(), QStringList({"a.txt"}));
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"a.txt"}));
    }

    void escapeCancelsTheEdit() {
        writeFile("a.txt", "A");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        beginRename("a.txt");
        auto* editor = m_form->ListView1->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("typed.txt"));
        MsgBoxRecorder boxes;
        QTest::keyClick(editor, Qt::Key_Escape); // ends the edit with a null text
        QVERIFY(!m_form->ListView1->IsEditingLabel());
        QCOMPARE(entriesOnDisk(), QStringList({"a.txt"}));
    }

    void renameWithoutARowDoesNothing() {
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        MsgBoxRecorder boxes;
        m_form->LastFocus = QStringLiteral("listview1");
        m_form->Toolbar4_ButtonClick();
        m_form->mnuLocalRename_Click();
        QVERIFY(!m_form->ListView1->IsEditingLabel());
        QVERIFY(m_form->LocalRenameOldName.isEmpty());
    }

    void renameDispatchByFocus() {
        writeFile("a.txt", "A");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        m_form->ListView1->SetSelectedItem(m_form->ListView1->Item(1));

        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        m_form->LastFocus = QStringLiteral("Dir1");
        m_form->Toolbar4_ButtonClick();
        QCOMPARE(boxes.texts(), QStringList({"You must select a file!"}));
        QCOMPARE(boxes.calls()[0].title, QStringLiteral("Error!"));
        QCOMPARE(boxes.calls()[0].style, int(vbOKOnly | vbExclamation));
        QVERIFY(!m_form->ListView1->IsEditingLabel());

        // The menu item renames on the local list whenever the remote list did not have the focus.
        m_form->mnuLocalRename->trigger();
        QVERIFY(m_form->ListView1->IsEditingLabel());
        QCOMPARE(m_form->LocalRenameOldName, QStringLiteral("a.txt"));
    }

    void remoteFocusHandsOverToTheRemotePane() {
        writeFile("a.txt", "A");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        m_form->ListView1->SetSelectedItem(m_form->ListView1->Item(1));
        m_form->LastFocus = QStringLiteral("remote");
        MsgBoxRecorder boxes;
        boxes.allowUnexpected(); // the remote pane may say that it is not connected
        m_form->mnuLocalNewFolder_Click();
        m_form->mnuLocalRename_Click();
        m_form->Toolbar4_ButtonClick();
        QVERIFY(!m_form->ListView1->IsEditingLabel());
        QCOMPARE(entriesOnDisk(), QStringList({"a.txt"}));
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"a.txt"}));
    }

    void newFolderThenName() {
        writeFile("b.txt", "B");
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        MsgBoxRecorder boxes;
        m_form->LastFocus = QStringLiteral("listview1");
        m_form->mnuLocalNewFolder->trigger();
        QVERIFY(QFileInfo(m_dir.filePath("New Folder")).isDir());
        QVERIFY(!m_form->ListView1->Sorted());
        QCOMPARE(ListView::Text(m_form->ListView1->Item(1)), QStringLiteral("New Folder"));
        QCOMPARE(ListView::SmallIcon(m_form->ListView1->Item(1)), 12);
        QVERIFY(m_form->ListView1->IsEditingLabel());

        m_form->ListView1->CommitLabelEdit(QStringLiteral("Projects"));
        QCOMPARE(entriesOnDisk(), QStringList({"Projects", "b.txt"}));
        QVERIFY(m_form->ListView1->Sorted());
        QCOMPARE(RowTexts(m_form->ListView1), QStringList({"b.txt"}));
    }

    void newFolderWhereOneExists() {
        QVERIFY(QDir(m_dir.path()).mkpath("New Folder/inside"));
        QVERIFY(m_form->Dir1->SetPath(m_dir.path()));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        m_form->LastFocus = QStringLiteral("Dir1");
        m_form->mnuLocalNewFolder_Click();
        QCOMPARE(boxes.texts(), QStringList({"Folder already exists!"}));
        QCOMPARE(boxes.calls()[0].title, QStringLiteral("Error"));
        QCOMPARE(boxes.calls()[0].style, int(vbOKOnly | vbCritical));
        QCOMPARE(entriesOnDisk(), QStringList({"New Folder"}));
        QVERIFY(QFileInfo(m_dir.filePath("New Folder/inside")).isDir());
    }
};

QTEST_MAIN(LocalOperationsTest)
#include "LocalOperations_test.moc"
