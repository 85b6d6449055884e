#include "app/frmMain.h"
#include "profiles/ProfileStore.h"
#include "profiles/TrustedCertificates.h"
#include "profiles/frmCertificate.h"
#include "profiles/frmConnect.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/NoSessionBus.h"
#include "tests/support/TestCertificates.h"
#include "toolkit/ListView.h"
#include "toolkit/StatusBar.h"

#include <QApplication>
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
            frmConnect dialog([&harness] { harness.form().remote().ConnectToServer(); });
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

    // Enter and Escape on the question, first asked or asked again about a changed certificate, trust
    // nothing: no session, nothing kept, and the refusal named.
    void keysNeverTrust_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("changed");
        for (const bool changed : {false, true})
            for (const auto& [name, key] : {std::pair{"Enter", Qt::Key_Return}, {"Escape", Qt::Key_Escape}})
                QTest::addRow("%s, %s", name, changed ? "changed" : "first use") << int(key) << changed;
    }
    void keysNeverTrust() {
        QFETCH(int, key);
        QFETCH(bool, changed);
        CutOffSessionBus();
        TestCertificates certificates;
        const auto files = certificates.make(QStringLiteral("tovo"));
        FtpTestServer server;
        server.requireTls(files.certificate, files.key, QStringLiteral("1.3"));
        TOVO_REQUIRE_SERVER(server);
        MainWindowHarness harness;
        const std::string trustFile =
            QFile::encodeName(harness.appPath() + "/TrustedCertificates.ini").toStdString();
        SetTrustedCertificatesFile(trustFile);
        if (changed)
            QVERIFY(TrustCertificate(trustFile, "127.0.0.1", server.port(), "AA:BB"));
        const auto before = TrustedFingerprint(trustFile, "127.0.0.1", server.port());
        SetCertificateDecider(&frmCertificate::Ask);
        int asked = 0;
        const ModalInterceptor previous = SetModalInterceptor([&](QWidget* form) {
            auto* question = qobject_cast<frmCertificate*>(form);
            QVERIFY(question && ++asked);
            question->show();
            QVERIFY(QTest::qWaitForWindowActive(question));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            QVERIFY(question->isHidden());
        });
        MsgBoxRecorder messages;
        messages.answerNext(vbOK);
        FtpSession.Secure = true;
        harness.connectTo(server.port());
        SetModalInterceptor(previous);
        SetCertificateDecider(nullptr);
        QCOMPARE(asked, 1);
        QVERIFY(FtpSession.hConnect == 0 && harness.remoteNames().isEmpty());
        QVERIFY(TrustedFingerprint(trustFile, "127.0.0.1", server.port()) == before);
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY(messages.texts().first().contains(QStringLiteral("certificate")));
    }
};

QTEST_MAIN(FtpsConnectTest)
#include "FtpsConnect_test.moc"
