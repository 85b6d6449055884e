#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "profiles/frmConnect.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/NoSessionBus.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

// Saving a password where no secret store can be reached: the process has no session bus at all.
class PasswordFallbackTest : public QObject {
    Q_OBJECT
private slots:
    void userChoosesWhereThePasswordGoes_data() {
        QTest::addColumn<bool>("savePassword");
        QTest::addColumn<int>("answer"); // 0: no question expected
        QTest::addColumn<QString>("readBack");
        QTest::newRow("kept in Profile.ini") << true << int(vbYes) << "s3cret";
        QTest::newRow("not kept") << true << int(vbNo) << "";
        QTest::newRow("Save Password off: not asked") << false << 0 << "";
    }
    void userChoosesWhereThePasswordGoes() {
        QFETCH(bool, savePassword);
        QFETCH(int, answer);
        QFETCH(QString, readBack);
        MainWindowHarness harness;
        MsgBoxRecorder messages;
        if (answer)
            messages.answerNext(answer);
        {
            frmConnect dialog(harness.form());
            dialog.txtProfile->setText(QStringLiteral("Site"));
            dialog.txtServerLocation->setText(QStringLiteral("127.0.0.1"));
            dialog.txtUsername->setText(QStringLiteral("anna"));
            dialog.txtPassword->setText(QStringLiteral("s3cret"));
            dialog.Check1->setChecked(savePassword);
            dialog.cmdSave_Click();
        }
        QCOMPARE(messages.calls().size(), answer ? 1 : 0);
        if (answer)
            QCOMPARE(messages.calls().front().style, vbYesNo | vbQuestion);
        QCOMPARE(
            ReadFileBytes(harness.appPath() + QStringLiteral("/Profile.ini")).contains("Password=s3cret\n"),
            !readBack.isEmpty());
        frmConnect dialog(harness.form());
        dialog.lstProfile_ItemClick(dialog.lstProfile->topLevelItem(0));
        QCOMPARE(dialog.txtPassword->text(), readBack);
        QCOMPARE(dialog.Check1->isChecked(), !readBack.isEmpty());
    }
};

int main(int argc, char** argv) {
    CutOffSessionBus();
    QApplication app(argc, argv);
    PasswordFallbackTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PasswordFallback_test.moc"
