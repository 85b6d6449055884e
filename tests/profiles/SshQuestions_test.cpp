// The two questions an SFTP login puts to the user, driven as the program shows them: the host key
// (only a deliberate second step replaces a changed one) and a key's passphrase.
#include "profiles/frmHostKey.h"
#include "profiles/frmPassphrase.h"
#include "tests/support/MsgBoxRecorder.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class SshQuestionsTest : public QObject {
    Q_OBJECT

    // Shows the question that the program asks modally, then runs answer on it.
    template <typename Form> static ModalInterceptor intercept(const std::function<void(Form*)>& answer) {
        return SetModalInterceptor([answer](QWidget* widget) {
            auto* form = qobject_cast<Form*>(widget);
            QVERIFY(form);
            form->show();
            QVERIFY(QTest::qWaitForWindowActive(form));
            answer(form);
            QVERIFY(form->isHidden());
        });
    }

private slots:
    // A new key may be trusted always or this time; a changed one names both fingerprints and can
    // only be replaced (trusted always) through the second question. Enter and Escape trust nothing.
    void hostKey_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("answer"); // a key, a button, or "Replace" and the second answer
        QTest::addColumn<int>("decision");
        for (const bool changed : {false, true})
            for (const char* key : {"Enter", "Escape"})
                QTest::addRow("%s, %s", changed ? "changed" : "new", key)
                    << changed << key << int(HostKeyDecision::Refuse);
        QTest::newRow("new, Trust always") << false << "cmdTrustAlways" << int(HostKeyDecision::TrustAlways);
        QTest::newRow("new, Trust this time") << false << "cmdTrustOnce" << int(HostKeyDecision::TrustOnce);
        QTest::newRow("changed, replaced") << true << "Replace Yes" << int(HostKeyDecision::TrustAlways);
        QTest::newRow("changed, not replaced") << true << "Replace No" << int(HostKeyDecision::Refuse);
    }
    void hostKey() {
        QFETCH(bool, changed);
        QFETCH(QString, answer);
        QFETCH(int, decision);
        const ServerHostKey key{"example.org", 2222, "ssh-ed25519", "SHA256:offered",
                                changed ? "SHA256:stored" : ""};
        MsgBoxRecorder boxes;
        if (answer.startsWith("Replace"))
            boxes.answerNext(answer.endsWith("Yes") ? vbYes : vbNo);
        const ModalInterceptor previous = intercept<frmHostKey>([&](frmHostKey* form) {
            QCOMPARE(QApplication::focusWidget(), form->cmdCancel);
            const QString shown = form->lblProblem->text() + form->lblDetails->text();
            QVERIFY(shown.contains("SHA256:offered") && shown.contains("SHA256:stored") == changed);
            QCOMPARE(form->cmdTrustAlways->isHidden() && form->cmdTrustOnce->isHidden(), changed);
            if (answer == "Enter" || answer == "Escape")
                QTest::keyClick(QApplication::focusWidget(),
                                answer == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
            else if (changed)
                form->cmdReplace->click();
            else
                form->findChild<QPushButton*>(answer)->click();
        });
        QCOMPARE(int(frmHostKey::Ask(key)), decision);
        SetModalInterceptor(previous);
        if (answer.startsWith("Replace"))
            QVERIFY(boxes.calls().size() == 1 && (boxes.calls().first().style & vbDefaultButton2) &&
                    boxes.texts().first().contains("SHA256:stored"));
    }

    void passphrase_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("answered");
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
    }
    void passphrase() {
        QFETCH(int, key);
        QFETCH(bool, answered);
        const ModalInterceptor previous = intercept<frmPassphrase>([&](frmPassphrase* form) {
            QVERIFY(form->lblKeyFile->text().contains("/home/u/.ssh/id_ed25519"));
            QTest::keyClicks(QApplication::focusWidget(), "pass phrase");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        });
        const std::optional<std::string> typed = frmPassphrase::Ask("/home/u/.ssh/id_ed25519");
        SetModalInterceptor(previous);
        QCOMPARE(typed, answered ? std::optional<std::string>("pass phrase") : std::nullopt);
    }
};

QTEST_MAIN(SshQuestionsTest)
#include "SshQuestions_test.moc"
