#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/frmMain.h"
#include "profiles/ProfileStore.h"
#include "profiles/frmCertificate.h"
#include "profiles/frmConnect.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/NoSessionBus.h"
#include "tests/support/TestCertificates.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// FTPS from a saved profile to the main window: the certificate question once, then a protected
// session whose command line logs in over TLS too (the server refuses a plain login).
class FtpsConnectTest : public QObject {
    Q_OBJECT

private slots:
    void savedFtpsProfileConnects() {
        CutOffSessionBus();
        TestCertificates certificates;
        const auto files = certificates.make(QStringLiteral("tovo"));
        const QString fingerprint = TestCertificates::fingerprint(files.certificate);
        FtpTestServer server;
        server.requireTls(files.certificate, files.key, QStringLiteral("1.3"));
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("hello.txt"), "hi");
        MainWindowHarness harness;
        MsgBoxRecorder messages;
        SetCertificateDecider(&frmCertificate::Ask);
        int asked = 0;
        const ModalInterceptor previous = SetModalInterceptor([&](QWidget* form) {
            if (auto* question = qobject_cast<frmCertificate*>(form)) {
                ++asked;
                QVERIFY(question->lblDetails->text().contains(fingerprint));
                question->cmdTrustAlways->click();
            }
        });
        WriteProfile(
            QFile::encodeName(harness.appPath() + "/Profile.ini").toStdString(),
            {"secure", "127.0.0.1", "FTPS", "user", "secret", std::to_string(server.port()), "Passive"});
        for (int attempt = 0; attempt < 2; ++attempt) {
            frmConnect dialog(harness.form());
            dialog.lstProfile_ItemClick(dialog.lstProfile->Item(1));
            dialog.cmdConnect_Click();
            QVERIFY(harness.remoteNames().contains(QStringLiteral("hello.txt")));
            QVERIFY(harness.form().StatusBar1->PanelText(2).endsWith(QStringLiteral("Yes")));
        }
        SetModalInterceptor(previous);
        SetCertificateDecider(nullptr);
        QCOMPARE(asked, 1);
        QFile trusted(harness.appPath() + QStringLiteral("/TrustedCertificates.ini"));
        QVERIFY(trusted.open(QIODevice::ReadOnly) && trusted.readAll().contains(fingerprint.toLatin1()));
    }
};

QTEST_MAIN(FtpsConnectTest)
#include "FtpsConnect_test.moc"
