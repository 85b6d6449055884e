#include "profiles/PasswordStore.h"

#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "profiles/frmConnect.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

// Every entry of the program in the keyring as "key=password", sorted, as secret-tool sees them:
// the secrets on its output, the keys on its error channel, item by item in the same order.
QStringList KeyringEntries() {
    QProcess tool;
    tool.start(QStringLiteral("secret-tool"), {QStringLiteral("search"), QStringLiteral("--all"),
                                               QStringLiteral("server"), SecretStore::ServiceName()});
    if (!tool.waitForFinished(10000))
        return {QStringLiteral("secret-tool did not answer")};
    const QRegularExpression secret(QStringLiteral("^secret = (.*)$"), QRegularExpression::MultilineOption);
    const QRegularExpression user(QStringLiteral("^attribute\\.user = (.*)$"),
                                  QRegularExpression::MultilineOption);
    auto secrets = secret.globalMatch(QString::fromUtf8(tool.readAllStandardOutput()));
    auto users = user.globalMatch(QString::fromUtf8(tool.readAllStandardError()));
    QStringList entries;
    while (secrets.hasNext() && users.hasNext())
        entries << users.next().captured(1) + QLatin1Char('=') + secrets.next().captured(1);
    entries.sort();
    return entries;
}

} // namespace

// Runs inside its own session bus with a fresh, unlocked gnome-keyring (see main below).
class PasswordStoreTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string Path() const {
        return QFile::encodeName(m_dir.filePath(QStringLiteral("Profile.ini"))).toStdString();
    }
    QByteArray File() const { return ReadFileBytes(m_dir.filePath(QStringLiteral("Profile.ini"))); }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsSet("TOVO_KEYRING_MISSING"))
            QSKIP(qPrintable(qEnvironmentVariable("TOVO_KEYRING_MISSING") +
                             QStringLiteral(" is not installed")));
    }
    void init() {
        QFile::remove(m_dir.filePath(QStringLiteral("Profile.ini")));
        for (const QString& entry : KeyringEntries())
            SecretStore(std::chrono::seconds(5)).Remove(entry.section(QLatin1Char('='), 0, 0));
    }

    // Steps: "save NAME HOST USER [PASSWORD]" (no password: not kept), "resave NAME" (read and save
    // again, as the dialog does), "delete NAME".
    void stepsLeaveTheKeyringAndFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("readBack"); // the password of "Home" as a new store reads it
        const QStringList save{QStringLiteral("save Home h1 anna pw1")};
        QTest::newRow("save") << QByteArray() << save << QStringList{"anna@h1/home=pw1"} << "pw1";
        QTest::newRow("host changed") << QByteArray() << (save + QStringList{"save Home h2 anna pw1"})
                                      << QStringList{"anna@h2/home=pw1"} << "pw1";
        QTest::newRow("user and case changed")
            << QByteArray() << (save + QStringList{"save HOME h1 bo@b/x pw2"})
            << QStringList{"bo%40b%2Fx@h1/home=pw2"} << "pw2";
        QTest::newRow("saved as another name, old one deleted")
            << QByteArray() << (save + QStringList{"save Work h1 anna pw1", "delete Home"})
            << QStringList{"anna@h1/work=pw1"} << "";
        QTest::newRow("delete") << QByteArray() << (save + QStringList{"delete Home"}) << QStringList{} << "";
        QTest::newRow("saved without password")
            << QByteArray() << (save + QStringList{"save Home h1 anna"}) << QStringList{} << "";
        QTest::newRow("old plain-text password moves")
            << QByteArray("[Home]\nLocation=h1\nUsername=anna\nPassword=old\nPort=21\n")
            << QStringList{"resave Home"} << QStringList{"anna@h1/home=old"} << "old";
    }
    void stepsLeaveTheKeyringAndFile() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, steps);
        if (!file.isEmpty())
            QVERIFY(WriteFileBytes(m_dir.filePath(QStringLiteral("Profile.ini")), file));
        PasswordStore store;
        for (const QString& step : steps) {
            const QStringList w = step.split(QLatin1Char(' '));
            const std::string name = w[1].toStdString();
            if (w[0] == QLatin1String("delete")) {
                store.Remove(Path(), name);
            } else {
                ConnectionProfile profile =
                    w[0] == QLatin1String("resave")
                        ? store.Read(Path(), name)
                        : ConnectionProfile{
                              name, w[2].toStdString(), "FTP", w[3].toStdString(), w.value(4).toStdString(),
                              "21", "Passive"};
                const auto place = profile.Password.empty() ? PasswordStore::Place::Nowhere
                                                            : PasswordStore::Place::SecretStore;
                QVERIFY(store.Write(Path(), profile, place));
            }
        }
        QTEST(KeyringEntries(), "entries");
        QVERIFY2(
            !QRegularExpression(QStringLiteral("Password=.")).match(QString::fromUtf8(File())).hasMatch(),
            File().constData());
        QTEST(QString::fromStdString(PasswordStore().Read(Path(), "Home").Password), "readBack");
    }

    // Through the dialog: saved, read back by a new dialog, deleted.
    void dialogSavesReadsAndDeletes() {
        MainWindowHarness harness;
        MsgBoxRecorder messages;
        const QString ini = harness.appPath() + QStringLiteral("/Profile.ini");
        {
            frmConnect dialog(harness.form());
            dialog.txtProfile->setText(QStringLiteral("Site"));
            dialog.txtServerLocation->setText(QStringLiteral("127.0.0.1"));
            dialog.txtUsername->setText(QStringLiteral("anna"));
            dialog.txtPassword->setText(QStringLiteral("s3cret"));
            dialog.Check1->setChecked(true);
            dialog.cmdSave_Click();
        }
        QVERIFY(!ReadFileBytes(ini).contains("s3cret"));
        frmConnect dialog(harness.form());
        dialog.lstProfile->setCurrentItem(dialog.lstProfile->topLevelItem(0));
        dialog.lstProfile_ItemClick(dialog.lstProfile->topLevelItem(0));
        QCOMPARE(dialog.txtPassword->text(), QStringLiteral("s3cret"));
        QVERIFY(dialog.Check1->isChecked());
        messages.answerNext(vbYes);
        dialog.Command1_Click();
        QCOMPARE(KeyringEntries(), QStringList());
    }
};

