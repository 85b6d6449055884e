// Kilobyte texts of the remote list (1024, "Kb"), the local list (1000, " Kb") and the transfer panel.
#include "toolkit/SizeText.h"

#include <QtTest>

class SizeTextTest : public QObject {
    Q_OBJECT
private slots:
    void kilobyteText_data() {
        QTest::addColumn<QString>("row"); // bytes unit decimals text
        const QString max = QString::number(std::numeric_limits<qint64>::max());
        for (const QString& row :
             QStringLiteral("0 1024 0 0Kb|512 1024 0 1Kb|M 1024 0 9,007,199,254,740,992Kb|499 1000 0 0 Kb|"
                            "500 1000 0 1 Kb|999500 1000 0 1,000 Kb|M 1000 0 9,223,372,036,854,776 Kb|"
                            "2500 1024 1 2.4 Kb|1076 1024 1 1.1 Kb|1234567 1024 1 1,205.6 Kb|"
                            "M 1024 1 9,007,199,254,740,992.0 Kb")
                 .split('|'))
            QTest::newRow(qPrintable(row)) << QString(row).replace(QLatin1String("M "), max + ' ');
    }
    void kilobyteText() {
        QFETCH(QString, row);
        const int unit = row.section(' ', 1, 1).toInt(), decimals = row.section(' ', 2, 2).toInt();
        const std::string text = KilobyteText(row.section(' ', 0, 0).toLongLong(), unit, decimals,
                                              unit == 1024 && decimals == 0 ? "Kb" : " Kb");
        QCOMPARE(QString::fromStdString(text), row.section(' ', 3));
    }
};

QTEST_APPLESS_MAIN(SizeTextTest)
#include "SizeText_test.moc"
