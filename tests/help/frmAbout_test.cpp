// The About box: as the start-up splash it runs modally until its timer closes it; any click closes it.
#include "help/frmAbout.h"

#include "app/PictureBox.h"
#include "app/WindowLayer.h"

#include <QTimer>
#include <QtTest>

class frmAboutTest : public QObject {
    Q_OBJECT
private slots:
    void splashRunsModallyUntilItsTimerFires() {
        frmAbout splash;
        QVERIFY(splash.Timer1->isActive());
        splash.Timer1->setInterval(50); // the real seven seconds are not waited for here
        splash.Timer1->start();
        ShowModal(&splash);
        QVERIFY(!splash.isVisible());
        QVERIFY(!splash.Timer1->isActive());
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
