// The connect dialog: loading a clicked profile, Save with its checks, New, Delete after asking, and
// Connect, which hands a valid port and the fields to the session and closes the dialog.
#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "profiles/ProfileStore.h"
#include "profiles/frmConnect.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/NoSessionBus.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

class frmConnectTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<frmConnect> m_dialog;
    int m_connects = 0;

    void reopen(const QByteArray& file = {}) {
        if (!file.isEmpty())
            QVERIFY(WriteFileBytes(m_file, file));
        m_dialog = std::make_unique<frmConnect>(*m_main);
    }
    void clickRow(int index) {
        ListView* list = m_dialog->lstProfile;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->Item(index)).center());
    }
    void fill(const QString& name, const QString& location, const QString& user, const QString& password) {
        m_dialog->txtProfile->setText(name);
        m_dialog->txtServerLocation->setText(location);
        m_dialog->txtUsername->setText(user);
        m_dialog->txtPassword->setText(password);
    }

private slots:
    void initTestCase() {
        CutOffSessionBus();
        SetAppPath(m_dir.path());
        m_file = m_dir.filePath(QStringLiteral("Profile.ini"));
        m_main = std::make_unique<frmMain>();
    }
    void cleanupTestCase() {
        m_dialog.reset();
        m_main.reset();
    }
    void init() {
        QFile::remove(m_file);
        ResetFtpSession();
        m_connects = 0;
        frmConnect::SetConnectRoutine([this](frmMain&) { ++m_connects; });
        reopen();
    }
    void cleanup() { frmConnect::SetConnectRoutine({}); }

    void loadingProfiles_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<bool>("ftp");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("passive");
        QTest::addColumn<bool>("savePassword");
        QTest::newRow("ftp, passive, password")
            << QByteArray("Protocol=FTP\nUsername=u\nPassword=p\nPort=2121\nTransfer=Passive\n") << true
            << "2121" << true << true;
        QTest::newRow("lower-case ftp loads as HTTP")
            << QByteArray("Protocol=ftp\nUsername=u\nPassword=p\nPort=2121\nTransfer=Passive\n") << false
            << "2121" << true << true;
        QTest::newRow("empty transfer loads Active")
            << QByteArray("Protocol=FTP\nUsername=u\nPassword=\nPort=21\nTransfer=\n") << true << "21"
            << false << false;
        QTest::newRow("location only") << QByteArray() << false << "" << false << false;
    }
    void loadingProfiles() {
        QFETCH(QByteArray, section);
        QFETCH(bool, ftp);
        QFETCH(QString, port);
        QFETCH(bool, passive);
        QFETCH(bool, savePassword);
        reopen("[Other]\nLocation=x\n[Site]\nLocation=host\n" + section);
        m_dialog->Check1->setChecked(!savePassword);
        clickRow(2);
        QCOMPARE(m_dialog->txtProfile->text(), QStringLiteral("Site"));
        QCOMPARE(m_dialog->txtServerLocation->text(), QStringLiteral("host"));
        QCOMPARE(m_dialog->optFTP->isChecked(), ftp);
        QCOMPARE(m_dialog->txtPort->text(), port);
        QCOMPARE(m_dialog->optPassive->isChecked(), passive);
        QCOMPARE(m_dialog->Check1->isChecked(), savePassword);
    }

    void saveRefusesIncompleteFields_data() {
        QTest::addColumn<QStringList>("fields"); // name, location, user, password
        QTest::addColumn<bool>("anonymous");
        QTest::newRow("no location") << QStringList{"Site", "", "u", "p"} << false;
        QTest::newRow("no user") << QStringList{"Site", "host", "", "p"} << false;
        QTest::newRow("no password") << QStringList{"Site", "host", "u", ""} << false;
        QTest::newRow("no profile name") << QStringList{"", "host", "u", "p"} << false;
        QTest::newRow("anonymous, no name") << QStringList{"", "host", "", ""} << true;
        QTest::newRow("name with bracket") << QStringList{"a]b", "host", "u", "p"} << false;
    }
    void saveRefusesIncompleteFields() {
        QFETCH(QStringList, fields);
        QFETCH(bool, anonymous);
        m_dialog->Check2->setChecked(anonymous);
        fill(fields[0], fields[1], anonymous ? m_dialog->txtUsername->text() : fields[2], fields[3]);
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        QTest::mouseClick(m_dialog->cmdSave, Qt::LeftButton);
        QCOMPARE(boxes.calls().size(), 1);
        QVERIFY(!QFile::exists(m_file));
        QCOMPARE(m_dialog->txtProfile->text(), fields[0]); // the fields stay for correcting
    }

    void saveNewAndAnonymous() {
        reopen("[Site]\nLocation=old\nNote=kept\n");
        fill("Site", "new", "u", "p");
        m_dialog->Check1->setChecked(false); // no password kept
        m_dialog->optHTTP->setChecked(true);
        MsgBoxRecorder boxes;
        m_dialog->cmdSave_Click();
        const ConnectionProfile saved = ReadProfile(QFile::encodeName(m_file).toStdString(), "Site");
        QCOMPARE(QString::fromStdString(saved.Location + saved.Protocol + saved.Password + saved.Port),
                 QStringLiteral("newHTTP80"));
        QVERIFY(ReadFileBytes(m_file).contains("Note=kept\n"));
        QTest::mouseClick(m_dialog->cmdNew, Qt::LeftButton);
        QVERIFY(m_dialog->txtProfile->text().isEmpty() && m_dialog->txtPassword->text().isEmpty());
        QVERIFY(m_dialog->optFTP->isChecked() && m_dialog->txtPort->text() == QStringLiteral("21"));
        // Anonymous fills the user, clears the password, and saves and connects without one.
        m_dialog->txtPassword->setText(QStringLiteral("secret"));
        QTest::mouseClick(m_dialog->Check2, Qt::LeftButton);
        QVERIFY(m_dialog->txtPassword->text().isEmpty());
        fill("Anon", "host", m_dialog->txtUsername->text(), QString());
        m_dialog->Check1->setChecked(true);
        m_dialog->cmdSave_Click();
        QVERIFY(ReadProfile(QFile::encodeName(m_file).toStdString(), "Anon").Password.empty());
        m_dialog->cmdConnect_Click();
        QCOMPARE(m_connects, 1);
        QVERIFY(!FtpSession.User.empty() && FtpSession.Password.empty());
        QTest::mouseClick(m_dialog->Check2, Qt::LeftButton);
        QVERIFY(m_dialog->txtUsername->text().isEmpty());
    }

    void deleteAsksFirst() {
        reopen("[One]\nLocation=a\nExtra=1\n[Two]\nLocation=b\n");
        MsgBoxRecorder boxes;
        m_dialog->Command1_Click(); // nothing clicked: nothing asked
        clickRow(1);
        boxes.answerNext(vbNo);
        QTest::mouseClick(m_dialog->Command1, Qt::LeftButton);
        QVERIFY(ReadFileBytes(m_file).contains("Extra"));
        boxes.answerNext(vbYes);
        m_dialog->Command1_Click();
        QCOMPARE(boxes.calls().size(), 2);
        QCOMPARE(m_dialog->lstProfile->Count(), 1);
        QVERIFY(!ReadFileBytes(m_file).contains("Extra"));
    }

    // Connect takes the port only when it is a whole number from 1 to 65535 (0 below: refused).
    void connectPort_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("value");
        for (const char* bad : {"", " ", "abc", "0", "65536", "99999999999", "1.5", "-21", "+21", "2 1"})
            QTest::newRow(bad) << QString::fromLatin1(bad) << 0;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("65535") << "65535" << 65535;
        QTest::newRow("leading zero") << "021" << 21;
        QTest::newRow("blanks around") << " 2121 " << 2121;
    }
    void connectPort() {
        QFETCH(QString, port);
        QFETCH(int, value);
        m_dialog->show();
        fill(QString(), QStringLiteral("host"), QStringLiteral("u"), QStringLiteral("p"));
        m_dialog->optHTTP->setChecked(true);
        m_dialog->txtPort->setText(port);
        MsgBoxRecorder boxes;
        if (value == 0)
            boxes.answerNext(vbOK);
        QTest::mouseClick(m_dialog->cmdConnect, Qt::LeftButton);
        QCOMPARE(boxes.calls().size(), value == 0 ? 1 : 0);
        QCOMPARE(m_connects, value == 0 ? 0 : 1);
        QCOMPARE(m_dialog->isVisible(), value == 0);
        QCOMPARE(MousePointer(), int(vbDefault));
        if (value != 0)
            QCOMPARE(QString::fromStdString(FtpSession.Server + FtpSession.User + FtpSession.Password) +
                         QString::number(FtpSession.Port) + QString::number(FtpSession.Service),
                     QStringLiteral("hostup") + QString::number(value) + QStringLiteral("3"));
    }

    // The whole way: a saved profile, Connect, the session and the command line on a real server.
    void connectFromSavedProfileOnRealServer() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        frmConnect::SetConnectRoutine({});
        WriteProfile(QFile::encodeName(m_file).toStdString(), {"Local", "127.0.0.1", "FTP", "user", "secret",
                                                               std::to_string(server.port()), "Passive"});
        reopen();
        clickRow(1);
        MsgBoxRecorder boxes;
        m_dialog->cmdConnect_Click();
        QVERIFY(FtpSession.hConnect != 0);
        QCOMPARE(m_main->StatusBar1->PanelText(2), QStringLiteral("Command Line:  Yes"));
    }
};

QTEST_MAIN(frmConnectTest)
#include "frmConnect_test.moc"
