#include "app/frmMain.h"
#include "profiles/ProfileStore.h"
#include "profiles/TrustedCertificates.h"
#include "profiles/frmCertificate.h"
#include "profiles/frmConnect.h"
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

// FTPS from a saved profile to the main window: the certificate question, then a protected session
// whose command line logs in over TLS too (the server refuses a plain login).
class FtpsConnectTest : public QObject {
    Q_OBJECT

private slots:
    // Trust always connects, and the next connect asks nothing. Enter and Escape, on first use or asked
    // again about a changed certificate, trust nothing: no session, nothing kept, the refusal named.
    void certificateQuestion_data() {
        QTest::addColumn<int>("key"); // 0: the Trust always button clicked
        QTest::addColumn<bool>("changed");
        QTest::newRow("Trust always") << 0 << false;
        for (const bool changed : {false, true})
            for (const auto& [name, key] : {std::pair{"Enter", Qt::Key_Return}, {"Escape", Qt::Key_Escape}})
                QTest::addRow("%s, %s", name, changed ? "changed" : "first use") << int(key) << changed;
    }
    void certificateQuestion() {
        QFETCH(int, key);
        QFETCH(bool, changed);
        CutOffSessionBus();
        TestCertificates certificates;
        const auto files = certificates.make(QStringLiteral("tovo"));
        const QString fingerprint = TestCertificates::fingerprint(files.certificate);
        FtpTestServer server;
        server.requireTls(files.certificate, files.key, QStringLiteral("1.3"));
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("hello.txt"), "hi");
        MainWindowHarness harness;
        const std::string trustFile =
            QFile::encodeName(harness.appPath() + "/TrustedCertificates.ini").toStdString();
        if (changed)
            QVERIFY(TrustCertificate(trustFile, "127.0.0.1", server.port(), "AA:BB"));
        const auto before = TrustedFingerprint(trustFile, "127.0.0.1", server.port());
        WriteProfile(
            QFile::encodeName(harness.appPath() + "/Profile.ini").toStdString(),
            {"secure", "127.0.0.1", "FTPS", "user", "secret", std::to_string(server.port()), "Passive"});
        SetCertificateDecider(&frmCertificate::Ask);
        int asked = 0;
        const ModalInterceptor previous = SetModalInterceptor([&](QWidget* form) {
            auto* question = qobject_cast<frmCertificate*>(form);
            QVERIFY(question && ++asked && question->lblDetails->text().contains(fingerprint));
            question->show();
            QVERIFY(QTest::qWaitForWindowActive(question));
            key ? QTest::keyClick(QApplication::focusWidget(), Qt::Key(key))
                : question->cmdTrustAlways->click();
            QVERIFY(question->isHidden());
        });
        MsgBoxRecorder messages;
        if (key)
            messages.answerNext(vbOK);
        for (int attempt = 0; attempt < (key ? 1 : 2); ++attempt) {
            frmConnect dialog([&harness] { harness.form().remote().ConnectToServer(); });
            dialog.lstProfile_ItemClick(dialog.lstProfile->Item(1));
            dialog.cmdConnect_Click();
            QCOMPARE(harness.remoteNames().contains(QStringLiteral("hello.txt")), !key);
            QCOMPARE(harness.form().StatusBar1->PanelText(2).endsWith(QStringLiteral("Yes")), !key);
        }
        SetModalInterceptor(previous);
        SetCertificateDecider(nullptr);
        QCOMPARE(asked, 1);
        QCOMPARE(TrustedFingerprint(trustFile, "127.0.0.1", server.port()),
                 key ? before : std::optional(fingerprint.toStdString()));
        QCOMPARE(messages.texts().size(), key ? 1 : 0);
        QVERIFY(!key || messages.texts().first().contains(QStringLiteral("certificate")));
    }
};

QTEST_MAIN(FtpsConnectTest)
#include "FtpsConnect_test.moc"
