#include "profiles/PasswordStore.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The program's entries in the keyring as "key=password", sorted: secret-tool prints the secrets on
// its output and the keys on its error channel, item by item in the same order.
static QStringList KeyringEntries() {
    QProcess tool;
    tool.start(QStringLiteral("secret-tool"), {"search", "--all", "server", SecretStore::ServiceName()});
    tool.waitForFinished(10000);
    auto secrets = QRegularExpression("(?m)^secret = (.*)$").globalMatch(tool.readAllStandardOutput());
    auto keys = QRegularExpression("(?m)^attribute\\.user = (.*)$").globalMatch(tool.readAllStandardError());
    QStringList entries;
    while (secrets.hasNext() && keys.hasNext())
        entries << keys.next().captured(1) + '=' + secrets.next().captured(1);
    entries.sort();
    return entries;
}

// Runs inside a private session bus with a fresh gnome-keyring unlocked by a known password (main).
class PasswordStoreTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const std::string m_path = QFile::encodeName(m_dir.filePath("Profile.ini")).toStdString();

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsSet("TOVO_KEYRING_MISSING"))
            QSKIP(qPrintable(qEnvironmentVariable("TOVO_KEYRING_MISSING") + " is not installed"));
    }

    // Steps, split by ';': "save NAME HOST USER [PASSWORD]" (no password: not kept), "old ..." (the
    // password in the file, as older versions saved it), "resave NAME" (read, then save as the dialog
    // does), "delete NAME". Then the keyring's entries, and what a new store reads back for "Home".
    void keyringAndFileAfterSteps_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QString>("readBack");
        const auto row = [](const char* name, const char* later, const char* entries, const char* readBack) {
            QTest::newRow(name) << QStringLiteral("save Home h1 anna pw1;") + later << entries << readBack;
        };
        row("save", "", "anna@h1/home=pw1", "pw1");
        row("user, case changed", "save HOME h1 bo@b/x pw2", "bo%40b%2Fx@h1/home=pw2", "pw2");
        row("renamed: saved anew, old deleted", "save Work h1 anna pw1;delete Home", "anna@h1/work=pw1", "");
        row("unchecked", "save Home h1 anna", "", "");
        QTest::newRow("old moves") << "old Home h1 anna o;resave Home"
                                   << "anna@h1/home=o"
                                   << "o";
    }
    void keyringAndFileAfterSteps() {
        QFETCH(QString, steps);
        QFile::remove(QString::fromStdString(m_path));
        for (const QString& entry : KeyringEntries())
            SecretStore(std::chrono::seconds(5)).Remove(entry.section('=', 0, 0));
        PasswordStore store;
        for (const QString& step : steps.split(';', Qt::SkipEmptyParts)) {
            const QStringList w = step.split(' ');
            auto part = [&](int i) { return w.value(i).toStdString(); };
            ConnectionProfile profile{part(1), part(2), "FTP", part(3), part(4), "21", "Passive"};
            if (w[0] == "resave")
                profile = store.Read(m_path, profile.Name);
            if (w[0] == "old")
                WriteProfile(m_path, profile);
            else if (w[0] == "delete")
                store.Remove(m_path, profile.Name);
            else
                QCOMPARE(store.Write(m_path, profile,
                                     profile.Password.empty() ? PasswordStore::Place::Nowhere
                                                              : PasswordStore::Place::SecretStore),
                         PasswordStore::Result::Done);
        }
        QTEST(KeyringEntries().join(';'), "entries");
        const QString file = QString::fromUtf8(ReadFileBytes(QString::fromStdString(m_path)));
        QVERIFY2(!file.contains(QRegularExpression("Password=.")), qPrintable(file));
        QTEST(QString::fromStdString(PasswordStore().Read(m_path, "Home").Password), "readBack");
    }

    // The store gives up on a write of "Home" at once, and the write lands later. Then, split by ';':
    // "ini" or "nowhere" (the user's choice for the password), "delete NAME". The last step's result,
    // and the keyring once the write has landed.
    void afterATimeOut_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<PasswordStore::Result>("result");
        QTest::addColumn<QString>("entries");
        const QString other = "anna@h2/other=pw2";
        QTest::newRow("kept in Profile.ini") << "ini" << PasswordStore::Result::Done << other;
        QTest::newRow("not kept") << "nowhere" << PasswordStore::Result::Done << other;
        QTest::newRow("not kept, deleted") << "nowhere;delete Home" << PasswordStore::Result::Done << other;
        QTest::newRow("other deleted: said")
            << "ini;delete Other" << PasswordStore::Result::SecretNotRemoved << "anna@h2/other=pw2";
    }
    void afterATimeOut() {
        QFETCH(QString, steps);
        QFETCH(QString, entries);
        QFile::remove(QString::fromStdString(m_path));
        for (const QString& entry : KeyringEntries())
            SecretStore(std::chrono::seconds(5)).Remove(entry.section('=', 0, 0));
        const ConnectionProfile home{"Home", "h1", "FTP", "anna", "pw1", "21", "Passive"};
        QCOMPARE(PasswordStore().Write(m_path, {"Other", "h2", "FTP", "anna", "pw2", "21", "Passive"},
                                       PasswordStore::Place::SecretStore),
                 PasswordStore::Result::Done);
        PasswordStore store(std::chrono::milliseconds(0));
        QCOMPARE(store.Write(m_path, home, PasswordStore::Place::SecretStore),
                 PasswordStore::Result::SecretStoreRefused);
        PasswordStore::Result result{};
        for (const QString& step : steps.split(';'))
            result = step.startsWith("delete") ? store.Remove(m_path, step.section(' ', 1).toStdString())
                     : step == "ini"           ? store.Write(m_path, home, PasswordStore::Place::ProfileIni)
                                               : store.Write(m_path, home, PasswordStore::Place::Nowhere);
        QTEST(result, "result");
        QTest::qWait(1000); // for the late write to land
        QTRY_COMPARE(KeyringEntries().join(';'), entries);
    }
};

// Runs itself again inside dbus-run-session with a keyring in a fresh home, so that no user's own
// keyring is touched; a missing tool makes the tests skip.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!qEnvironmentVariableIsSet("TOVO_KEYRING_HOME")) {
        for (const char* tool : {"dbus-run-session", "gnome-keyring-daemon", "secret-tool"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                qputenv("TOVO_KEYRING_MISSING", tool);
        QTemporaryDir home;
        if (!qEnvironmentVariableIsSet("TOVO_KEYRING_MISSING") && home.isValid()) {
            for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "TOVO_KEYRING_HOME"})
                qputenv(name, QFile::encodeName(home.path()));
            // QtKeychain would pick KWallet on a KDE desktop; a display would let a prompt appear.
            for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "DISPLAY"})
                qunsetenv(name);
            return QProcess::execute(
                "dbus-run-session",
                QStringList{"--", "sh", "-c",
                            "printf pw | timeout 20 gnome-keyring-daemon --unlock --components=secrets"
                            " >/dev/null || { echo 'no keyring' >&2; exit 1; }; exec \"$@\"",
                            "sh"} +
                    app.arguments());
        }
    }
    PasswordStoreTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PasswordStore_test.moc"
