// Where the read-only files and Profile.ini live: beside a build, or in share/ and a private folder.
#include "profiles/AppLocations.h"
#include "profiles/ProfileStore.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {
mode_t ModeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}
} // namespace

class AppLocationsTest : public QObject {
    Q_OBJECT
private slots:
    // exeDir, XDG_CONFIG_HOME, HOME, resource folder, profile folder ("-": empty; "-" for both means
    // exeDir), then the paths that exist.
    void decidesBothFolders_data() {
        QTest::addColumn<QString>("facts");
        const QString s = " /usr/share/tovo-ftp";
        QTest::newRow("build with its icons") << "/b - /h - - /b/12.ico";
        QTest::newRow("installed, XDG set") << "/usr/bin /h/cfg /h" + s + " /h/cfg/tovo-ftp" + s;
        QTest::newRow("installed, XDG relative") << "/usr/bin cfg /h" + s + " /h/.config/tovo-ftp" + s;
        QTest::newRow("trailing slashes") << "/usr/bin/ /h/cfg/ /h/" + s + " /h/cfg/tovo-ftp" + s;
        QTest::newRow("installed, no home") << "/usr/bin - -" + s + " /usr/bin" + s;
        QTest::newRow("bin without its share") << "/usr/local/bin - /h - -" + s;
        QTest::newRow("merely ending in bin") << "/opt/sbin - /h - - /opt/share/tovo-ftp";
        QTest::newRow("relative bin") << "bin - /h - - share/tovo-ftp";
    }
    void decidesBothFolders() {
        QFETCH(QString, facts);
        QStringList f = facts.split(' ').replaceInStrings(QRegularExpression("^-$"), "");
        const QStringList existing = f.mid(5);
        LocationFacts given{
            [existing](const std::string& p) { return existing.contains(QString::fromStdString(p)); },
            f[1].toStdString(), f[2].toStdString()};
        const AppLocations where = ResolveAppLocations(f[0].toStdString(), given);
        const QString plain = f[0].endsWith('/') ? f[0].chopped(1) : f[0];
        QCOMPARE(QString::fromStdString(where.ResourceDir), f[3].isEmpty() ? plain : f[3]);
        QCOMPARE(QString::fromStdString(where.ProfileDir), f[4].isEmpty() ? plain : f[4]);
        QCOMPARE(where.Installed, !f[3].isEmpty());
    }

    // With the real environment: resolving makes nothing; the first save makes a private folder (an
    // existing parent keeps its permissions).
    void installedProgramSavesPrivately() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("usr/bin") && QDir(root.path()).mkpath("usr/share/tovo-ftp"));
        QVERIFY(QDir(root.path()).mkpath("config") &&
                ::chmod(qPrintable(root.filePath("config")), 0705) == 0);
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config")));
        const std::string path =
            ProfileDir(QFile::encodeName(root.filePath("usr/bin")).toStdString()) + "/Profile.ini";
        qputenv("XDG_CONFIG_HOME", oldXdg);
        QCOMPARE(QString::fromStdString(path), root.filePath("config/tovo-ftp/Profile.ini"));
        QVERIFY(!QFileInfo::exists(root.filePath("config/tovo-ftp")));
        const ConnectionProfile site{"Local demo", "127.0.0.1", "FTP", "demo", "demo", "2121", "Passive"};
        QVERIFY(CreatePrivateFolderFor(path));
        WriteProfile(path, site);
        QCOMPARE(ModeOf(root.filePath("config/tovo-ftp")), mode_t(0700));
        QCOMPARE(ModeOf(QString::fromStdString(path)), mode_t(0600));
        QCOMPARE(ModeOf(root.filePath("config")), mode_t(0705));
        QVERIFY(WriteFileBytes(root.filePath("plain"), "x")); // a path through a file is refused
        QVERIFY(!CreatePrivateFolder(QFile::encodeName(root.filePath("plain/sub")).toStdString()));
    }
};

QTEST_GUILESS_MAIN(AppLocationsTest)
#include "AppLocations_test.moc"
