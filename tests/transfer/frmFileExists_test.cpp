// The file-exists question: each button gives its answer, with or without the rest of the transfer;
// Resume is there only when offered; Escape and Enter cancel rather than overwrite.
#include "tests/support/ExistsAnswerer.h"
#include "toolkit/WindowLayer.h"
#include "transfer/frmFileExists.h"

#include <QtTest>
#include <QtWidgets>

class frmFileExistsTest : public QObject {
    Q_OBJECT

private slots:
    void answers_data() {
        QTest::addColumn<QString>("press"); // a button's name, or a key
        QTest::addColumn<bool>("resumeOffered");
        QTest::addColumn<bool>("sameForRest");
        QTest::addColumn<int>("action");
        QTest::newRow("Replace") << "cmdReplace" << false << false << int(ExistsAction::Replace);
        QTest::newRow("Resume for the rest") << "cmdResume" << true << true << int(ExistsAction::Resume);
        QTest::newRow("Keep both") << "cmdKeepBoth" << true << false << int(ExistsAction::KeepBoth);
        QTest::newRow("Skip for the rest") << "cmdSkip" << false << true << int(ExistsAction::Skip);
        QTest::newRow("Cancel") << "cmdCancel" << false << false << int(ExistsAction::Cancel);
        QTest::newRow("Escape") << "Escape" << true << false << int(ExistsAction::Cancel);
        QTest::newRow("Enter") << "Enter" << true << false << int(ExistsAction::Cancel);
    }
    void answers() {
        QFETCH(QString, press);
        QFETCH(bool, resumeOffered);
        QFETCH(bool, sameForRest);
        QFETCH(int, action);
        const ExistsQuestion question{
            "caf\xE9.txt", {1234567, 1700000000}, {99, std::nullopt}, resumeOffered};
        bool resumeShown = false;
        QString shownName;
        const ModalInterceptor previous = SetModalInterceptor([&](QWidget* form) {
            auto* dialog = qobject_cast<frmFileExists*>(form);
            dialog->show();
            resumeShown = dialog->cmdResume->isVisible();
            shownName = dialog->lblName->text();
            if (sameForRest)
                QTest::mouseClick(dialog->chkSameForRest, Qt::LeftButton, {}, QPoint(5, 5));
            if (auto* button = dialog->findChild<QPushButton*>(press))
                QTest::mouseClick(button, Qt::LeftButton);
            else
                QTest::keyClick(dialog, press == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        });
        const ExistsAnswer answer = frmFileExists::Ask(question);
        SetModalInterceptor(previous);
        QCOMPARE(int(answer.action), action);
        QCOMPARE(answer.sameForRest, sameForRest);
        QCOMPARE(resumeShown, resumeOffered);
        QCOMPARE(shownName, QString::fromUtf8("caf\xEF\xBF\xBD.txt")); // the byte that is not UTF-8 replaced
    }

    // With an answerer set no window opens; the question reaches it whole.
    void answererStandsInForTheDialog() {
        ExistsAnswerer answerer;
        answerer.answerNext(ExistsAction::Skip, true);
        const ExistsAnswer answer = frmFileExists::Ask({"a.txt", {1, 2}, {3, 4}, true});
        QCOMPARE(int(answer.action), int(ExistsAction::Skip));
        QVERIFY(answer.sameForRest && answerer.questions().size() == 1);
        QCOMPARE(answerer.questions()[0].target.size, 3);
    }
};

QTEST_MAIN(frmFileExistsTest)
#include "frmFileExists_test.moc"
