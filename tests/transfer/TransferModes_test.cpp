#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TransferFixture.h"
#include "transfer/ExtensionCompare.h"

#include <QRadioButton>
#include <QtTest>

// The type each file is opened with, as the server sees it (TYPE A / TYPE I before the transfer).
class TransferModesTest : public QObject {
    Q_OBJECT

    static std::string lastType(const std::vector<std::string>& commands, const std::string& verb) {
        std::string type;
        for (const std::string& line : commands) {
            if (line.rfind("TYPE", 0) == 0)
                type = line;
            if (line.rfind(verb, 0) == 0)
                return type;
        }
        return "no " + verb;
    }

    static void choose(frmMain& form, const QString& mode) {
        QRadioButton* button = mode == QLatin1String("Auto")    ? form.optAuto
                               : mode == QLatin1String("ASCII") ? form.optASCII
                                                                : form.optBinary;
        button->setChecked(true);
    }

    static void table() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::newRow("Auto, text") << "Auto"
                                    << "notes.txt"
                                    << "TYPE A";
        QTest::newRow("Auto, picture") << "Auto"
                                       << "photo.jpg"
                                       << "TYPE I";
        QTest::newRow("ASCII, picture") << "ASCII"
                                        << "photo.jpg"
                                        << "TYPE A";
        QTest::newRow("Binary, text") << "Binary"
                                      << "readme.txt"
                                      << "TYPE I";
    }

private slots:
    void downloadOpensWithTheChosenType_data() { table(); }
    void downloadOpensWithTheChosenType() {
        QFETCH(QString, mode);
        QFETCH(QString, name);
        QFETCH(QString, type);
        ScriptedFtpServer server;
        server.on("RETR", Transfer("line\r\n"));
        QVERIFY(server.start());
        TransferFixture f;
        QVERIFY(f.connect(server.port()));
        choose(f.form(), mode);
        f.armDownload(f.addRemoteRow(name, 6));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.form().Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Data transfer completed.")});
        QCOMPARE(QString::fromStdString(lastType(server.commands(), "RETR")), type);
    }

    void uploadOpensWithTheChosenType_data() { table(); }
    void uploadOpensWithTheChosenType() {
        QFETCH(QString, mode);
        QFETCH(QString, name);
        QFETCH(QString, type);
        ScriptedFtpServer server;
        QVERIFY(server.start());
        TransferFixture f;
        QVERIFY(f.connect(server.port()));
        choose(f.form(), mode);
        f.writeLocal(name, "content");
        f.armUpload(f.addLocalRow(name));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.form().Picture2_Click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Data transfer completed.")});
        QCOMPARE(QString::fromStdString(lastType(server.commands(), "STOR")), type);
        QCOMPARE(CurrentTransferType, type == QLatin1String("TYPE A") ? 1 : 2);
        // Deciding the type reads nothing from the server.
        for (const std::string& line : server.commands())
            QVERIFY2(line.rfind("RETR", 0) != 0, line.c_str());
    }

    void modeChangeDuringAQueueAppliesFromTheNextFile() {
        ScriptedFtpServer server;
        server.on("RETR", Transfer(std::string(3000, 'm')));
        QVERIFY(server.start());
        TransferFixture f;
        QVERIFY(f.connect(server.port()));
        choose(f.form(), QStringLiteral("Binary"));
        QTreeWidgetItem* row = f.addRemoteRow(QStringLiteral("a.txt"), 3000);
        f.addRemoteRow(QStringLiteral("b.txt"), 3000);
        f.armDownload(row);
        f.onPump([&] { f.form().optASCII->setChecked(true); });
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.form().Picture1_Click();
        f.onPump({});
        std::vector<std::string> types;
        for (const std::string& line : server.commands())
            if (line.rfind("TYPE", 0) == 0)
                types.push_back(line);
        QVERIFY(!types.empty());
        QCOMPARE(QString::fromStdString(types.back()), QStringLiteral("TYPE A"));
        QCOMPARE(QString::fromStdString(types.front()), QStringLiteral("TYPE I"));
    }
};

QTEST_MAIN(TransferModesTest)
#include "TransferModes_test.moc"
