#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "profiles/frmConnect.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/NoSessionBus.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

// Saving a password with no secret store at all: the process has no session bus.
class PasswordFallbackTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CutOffSessionBus(); }
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
        auto saving = std::make_unique<frmConnect>(harness.form());
        for (auto [field, text] : {std::pair{saving->txtProfile, "Site"},
                                   {saving->txtServerLocation, "host"},
                                   {saving->txtUsername, "anna"},
                                   {saving->txtPassword, "s3cret"}})
            field->setText(QString::fromLatin1(text));
        saving->Check1->setChecked(savePassword);
        saving->cmdSave_Click();
        QCOMPARE(messages.calls().size(), answer ? 1 : 0);
        QCOMPARE(ReadFileBytes(harness.appPath() + "/Profile.ini").contains("Password=s3cret\n"),
                 !readBack.isEmpty());
        frmConnect reading(harness.form());
        reading.lstProfile_ItemClick(reading.lstProfile->topLevelItem(0));
        QCOMPARE(reading.txtPassword->text(), readBack);
        QCOMPARE(reading.Check1->isChecked(), !readBack.isEmpty());
    }
};

QTEST_MAIN(PasswordFallbackTest)
#include "PasswordFallback_test.moc"
