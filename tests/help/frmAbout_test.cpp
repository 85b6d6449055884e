#include "help/frmAbout.h"

#include "app/PictureBox.h"
#include "app/WindowLayer.h"

#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <QtTest>

class frmAboutTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ClearScreenOverride(); }

    void loadsCentredWithTimerRunning() {
        OverrideScreen(1024, 768, 15);
        frmAbout about;
        QCOMPARE(about.size(), QSize(290, 270)); // 4350 x 4050 twips
        QCOMPARE(about.pos(), QPoint((1024 - 290) / 2, (768 - 270) / 2));
        QVERIFY(about.Timer1->isActive());
        QCOMPARE(about.Timer1->interval(), 7000);
        QCOMPARE(about.Picture1->pixmap().size(), QSize(96, 96));
        QVERIFY(!about.Picture2->pixmap().isNull());
        QCOMPARE(about.Picture2->accessibleName(), QStringLiteral("Tovo FTP"));
        QCOMPARE(about.Picture2->font().pointSizeF(), 20.25);
    }

    void timerClosesTheSplash() {
        int shown = 0;
        const ModalInterceptor previous = SetModalInterceptor([&shown](QWidget* form) {
            auto* about = qobject_cast<frmAbout*>(form);
            QVERIFY(about);
            ++shown;
            about->show();
            about->Timer1_Timer();
            QVERIFY(!about->isVisible());
            QVERIFY(!about->Timer1->isActive());
        });
        frmAbout splash;
        ShowModal(&splash);
        SetModalInterceptor(previous);
        QCOMPARE(shown, 1);
    }

    void splashRunsModallyUntilItsTimerFires() {
        frmAbout splash;
        splash.Timer1->setInterval(50); // the real seven seconds are not waited for here
        splash.Timer1->start();
        ShowModal(&splash);
        QVERIFY(!splash.isVisible());
    }

    void anyClickCloses_data() {
        QTest::addColumn<QString>("part");
        QTest::newRow("frame") << "Frame1";
        QTest::newRow("picture") << "Picture1";
        QTest::newRow("name") << "Picture2";
    }
    void anyClickCloses() {
        QFETCH(QString, part);
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* widget = about.findChild<QWidget*>(part);
        QVERIFY(widget);
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(frmAboutTest)
#include "frmAbout_test.moc"
