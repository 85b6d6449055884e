// The connect dialog: loading a clicked profile, Save with its checks and the password's place, New,
// Delete after asking, and Connect, which hands a valid port and the fields to the session.
#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "profiles/ProfileStore.h"
#include "profiles/frmConnect.h"
#include "session/FtpSession.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/NoSessionBus.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

// There is no session bus, so no secret store: a kept password can only go into Profile.ini.
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
        for (auto [field, text] : {std::pair{m_dialog->txtProfile, name},
                                   {m_dialog->txtServerLocation, location},
                                   {m_dialog->txtUsername, user},
                                   {m_dialog->txtPassword, password}})
            field->setText(text);
    }
    ConnectionProfile saved(const char* name) {
        return ReadProfile(QFile::encodeName(m_file).toStdString(), name);
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
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("expected"); // FTP checked, port, passive, Save Password
        const auto row = [](const char* name, const char* section, const char* expected) {
            QTest::newRow(name) << section << expected;
        };
        row("ftp, passive, password", "Protocol=FTP\nPassword=p\nPort=2121\nTransfer=Passive\n",
            "1 2121 1 1");
        row("lower-case ftp loads as HTTP", "Protocol=ftp\nPassword=p\nPort=2121\nTransfer=Passive\n",
            "0 2121 1 1");
        row("empty transfer loads Active", "Protocol=FTP\nPassword=\nPort=21\nTransfer=\n", "1 21 0 0");
        row("location only", "", "0  0 0");
    }
    void loadingProfiles() {
        QFETCH(QString, section);
        QFETCH(QString, expected);
        reopen("[Other]\nLocation=x\n[Site]\nLocation=host\n" + section.toUtf8());
        m_dialog->Check1->setChecked(expected.back() == '0'); // the opposite of what loading must set
        clickRow(2);
        QCOMPARE(m_dialog->txtProfile->text() + m_dialog->txtServerLocation->text(),
                 QStringLiteral("Sitehost"));
        const auto flag = [](const QAbstractButton* button) { return QString::number(button->isChecked()); };
        QCOMPARE(QStringList({flag(m_dialog->optFTP), m_dialog->txtPort->text(), flag(m_dialog->optPassive),
                              flag(m_dialog->Check1)})
                     .join(' '),
                 expected);
    }

    void saveRefusesIncompleteFields_data() {
        QTest::addColumn<QString>("row"); // name|location|user|password; user "anon": Anonymous checked
        for (const char* fields :
             {"Site||u|p", "Site|host||p", "Site|host|u|", "|host|u|p", "|host|anon|", "a]b|host|u|p"})
            QTest::newRow(fields) << QString::fromLatin1(fields);
    }
    void saveRefusesIncompleteFields() {
        QFETCH(QString, row);
        const QStringList fields = row.split('|');
        m_dialog->Check2->setChecked(fields[2] == "anon");
        fill(fields[0], fields[1], fields[2] == "anon" ? m_dialog->txtUsername->text() : fields[2],
             fields[3]);
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        QTest::mouseClick(m_dialog->cmdSave, Qt::LeftButton);
        QCOMPARE(boxes.calls().size(), 1);
        QVERIFY(!QFile::exists(m_file));
        QCOMPARE(m_dialog->txtProfile->text(), fields[0]); // the fields stay for correcting
    }

    void newAndAnonymous() {
        fill("Site", "new", "u", "p");
        m_dialog->optHTTP->setChecked(true);
        QTest::mouseClick(m_dialog->cmdNew, Qt::LeftButton);
        QVERIFY(m_dialog->txtProfile->text().isEmpty() && m_dialog->txtPassword->text().isEmpty());
        QVERIFY(m_dialog->optFTP->isChecked() && m_dialog->txtPort->text() == QStringLiteral("21"));
        // Anonymous fills the user, clears the password, and saves and connects without one.
        m_dialog->txtPassword->setText(QStringLiteral("secret"));
        QTest::mouseClick(m_dialog->Check2, Qt::LeftButton);
        QVERIFY(m_dialog->txtPassword->text().isEmpty());
        fill("Anon", "host", m_dialog->txtUsername->text(), QString());
        m_dialog->Check1->setChecked(true);
        MsgBoxRecorder boxes;
        m_dialog->cmdSave_Click();
        QVERIFY(saved("Anon").Password.empty());
        m_dialog->cmdConnect_Click();
        QCOMPARE(m_connects, 1);
        QVERIFY(!FtpSession.User.empty() && FtpSession.Password.empty());
        QTest::mouseClick(m_dialog->Check2, Qt::LeftButton);
        QVERIFY(m_dialog->txtUsername->text().isEmpty());
    }

    // With Save Password on, the user is asked whether it may go into Profile.ini; off, nothing is asked.
    void savePasswordWithoutSecretStore_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("kept in Profile.ini") << int(vbYes);
        QTest::newRow("not kept") << int(vbNo);
        QTest::newRow("Save Password off") << 0;
    }
    void savePasswordWithoutSecretStore() {
        QFETCH(int, answer);
        MsgBoxRecorder messages;
        if (answer)
            messages.answerNext(answer);
        reopen("[Site]\nLocation=old\n");
        fill("Site", "host", "anna", "s3cret");
        m_dialog->Check1->setChecked(answer != 0);
        m_dialog->optHTTP->setChecked(true);
        m_dialog->cmdSave_Click();
        QCOMPARE(messages.calls().size(), answer ? 1 : 0);
        const ConnectionProfile site = saved("Site"); // written over the old one, HTTP's port filled in
        QCOMPARE(QString::fromStdString(site.Location + site.Protocol + site.Port),
                 QStringLiteral("hostHTTP80"));
        const bool kept = answer == vbYes;
        QCOMPARE(ReadFileBytes(m_file).contains("Password=s3cret\n"), kept);
        reopen();
        m_dialog->lstProfile_ItemClick(m_dialog->lstProfile->topLevelItem(0));
        QCOMPARE(m_dialog->txtPassword->text(), kept ? QStringLiteral("s3cret") : QString());
        QCOMPARE(m_dialog->Check1->isChecked(), kept);
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
        for (auto [port, value] : {std::pair{"1", 1}, {"65535", 65535}, {"021", 21}, {" 2121 ", 2121}})
            QTest::newRow(port) << QString::fromLatin1(port) << value;
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
};

QTEST_MAIN(frmConnectTest)
#include "frmConnect_test.moc"
