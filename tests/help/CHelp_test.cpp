#include "help/CHelp.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class CHelpTest : public QObject {
    Q_OBJECT
private:
    struct Opened {
        QString target;
        std::optional<int> context;
    };
    QList<Opened> m_opened;
    CHelp::Opener m_previous;
    QTemporaryDir m_dir;
    QString m_file;

private slots:
    void initTestCase() {
        m_file = m_dir.filePath(QStringLiteral("TovoHelp.chm"));
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    void init() {
        m_opened.clear();
        m_previous = CHelp::SetOpener([this](const QString& target, std::optional<int> context) {
            m_opened.append({target, context});
        });
    }
    void cleanup() { CHelp::SetOpener(m_previous); }

    void target_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QString>("expected");
        const QString f = QStringLiteral("%1");
        QTest::newRow("file alone") << f << QString() << f;
        QTest::newRow("window type") << f << QStringLiteral("main") << f + QStringLiteral(">main");
        QTest::newRow("both trimmed")
            << QStringLiteral("  %1 ") << QStringLiteral(" main  ") << f + QStringLiteral(">main");
        QTest::newRow("no pane, untrimmed file is used as given") << QStringLiteral("%1") << QString() << f;
    }
    void target() {
        QFETCH(QString, file);
        QFETCH(QString, pane);
        QFETCH(QString, expected);
        CHelp().Show(file.arg(m_file), pane);
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.first().target, expected.arg(m_file));
        QVERIFY(!m_opened.first().context);
    }

    void contextNumberIsPassedOn() {
        CHelp().Show(m_file, QString(), 42);
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.first().context, std::optional<int>(42));
    }

    void missingFileOpensNothing() {
        CHelp().Show(m_dir.filePath(QStringLiteral("missing.chm")));
        CHelp().Show(m_dir.filePath(QStringLiteral("missing.chm")), QStringLiteral("main"), 3);
        QVERIFY(m_opened.isEmpty());
    }
};

QTEST_MAIN(CHelpTest)
#include "CHelp_test.moc"