// Starts again inside a private session bus with a keyring unlocked by a known password, in a fresh
// home, so that no user's own keyring is touched.
int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("TOVO_KEYRING_SESSION")) {
        for (const char* tool : {"dbus-run-session", "gnome-keyring-daemon", "secret-tool"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                qputenv("TOVO_KEYRING_MISSING", tool);
        char home[] = "/tmp/tovo-keyring-XXXXXX";
        if (!qEnvironmentVariableIsSet("TOVO_KEYRING_MISSING") && mkdtemp(home)) {
            for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "TOVO_KEYRING_SESSION"})
                qputenv(name, home);
            // QtKeychain picks KWallet on a KDE desktop; a display would let a prompt appear.
            for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "DISPLAY"})
                qunsetenv(name);
            std::vector<char*> args{
                const_cast<char*>("dbus-run-session"),
                const_cast<char*>("--"),
                const_cast<char*>("sh"),
                const_cast<char*>("-c"),
                const_cast<char*>(
                    "printf pw | timeout 20 gnome-keyring-daemon --unlock "
                    "--components=secrets >/dev/null || { echo 'gnome-keyring-"
                    "daemon did not start' >&2; exit 1; }; \"$@\"; rc=$?; rm -rf \"$HOME\"; exit $rc"),
                const_cast<char*>("sh")};
            args.insert(args.end(), argv, argv + argc);
            args.push_back(nullptr);
            execvp(args[0], args.data());
            qFatal("dbus-run-session could not be started");
        }
    }
    QApplication app(argc, argv);
    PasswordStoreTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PasswordStore_test.moc"
