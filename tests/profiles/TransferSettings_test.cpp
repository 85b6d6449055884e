// The transfer settings file: what each text reads as (anything not understood as the default), and
// every setting written and read back without touching the rest of the file.
#include "profiles/TransferSettings.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

class TransferSettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_file = m_dir.filePath("Transfer.ini");
    const std::string m_path = QFile::encodeName(m_file).toStdString();

private slots:
    void init() { QFile::remove(m_file); }

    void reads_data() {
        QTest::addColumn<QByteArray>("text"); // nothing written when empty
        QTest::addColumn<int>("whenExists");
        QTest::addColumn<bool>("keepTimes");
        QTest::newRow("no file") << QByteArray() << int(WhenExists::Replace) << true;
        QTest::newRow("set") << QByteArray("[Transfer]\nWhenExists=Resume\nKeepTimes=0\n")
                             << int(WhenExists::Resume) << false;
        QTest::newRow("any case") << QByteArray("[transfer]\nwhenexists=replaceifnewerordifferent\n")
                                  << int(WhenExists::ReplaceIfNewerOrDifferent) << true;
        QTest::newRow("not understood") << QByteArray("[Transfer]\nWhenExists=Sometimes\nKeepTimes=yes\n")
                                        << int(WhenExists::Replace) << true;
        QTest::newRow("other section")
            << QByteArray("[Other]\nWhenExists=Skip\nKeepTimes=0\n") << int(WhenExists::Replace) << true;
    }
    void reads() {
        QFETCH(QByteArray, text);
        QFETCH(int, whenExists);
        QFETCH(bool, keepTimes);
        if (!text.isEmpty())
            QVERIFY(WriteFileBytes(m_file, text));
        const TransferOptions options = ReadTransferSettings(m_path);
        QCOMPARE(int(options.whenExists), whenExists);
        QCOMPARE(options.keepTimes, keepTimes);
    }

    void roundTrip() {
        QVERIFY(WriteFileBytes(m_file, "; mine\n[Other]\nKey=kept\n"));
        for (const WhenExists setting :
             {WhenExists::Replace, WhenExists::Ask, WhenExists::ReplaceIfNewerOrDifferent, WhenExists::Resume,
              WhenExists::Skip}) {
            for (const bool keepTimes : {false, true}) {
                QVERIFY(WriteTransferSettings(m_path, {setting, keepTimes}));
                const TransferOptions read = ReadTransferSettings(m_path);
                QCOMPARE(int(read.whenExists), int(setting));
                QCOMPARE(read.keepTimes, keepTimes);
            }
        }
        QVERIFY(ReadFileBytes(m_file).startsWith("; mine\n[Other]\nKey=kept\n"));
    }
};

QTEST_MAIN(TransferSettingsTest)
#include "TransferSettings_test.moc"
