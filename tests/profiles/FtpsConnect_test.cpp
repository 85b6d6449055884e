#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "profiles/ProfileStore.h"
#include "profiles/frmCertificate.h"
#include "profiles/frmConnect.h"
#include "session/FtpSession.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestCertificates.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// FTPS from the connect dialog to the main window: the profile, the certificate question, the
// protected session and its command line.
class FtpsConnectTest : public QObject {
    Q_OBJECT

private slots:
    void profileKeepsFtps_data() {
        QTest::addColumn<bool>("secure");
        QTest::addColumn<QString>("stored");
        QTest::newRow("FTPS") << true << "FTPS";
        QTest::newRow("FTP") << false << "FTP";
    }
    void profileKeepsFtps() {
        QFETCH(bool, secure);
        QFETCH(QString, stored);
        MainWindowHarness harness;
        frmConnect dialog(harness.form());
        dialog.txtProfile->setText(QStringLiteral("p"));
        dialog.txtServerLocation->setText(QStringLiteral("ftp.example.org"));
        dialog.Check2->setChecked(true);
        dialog.txtPort->setText(QStringLiteral("2121"));
        dialog.Check3->setChecked(secure);
        dialog.cmdSave_Click();
        const std::string path = QFile::encodeName(dialog.ProfilePath).toStdString();
        QCOMPARE(QString::fromStdString(ReadProfile(path, "p").Protocol), stored);
        dialog.cmdNew_Click();
        QVERIFY(!dialog.Check3->isChecked());
        dialog.lstProfile_ItemClick(dialog.lstProfile->topLevelItem(0));
        QCOMPARE(dialog.Check3->isChecked(), secure);
        QCOMPARE(dialog.optFTPS->isChecked(), secure);
        QCOMPARE(dialog.txtPort->text(), QStringLiteral("2121"));
    }

    void connectAsksOnceThenTrusts() {
        TestCertificates certificates;
        const auto files = certificates.selfSigned(QStringLiteral("tovo-test"));
        FtpTestServer server;
        server.requireTls(files.certificate, files.key, QStringLiteral("1.3"));
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("hello.txt"), "hi");
        MainWindowHarness harness;
        MsgBoxRecorder messages;
        SetCertificateDecider(&frmCertificate::Ask);
        int asked = 0;
        const QString fingerprint = TestCertificates::fingerprint(files.certificate);
        const ModalInterceptor previous = SetModalInterceptor([&asked, &fingerprint](QWidget* form) {
            if (auto* question = qobject_cast<frmCertificate*>(form)) {
                ++asked;
                QVERIFY(question->lblDetails->text().contains(fingerprint));
                question->cmdTrustAlways->click();
            }
        });
        for (int attempt = 0; attempt < 2; ++attempt) {
            frmConnect dialog(harness.form());
            dialog.txtServerLocation->setText(QStringLiteral("127.0.0.1"));
            dialog.txtUsername->setText(QStringLiteral("user"));
            dialog.txtPassword->setText(QStringLiteral("secret"));
            dialog.Check3->setChecked(true);
            dialog.txtPort->setText(QString::number(server.port()));
            dialog.cmdConnect_Click();
            QVERIFY(FtpSession.hConnect != 0);
            QVERIFY(harness.remoteNames().contains(QStringLiteral("hello.txt")));
            QVERIFY(harness.form().StatusBar1->PanelText(1).contains(QStringLiteral("TLS")));
            // The command line logged in over TLS: the server refuses a login in plain text.
            QVERIFY(harness.form().StatusBar1->PanelText(2).endsWith(QStringLiteral("Yes")));
        }
        SetModalInterceptor(previous);
        SetCertificateDecider(nullptr);
        QCOMPARE(asked, 1);
        QFile trusted(harness.appPath() + QStringLiteral("/TrustedCertificates.ini"));
        QVERIFY(trusted.open(QIODevice::ReadOnly));
        QVERIFY(trusted.readAll().contains(fingerprint.toLatin1()));
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                            QFileDevice::WriteOther;
        QCOMPARE(trusted.permissions() & others, QFileDevice::Permissions());
    }
};

QTEST_MAIN(FtpsConnectTest)
#include "FtpsConnect_test.moc"
