#include "app/PictureBox.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// Names from the server or the disk show exactly as typed wherever the window quotes them; markup
// in a name is never rendered and an image tag never reads a file.
class PlainTextTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir; // the current folder, where a relative image tag would look

    // Rendered markup is narrower than its source text on one line; an image makes the label tall.
    static bool showsAsTyped(QLabel* label) {
        label->setWordWrap(false);
        const QSize hint = label->sizeHint();
        return hint.height() < 100 &&
               hint.width() >= QFontMetrics(label->font()).horizontalAdvance(label->text());
    }

private slots:
    void initTestCase() {
        QImage picture(400, 400, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(m_dir.filePath(QStringLiteral("big.png"))));
        QDir::setCurrent(m_dir.path());
    }

    void namesShowAsTyped_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("tag inside") << QStringLiteral("a<b>c");
        QTest::newRow("image") << QStringLiteral("<img src=big.png>");
        QTest::newRow("entity") << QStringLiteral("<i>x&amp;y");
    }
    void namesShowAsTyped() {
        QFETCH(QString, name);
        FtpTestServer server;
        server.makeDir(name);
        TOVO_REQUIRE_SERVER(server);
        MainWindowHarness h;
        {
            MsgBoxRecorder messages;
            h.connectOk(server, QStringLiteral("user"), QStringLiteral("secret"), messages);
            h.doubleClickRemote(name);
        }
        frmMain& form = h.form();
        QCOMPARE(form.lblDirectory->text(), QLatin1Char('/') + name + QLatin1Char('/'));
        QVERIFY(showsAsTyped(form.lblDirectory));
        // Every other label and status panel of the window may quote a name as well.
        for (QLabel* label : form.findChildren<QLabel*>()) {
            if (qobject_cast<PictureBox*>(label))
                continue;
            label->setText(QStringLiteral("Downloading File: ") + name);
            QVERIFY2(showsAsTyped(label), qPrintable(label->objectName()));
        }
        // A message built from a name.
        bool boxShowsAsTyped = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            boxShowsAsTyped = showsAsTyped(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
            box->accept();
        });
        MsgBox(QStringLiteral("Are you sure you want to delete directory: ") + name, vbOKOnly);
        QVERIFY(boxShowsAsTyped);
    }
};

QTEST_MAIN(PlainTextTest)
#include "PlainText_test.moc"
