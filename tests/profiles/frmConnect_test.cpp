// The connect dialog: Save with its checks and the password's place, Delete after asking, and Connect,
// which hands a valid port and the fields to the session.
#include "profiles/frmConnect.h"
#include "session/FtpSession.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/NoSessionBus.h"
#include "tests/support/TestFiles.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

// There is no session bus, so no secret store: a kept password can only go into Profile.ini.
class frmConnectTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_file = m_dir.filePath(QStringLiteral("Profile.ini"));
    std::unique_ptr<frmConnect> m_dialog;
    int m_connects = 0;

    void reopen(const QByteArray& file = {}) {
        if (!file.isEmpty())
            QVERIFY(WriteFileBytes(m_file, file));
        m_dialog = std::make_unique<frmConnect>([this] { ++m_connects; });
    }
    void fill(const QString& name, const QString& location, const QString& user, const QString& password) {
        for (auto [field, text] : {std::pair{m_dialog->txtProfile, name},
                                   {m_dialog->txtServerLocation, location},
                                   {m_dialog->txtUsername, user},
                                   {m_dialog->txtPassword, password}})
            field->setText(text);
    }

private slots:
    void initTestCase() {
        CutOffSessionBus();
        SetAppPath(m_dir.path());
    }
    void init() {
        QFile::remove(m_file);
        QDir(m_file).removeRecursively();
        ResetFtpSession();
        m_connects = 0;
        reopen();
    }

    // With Save Password on, the user is asked whether it may go into Profile.ini.
    void savePasswordWithoutSecretStore_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("kept in Profile.ini") << int(vbYes);
        QTest::newRow("not kept") << int(vbNo);
    }
    void savePasswordWithoutSecretStore() {
        QFETCH(int, answer);
        MsgBoxRecorder messages;
        messages.answerNext(answer);
        reopen("[Site]\nLocation=old\n");
        fill("Site", "host", "anna", "s3cret");
        m_dialog->Check1->setChecked(true);
        m_dialog->cmdSave_Click();
        reopen();
        m_dialog->lstProfile_ItemClick(m_dialog->lstProfile->Item(1));
        QCOMPARE(m_dialog->txtPassword->text(), answer == vbYes ? QStringLiteral("s3cret") : QString());
    }

    // A Profile.ini that cannot be used is said when the dialog opens and on Save, with the cause.
    void unusableFileIsSaid() {
        QVERIFY(QDir().mkdir(m_file));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        boxes.answerNext(vbOK);
        reopen();
        fill("Site", "host", "anna", "pw");
        m_dialog->cmdSave_Click();
        QCOMPARE(boxes.calls().size(), 2);
        for (const QString& text : boxes.texts())
            QVERIFY2(text.contains(m_file) && text.contains("\nIt is a folder"), qPrintable(text));
    }

    void deleteAsksFirst() {
        reopen("[One]\nLocation=a\nExtra=1\n[Two]\nLocation=b\n");
        MsgBoxRecorder boxes;
        ListView* list = m_dialog->lstProfile;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->ItemRect(list->Item(1)).center());
        boxes.answerNext(vbYes);
        QTest::mouseClick(m_dialog->Command1, Qt::LeftButton);
        QCOMPARE(boxes.calls().size(), 1);
        QVERIFY(!ReadFileBytes(m_file).contains("Extra"));
    }

    // The visible choice (FTP, FTPS, SFTP) moves the port between the usual ones but keeps one typed for
    // the server, keeps the FTPS box in step and offers the key file for SFTP, whose login needs no
    // password. Connect hands the protocol and key on; Save and loading keep them.
    void protocolChoice_data() {
        QTest::addColumn<int>("from"); // index of the choice
        QTest::addColumn<QString>("typedPort");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("port");
        QTest::newRow("FTP to SFTP") << 0 << "21" << 2 << "22";
        QTest::newRow("SFTP to FTP") << 2 << "22" << 0 << "21";
        QTest::newRow("SFTP to FTPS") << 2 << "22" << 1 << "21";
        QTest::newRow("FTP 2121 to FTPS") << 0 << "2121" << 1 << "2121";
        QTest::newRow("FTPS 990 to SFTP") << 1 << "990" << 2 << "22";
    }
    void protocolChoice() {
        QFETCH(int, from);
        QFETCH(QString, typedPort);
        QFETCH(int, to);
        QFETCH(QString, port);
        const bool sftp = to == 2;
        fill("Site", "host", "u", sftp ? "" : "p");
        m_dialog->txtKeyFile->setText("/k");
        m_dialog->cboProtocol->setCurrentIndex(from);
        m_dialog->txtPort->setText(typedPort);
        m_dialog->cboProtocol->setCurrentIndex(to);
        QCOMPARE(m_dialog->txtPort->text(), port);
        QCOMPARE(m_dialog->lblFTP->text(), m_dialog->cboProtocol->currentText() + "://");
        QCOMPARE(m_dialog->Check3->isChecked(), to == 1);
        QCOMPARE(m_dialog->txtKeyFile->isHidden(), !sftp);
        QCOMPARE(m_dialog->Picture1->isHidden(), sftp);
        m_dialog->cmdSave_Click();
        m_dialog->cmdConnect_Click();
        QCOMPARE(m_connects, 1);
        QCOMPARE(FtpSession.IsSftp(), sftp);
        QCOMPARE(FtpSession.Secure, to == 1);
        QCOMPARE(FtpSession.KeyFile, sftp ? "/k" : "");
        reopen();
        m_dialog->lstProfile_ItemClick(m_dialog->lstProfile->Item(1));
        QCOMPARE(m_dialog->cboProtocol->currentIndex(), to);
        QCOMPARE(m_dialog->txtKeyFile->text(), sftp ? "/k" : "");
    }

    // Save and Connect refuse a missing field, a profile name the file cannot hold and a port that is
    // not a whole number from 1 to 65535, with a message; an accepted Connect hands the port on.
    void fieldChecks_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("fields"); // name|location|user|password|port
        QTest::addColumn<int>("port");       // handed to the session; 0: refused
        for (const char* fields : {"Site||u|p|21", "Site|host|u||21", "a]b|host|u|p|21"})
            QTest::newRow(fields) << true << fields << 0;
        for (const char* bad : {"", "abc", "0", "65536", "1.5"})
            QTest::addRow("port %s", bad) << false << QStringLiteral("|host|u|p|") + bad << 0;
        for (auto [port, value] : {std::pair{"65535", 65535}, {" 2121 ", 2121}})
            QTest::addRow("port %s", port) << false << QStringLiteral("|host|u|p|") + port << value;
    }
    void fieldChecks() {
        QFETCH(bool, save);
        QFETCH(QString, fields);
        QFETCH(int, port);
        const QStringList field = fields.split('|');
        fill(field[0], field[1], field[2], field[3]);
        m_dialog->optHTTP->setChecked(true);
        m_dialog->txtPort->setText(field[4]);
        MsgBoxRecorder boxes;
        if (port == 0)
            boxes.answerNext(vbOK);
        QTest::mouseClick(save ? m_dialog->cmdSave : m_dialog->cmdConnect, Qt::LeftButton);
        QCOMPARE(boxes.calls().size(), port == 0 ? 1 : 0);
        QCOMPARE(m_connects, port == 0 ? 0 : 1);
        QVERIFY(!QFile::exists(m_file));
        if (port)
            QCOMPARE(int(FtpSession.Port), port);
    }

    // Enter connects from a field; on a button it presses that button, as a click would.
    void enterKey_data() {
        QTest::addColumn<QString>("on");
        QTest::addColumn<int>("connects");
        QTest::newRow("password field") << "txtPassword" << 1;
        QTest::newRow("Save button") << "cmdSave" << 0;
    }
    void enterKey() {
        QFETCH(QString, on);
        fill("Site", "host", "u", "p");
        m_dialog->show();
        MsgBoxRecorder boxes;
        boxes.allowUnexpected();
        QTest::keyClick(m_dialog->findChild<QWidget*>(on), Qt::Key_Return);
        QTEST(m_connects, "connects");
        QCOMPARE(QFile::exists(m_file), on == "cmdSave");
    }
};

QTEST_MAIN(frmConnectTest)
#include "frmConnect_test.moc"
