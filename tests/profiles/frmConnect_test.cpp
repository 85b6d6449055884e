#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "profiles/ProfileStore.h"
#include "profiles/frmConnect.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MsgBoxRecorder.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Field {
    const char* name;
    int left, top, width, height;
};

// The design places in twips.
const Field kFields[] = {
    {"lstProfile", 120, 120, 2175, 3615},
    {"Label1", 2400, 240, 855, 255},
    {"txtProfile", 3360, 120, 2175, 285},
    {"lblFTP", 2400, 720, 735, 255},
    {"txtServerLocation", 3360, 600, 2175, 285},
    {"Label3", 2400, 1200, 855, 255},
    {"txtUsername", 3360, 1080, 2175, 285},
    {"Label4", 2400, 1560, 855, 255},
    {"txtPassword", 3360, 1560, 2175, 285},
    {"Check1", 2400, 1920, 1455, 255},
    {"Check2", 4320, 1920, 1215, 255},
    {"Label5", 2400, 2280, 375, 255},
    {"txtPort", 3360, 2280, 2175, 285},
    {"Label6", 2400, 2640, 735, 255},
    {"Picture1", 3360, 2610, 2175, 270},
    {"optPassive", 120, 30, 855, 195},
    {"optActive", 1200, 30, 855, 195},
    {"cmdSave", 2400, 3120, 975, 255},
    {"cmdNew", 3480, 3120, 975, 255},
    {"Command1", 4560, 3120, 975, 255},
    {"cmdConnect", 2640, 3480, 2655, 255},
    {"optFTP", 3120, 480, 735, 195},
    {"optHTTP", 4200, 480, 615, 195},
};

} // namespace

class frmConnectTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    frmMain* m_main = nullptr;
    frmConnect* m_dialog = nullptr;
    int m_connects = 0;

    std::string ProfileFile() const {
        return QFile::encodeName(m_dir.filePath(QStringLiteral("Profile.ini"))).toStdString();
    }
    QByteArray FileBytes() const {
        QFile file(m_dir.filePath(QStringLiteral("Profile.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void SetFile(const QByteArray& text) {
        QFile file(m_dir.filePath(QStringLiteral("Profile.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
    }
    void Reopen() {
        delete m_dialog;
        m_dialog = new frmConnect(*m_main);
    }
    QStringList Rows() const {
        QStringList rows;
        for (int i = 1; i <= m_dialog->lstProfile->Count(); ++i)
            rows << ListView::Text(m_dialog->lstProfile->Item(i));
        return rows;
    }
    void ClickRow(int index) {
        ListView* list = m_dialog->lstProfile;
        QTreeWidgetItem* item = list->Item(index);
        QVERIFY(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    }
    void Fill(const QString& name, const QString& location, const QString& user, const QString& password) {
        m_dialog->txtProfile->setText(name);
        m_dialog->txtServerLocation->setText(location);
        m_dialog->txtUsername->setText(user);
        m_dialog->txtPassword->setText(password);
    }

private slots:
    void initTestCase() {
        SetAppPath(m_dir.path());
        SetNetworkTimeoutMs(2000);
        m_main = new frmMain();
    }
    void cleanupTestCase() {
        delete m_dialog;
        delete m_main;
    }
    void init() {
        QFile::remove(m_dir.filePath(QStringLiteral("Profile.ini")));
        ResetFtpSession();
        m_connects = 0;
        frmConnect::SetConnectRoutine([this](frmMain&) { ++m_connects; });
        Reopen();
    }
    void cleanup() {
        frmConnect::SetConnectRoutine({});
        SetMousePointer(vbDefault);
    }

    void controlsByNameAndPlace() {
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral(" Connect"));
        QCOMPARE(m_dialog->size(), QSize(PixelsX(5580), PixelsY(3780)));
        QVERIFY(!m_dialog->parent());
        for (const Field& field : kFields) {
            auto* widget = m_dialog->findChild<QWidget*>(QString::fromLatin1(field.name));
            QVERIFY2(widget, field.name);
            QCOMPARE(widget->geometry(), QRect(PixelsX(field.left), PixelsY(field.top), PixelsX(field.width),
                                               PixelsY(field.height)));
        }
        QCOMPARE(m_dialog->optPassive->parentWidget(), m_dialog->Picture1);
        QVERIFY(m_dialog->optFTP->isHidden() && m_dialog->optHTTP->isHidden());
        QCOMPARE(m_dialog->ProfilePath, m_dir.path() + QStringLiteral("/Profile.ini"));
    }

    void passwordHiddenAndTabOrder() {
        QCOMPARE(m_dialog->txtPassword->echoMode(), QLineEdit::Password);
        QStringList chain;
        QWidget* widget = m_dialog->lstProfile;
        for (int i = 0; i < 12; ++i) {
            chain << widget->objectName();
            do
                widget = widget->nextInFocusChain();
            while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(m_dialog) ||
                   widget->objectName().isEmpty() ||
                   widget->objectName() == QStringLiteral("qt_scrollarea_viewport"));
        }
        QCOMPARE(chain,
                 (QStringList{"lstProfile", "txtProfile", "txtServerLocation", "txtUsername", "txtPassword",
                              "txtPort", "Check1", "Check2", "cmdSave", "cmdNew", "Command1", "cmdConnect"}));
    }

    void loadingProfiles_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<bool>("ftp");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("passive");
        QTest::addColumn<bool>("savePassword");
        QTest::newRow("ftp, passive, password")
            << QByteArray(
                   "Location=host\nProtocol=FTP\nUsername=u\nPassword=p\nPort=2121\nTransfer=Passive\n")
            << "FTP://" << true << "2121" << true << true;
        QTest::newRow("lower-case ftp loads as HTTP, stored port kept")
            << QByteArray(
                   "Location=host\nProtocol=ftp\nUsername=u\nPassword=p\nPort=2121\nTransfer=Passive\n")
            << "HTTP://" << false << "2121" << true << true;
        QTest::newRow("empty transfer loads Active")
            << QByteArray("Location=host\nProtocol=FTP\nUsername=u\nPassword=\nPort=21\nTransfer=\n")
            << "FTP://" << true << "21" << false << false;
        QTest::newRow("hand-written location only")
            << QByteArray("Location=host\n") << "HTTP://" << false << "" << false << false;
    }
    void loadingProfiles() {
        QFETCH(QByteArray, section);
        QFETCH(QString, scheme);
        QFETCH(bool, ftp);
        QFETCH(QString, port);
        QFETCH(bool, passive);
        QFETCH(bool, savePassword);
        SetFile("[Other]\nLocation=x\n[Site]\n" + section);
        Reopen();
        QCOMPARE(Rows(), (QStringList{"Other", "Site"}));
        m_dialog->Check1->setChecked(!savePassword);
        m_dialog->Check2->setChecked(false);
        ClickRow(2);
        QCOMPARE(m_dialog->txtProfile->text(), QStringLiteral("Site"));
        QCOMPARE(m_dialog->txtServerLocation->text(), QStringLiteral("host"));
        QCOMPARE(m_dialog->lblFTP->text(), scheme);
        QCOMPARE(m_dialog->optFTP->isChecked(), ftp);
        QCOMPARE(m_dialog->optHTTP->isChecked(), !ftp);
        QCOMPARE(m_dialog->txtPort->text(), port);
        QCOMPARE(m_dialog->optPassive->isChecked(), passive);
        QCOMPARE(m_dialog->optActive->isChecked(), !passive);
        QCOMPARE(m_dialog->Check1->isChecked(), savePassword);
        QVERIFY(!m_dialog->Check2->isChecked());
        QCOMPARE(m_dialog->focusWidget(), m_dialog->cmdConnect); // the list's click hands on the focus
    }

    void saveValidation_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("anonymous");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        const QString locationText =
            QStringLiteral("Please enter a location in the form of a URL or IP address!");
        QTest::newRow("no location, with a name") << "Site"
                                                  << ""
                                                  << "u"
                                                  << "p" << false << locationText << "Location Error!";
        QTest::newRow("no user") << "Site"
                                 << "host"
                                 << ""
                                 << "p" << false << "Please enter a Username!"
                                 << "Username Error!";
        QTest::newRow("no password") << "Site"
                                     << "host"
                                     << "u"
                                     << "" << false << "Please enter a Password!"
                                     << "Password Error!";
        QTest::newRow("no profile name") << ""
                                         << "host"
                                         << "u"
                                         << "p" << false << "Please enter a profile name!"
                                         << "Profile Error!";
        QTest::newRow("anonymous, no profile name") << ""
                                                    << "host"
                                                    << ""
                                                    << "" << true << "Please enter a profile name!"
                                                    << "Profile Error!";
        QTest::newRow("name with bracket")
            << "a]b"
            << "host"
            << "u"
            << "p" << false << "A profile name cannot contain \"]\" or a line break!"
            << "Profile Error!";
    }
    void saveValidation() {
        QFETCH(QString, name);
        QFETCH(QString, location);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, anonymous);
        QFETCH(QString, text);
        QFETCH(QString, title);
        m_dialog->Check2->setChecked(anonymous);
        Fill(name, location, anonymous ? m_dialog->txtUsername->text() : user, password);
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        QTest::mouseClick(m_dialog->cmdSave, Qt::LeftButton);
        QCOMPARE(boxes.calls().size(), 1);
        QCOMPARE(boxes.calls()[0].text, text);
        QCOMPARE(boxes.calls()[0].title, title);
        QCOMPARE(boxes.calls()[0].style, vbOKOnly | vbExclamation);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("Profile.ini"))));
        QCOMPARE(m_dialog->txtProfile->text(), name); // the fields stay for correcting
    }

    void saveWritesTheSixKeys() {
        Fill(QStringLiteral("Site"), QStringLiteral("host"), QStringLiteral("u"), QStringLiteral("p"));
        m_dialog->Check1->setChecked(true);
        m_dialog->optActive->setChecked(true);
        m_dialog->txtPort->setText(QStringLiteral("not a port"));
        MsgBoxRecorder boxes;
        m_dialog->cmdSave_Click();
        QCOMPARE(FileBytes(), QByteArray("[Site]\nLocation=host\nProtocol=FTP\nUsername=u\nPassword=p\n"
                                         "Port=not a port\nTransfer=Active\n"));
        QCOMPARE(Rows(), QStringList{"Site"});
    }

    void saveOverExistingNameAndWithoutPassword() {
        SetFile("[Site]\nLocation=old\nNote=kept\n");
        Reopen();
        Fill(QStringLiteral("Site"), QStringLiteral("new"), QStringLiteral("u"), QStringLiteral("p"));
        m_dialog->Check1->setChecked(false);
        m_dialog->optHTTP->setChecked(true);
        MsgBoxRecorder boxes;
        m_dialog->cmdSave_Click();
        QCOMPARE(Rows(), QStringList{"Site"});
        const ConnectionProfile saved = ReadProfile(ProfileFile(), "Site");
        QCOMPARE(saved.Location, std::string("new"));
        QCOMPARE(saved.Protocol, std::string("HTTP"));
        QCOMPARE(saved.Password, std::string());
        QCOMPARE(saved.Port, std::string("80"));
        QVERIFY(FileBytes().contains("Note=kept\n"));
        QVERIFY(FileBytes().contains("\nPassword=\n"));
    }

    void anonymousSavesWithoutPassword() {
        m_dialog->Check1->setChecked(true);
        QTest::mouseClick(m_dialog->Check2, Qt::LeftButton);
        Fill(QStringLiteral("Anon"), QStringLiteral("host"), m_dialog->txtUsername->text(), QString());
        MsgBoxRecorder boxes;
        m_dialog->cmdSave_Click();
        const ConnectionProfile saved = ReadProfile(ProfileFile(), "Anon");
        QCOMPARE(saved.Username, std::string("Anonymous"));
        QCOMPARE(saved.Password, std::string());
        m_dialog->cmdConnect_Click();
        QCOMPARE(m_connects, 1);
        QCOMPARE(FtpSession.User, std::string("Anonymous"));
        QCOMPARE(FtpSession.Password, std::string());
    }

    void anonymousToggling() {
        m_dialog->txtPassword->setText(QStringLiteral("secret"));
        QTest::mouseClick(m_dialog->Check2, Qt::LeftButton);
        QCOMPARE(m_dialog->txtUsername->text(), QStringLiteral("Anonymous"));
        QVERIFY(m_dialog->txtPassword->text().isEmpty());
        m_dialog->txtUsername->setText(QStringLiteral("typed over"));
        m_dialog->txtPassword->setText(QStringLiteral("x"));
        QTest::mouseClick(m_dialog->Check2, Qt::LeftButton);
        QVERIFY(m_dialog->txtUsername->text().isEmpty());
        QVERIFY(m_dialog->txtPassword->text().isEmpty());
    }

    void newClearsFields() {
        Fill(QStringLiteral("Site"), QStringLiteral("host"), QStringLiteral("u"), QStringLiteral("p"));
        m_dialog->optHTTP->setChecked(true);
        m_dialog->optActive->setChecked(true);
        m_dialog->txtPort->setText(QStringLiteral("2121"));
        m_dialog->Check1->setChecked(true);
        QTest::mouseClick(m_dialog->cmdNew, Qt::LeftButton);
        QVERIFY(m_dialog->txtProfile->text().isEmpty() && m_dialog->txtServerLocation->text().isEmpty() &&
                m_dialog->txtUsername->text().isEmpty() && m_dialog->txtPassword->text().isEmpty());
        QCOMPARE(m_dialog->txtPort->text(), QStringLiteral("21"));
        QCOMPARE(m_dialog->lblFTP->text(), QStringLiteral("FTP://"));
        QVERIFY(m_dialog->optFTP->isChecked() && m_dialog->optPassive->isChecked());
        QVERIFY(m_dialog->Check1->isChecked());
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("Profile.ini"))));
    }

    void deleteAsksFirst() {
        SetFile("[One]\nLocation=a\nExtra=1\n[Two]\nLocation=b\n");
        Reopen();
        ClickRow(1);
        const QByteArray before = FileBytes();
        {
            MsgBoxRecorder boxes;
            boxes.answerNext(vbNo);
            QTest::mouseClick(m_dialog->Command1, Qt::LeftButton);
            QCOMPARE(boxes.calls().size(), 1);
            QCOMPARE(boxes.calls()[0].text, QStringLiteral("Are you sure you want to delete profile: One?"));
            QCOMPARE(boxes.calls()[0].title, QStringLiteral("Remove One"));
            QCOMPARE(boxes.calls()[0].style, vbYesNo | vbQuestion);
        }
        QCOMPARE(FileBytes(), before);
        QCOMPARE(Rows(), (QStringList{"One", "Two"}));
        {
            MsgBoxRecorder boxes;
            boxes.answerNext(vbYes);
            m_dialog->Command1_Click();
        }
        QCOMPARE(Rows(), QStringList{"Two"});
        QVERIFY(!FileBytes().contains("Extra"));
        QCOMPARE(m_dialog->txtProfile->text(), QStringLiteral("One")); // the fields stay as they are
    }

    void deleteWithoutSelectionDoesNothing() {
        SetFile("[One]\nLocation=a\n");
        Reopen();
        MsgBoxRecorder boxes; // any message box would fail the test
        m_dialog->Command1_Click();
        QCOMPARE(Rows(), QStringList{"One"});
    }

    void connectHandsOverAndCloses() {
        m_dialog->show();
        Fill(QStringLiteral("ignored"), QStringLiteral(" "), QStringLiteral("u"), QStringLiteral("p"));
        m_dialog->optHTTP->setChecked(true);
        m_dialog->txtPort->setText(QStringLiteral("8021"));
        int pointerDuringConnect = vbDefault;
        frmConnect::SetConnectRoutine([&](frmMain& form) {
            QCOMPARE(&form, m_main);
            pointerDuringConnect = MousePointer();
            ++m_connects;
        });
        MsgBoxRecorder boxes;
        QTest::mouseClick(m_dialog->cmdConnect, Qt::LeftButton);
        QCOMPARE(m_connects, 1);
        QCOMPARE(FtpSession.Server, std::string(" "));
        QCOMPARE(FtpSession.User, std::string("u"));
        QCOMPARE(FtpSession.Password, std::string("p"));
        QCOMPARE(FtpSession.Port, 8021);
        QCOMPARE(int(FtpSession.Service), 3);
        QCOMPARE(pointerDuringConnect, int(vbHourglass));
        QCOMPARE(MousePointer(), int(vbDefault));
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QVERIFY(!m_dialog->isVisible());
    }

    void connectAfterFailedValidation() {
        m_dialog->show();
        Fill(QString(), QStringLiteral("host"), QStringLiteral("u"), QString());
        {
            MsgBoxRecorder boxes;
            boxes.answerNext(vbOK);
            m_dialog->cmdConnect_Click();
            QCOMPARE(boxes.texts(), QStringList{"Please enter a Password!"});
        }
        QCOMPARE(m_connects, 0);
        QCOMPARE(MousePointer(), int(vbDefault));
        QVERIFY(m_dialog->isVisible());
        QVERIFY(FtpSession.Server.empty());
        m_dialog->txtPassword->setText(QStringLiteral("p"));
        MsgBoxRecorder boxes;
        m_dialog->cmdConnect_Click();
        QCOMPARE(m_connects, 1);
        QCOMPARE(FtpSession.Port, 21);
        QCOMPARE(int(FtpSession.Service), 1);
        QVERIFY(!m_dialog->isVisible());
    }

    void connectRefusesBadPorts_data() {
        QTest::addColumn<QString>("port");
        for (const char* port : {"", " ", "abc", "0", "65536", "99999999999", "1.5", "-21", "+21", "2 1"})
            QTest::newRow(port) << QString::fromLatin1(port);
    }
    void connectRefusesBadPorts() {
        QFETCH(QString, port);
        m_dialog->show();
        Fill(QString(), QStringLiteral("host"), QStringLiteral("u"), QStringLiteral("p"));
        m_dialog->txtPort->setText(port);
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        m_dialog->cmdConnect_Click();
        QCOMPARE(boxes.calls().size(), 1);
        QCOMPARE(boxes.calls()[0].text, QStringLiteral("Please enter a port number from 1 to 65535!"));
        QCOMPARE(boxes.calls()[0].title, QStringLiteral("Port Error!"));
        QCOMPARE(boxes.calls()[0].style, vbOKOnly | vbExclamation);
        QCOMPARE(m_connects, 0);
        QCOMPARE(MousePointer(), int(vbDefault));
        QVERIFY(m_dialog->isVisible());
    }

    void connectAcceptsEdgePorts_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("value");
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("65535") << "65535" << 65535;
        QTest::newRow("leading zero") << "021" << 21;
        QTest::newRow("blanks around") << " 2121 " << 2121;
    }
    void connectAcceptsEdgePorts() {
        QFETCH(QString, port);
        QFETCH(int, value);
        Fill(QString(), QStringLiteral("host"), QStringLiteral("u"), QStringLiteral("p"));
        m_dialog->txtPort->setText(port);
        MsgBoxRecorder boxes;
        m_dialog->cmdConnect_Click();
        QCOMPARE(FtpSession.Port, value);
        QCOMPARE(m_connects, 1);
    }

    // The whole way: a saved profile, Connect, the session and the command line on a real server.
    void connectFromSavedProfileOnRealServer() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        frmConnect::SetConnectRoutine({});
        WriteProfile(ProfileFile(), ConnectionProfile{"Local", "127.0.0.1", "FTP", "user", "secret",
                                                      std::to_string(server.port()), "Passive"});
        Reopen();
        m_main->StatusBar1->SetPanelText(2, QStringLiteral("Command Line:  No"));
        ClickRow(1);
        MsgBoxRecorder boxes;
        m_dialog->cmdConnect_Click();
        QCOMPARE(m_main->StatusBar1->PanelText(1), QStringLiteral("Status:  Connected"));
        QCOMPARE(m_main->StatusBar1->PanelText(2), QStringLiteral("Command Line:  Yes"));
        QVERIFY(boxes.calls().isEmpty());
    }
};

QTEST_MAIN(frmConnectTest)
#include "frmConnect_test.moc"
