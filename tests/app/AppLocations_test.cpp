// Where the read-only files and Profile.ini live: beside a build or a portable copy, or in the
// prefix's share folder and the user's private configuration folder when installed.
#include "app/AppLocations.h"
#include "app/WindowLayer.h"
#include "profiles/ProfileStore.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <set>
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
    void decidesBothFolders_data() {
        QTest::addColumn<QString>("exeDir");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("resourceDir"); // "" means exeDir
        QTest::addColumn<QString>("profileDir");  // "" means exeDir
        const QString b = QStringLiteral("/home/ann/tovo/build");
        const QString share = QStringLiteral("/usr/share/tovo-ftp");
        QTest::newRow("build with its icons") << b << QStringList{b + "/12.ico"} << ""
                                              << "/home/ann"
                                              << ""
                                              << "";
        QTest::newRow("build with help pages") << b << QStringList{b + "/help/index.html"} << ""
                                               << "/h"
                                               << ""
                                               << "";
        QTest::newRow("nothing beside, no bin") << b << QStringList{} << "/x"
                                                << "/home/ann"
                                                << ""
                                                << "";
        QTest::newRow("installed, XDG set") << "/usr/bin" << QStringList{share} << "/h/cfg"
                                            << "/h" << share << "/h/cfg/tovo-ftp";
        QTest::newRow("installed, XDG empty") << "/usr/bin" << QStringList{share} << ""
                                              << "/h" << share << "/h/.config/tovo-ftp";
        QTest::newRow("installed, XDG relative") << "/usr/bin" << QStringList{share} << "cfg"
                                                 << "/h" << share << "/h/.config/tovo-ftp";
        QTest::newRow("installed, trailing slashes")
            << "/usr/local/bin/" << QStringList{"/usr/local/share/tovo-ftp"} << "/h/cfg/"
            << "/h/"
            << "/usr/local/share/tovo-ftp"
            << "/h/cfg/tovo-ftp";
        QTest::newRow("installed at the root") << "/bin" << QStringList{"/share/tovo-ftp"} << ""
                                               << "/root"
                                               << "/share/tovo-ftp"
                                               << "/root/.config/tovo-ftp";
        QTest::newRow("installed, no home") << "/usr/bin" << QStringList{share} << ""
                                            << "" << share << "";
        QTest::newRow("portable copy in a bin folder")
            << "/opt/t/bin" << QStringList{"/opt/t/bin/last.ico", "/opt/t/share/tovo-ftp"} << ""
            << "/h"
            << ""
            << "";
        QTest::newRow("bin without its share") << "/usr/local/bin" << QStringList{share} << ""
                                               << "/h"
                                               << ""
                                               << "";
        QTest::newRow("merely ending in bin") << "/opt/sbin" << QStringList{"/opt/share/tovo-ftp"} << ""
                                              << "/h"
                                              << ""
                                              << "";
        QTest::newRow("relative bin") << "bin" << QStringList{"share/tovo-ftp"} << ""
                                      << "/h"
                                      << ""
                                      << "";
    }
    void decidesBothFolders() {
        QFETCH(QString, exeDir);
        QFETCH(QStringList, existing);
        QFETCH(QString, xdg);
        QFETCH(QString, home);
        QFETCH(QString, resourceDir);
        QFETCH(QString, profileDir);
        std::set<std::string> paths;
        for (const QString& path : existing)
            paths.insert(path.toStdString());
        LocationFacts facts;
        facts.Exists = [paths](const std::string& path) { return paths.count(path) > 0; };
        facts.XdgConfigHome = xdg.toStdString();
        facts.Home = home.toStdString();
        const AppLocations where = ResolveAppLocations(exeDir.toStdString(), facts);
        const QString plain = exeDir.endsWith('/') ? exeDir.chopped(1) : exeDir;
        QCOMPARE(QString::fromStdString(where.ResourceDir), resourceDir.isEmpty() ? plain : resourceDir);
        QCOMPARE(QString::fromStdString(where.ProfileDir), profileDir.isEmpty() ? plain : profileDir);
        QCOMPARE(where.Installed, resourceDir.startsWith('/'));
    }

    // An installed tree on disk with the real environment: the profile goes into a private folder made
    // on the first save (an existing parent keeps its permissions) and reads back after a restart.
    void installedProgramSavesPrivately() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("usr/bin") && QDir(root.path()).mkpath("usr/share/tovo-ftp"));
        QVERIFY(QDir(root.path()).mkpath("config"));
        QVERIFY(QFile::setPermissions(root.filePath("config"), QFile::ReadOwner | QFile::WriteOwner |
                                                                   QFile::ExeOwner | QFile::ReadOther |
                                                                   QFile::ExeOther));
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config")));
        const std::string exeDir = QFile::encodeName(root.filePath("usr/bin")).toStdString();
        const std::string path = ProfileDir(exeDir) + "/Profile.ini";
        qputenv("XDG_CONFIG_HOME", oldXdg);
        QCOMPARE(QString::fromStdString(path), root.filePath("config/tovo-ftp/Profile.ini"));
        QVERIFY(!QFileInfo::exists(root.filePath("config/tovo-ftp"))); // resolving makes nothing
        const ConnectionProfile site{"Local demo", "127.0.0.1", "FTP", "demo", "demo", "2121", "Passive"};
        QVERIFY(CreatePrivateFolderFor(path));
        WriteProfile(path, site);
        QCOMPARE(ModeOf(root.filePath("config/tovo-ftp")), mode_t(0700));
        QCOMPARE(ModeOf(QString::fromStdString(path)), mode_t(0600));
        QCOMPARE(ModeOf(root.filePath("config")), mode_t(0705));
        QCOMPARE(ReadProfile(path, site.Name).Password, site.Password);
        // A path through a file is refused.
        QVERIFY(WriteFileBytes(root.filePath("plain"), "x"));
        QVERIFY(!CreatePrivateFolder(QFile::encodeName(root.filePath("plain/sub")).toStdString()));
        QVERIFY(!CreatePrivateFolder(""));
    }

    void windowLayerFolders() {
        QTemporaryDir dir;
        SetAppPath(dir.path()); // tests point both folders at one place
        QCOMPARE(ProfileFolder(), dir.path());
        SetAppPath(QString()); // otherwise the executable's place decides
        const AppLocations where =
            ResolveAppLocations(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
        QCOMPARE(AppPath(), QFile::decodeName(where.ResourceDir.c_str()));
        QCOMPARE(ProfileFolder(), QFile::decodeName(where.ProfileDir.c_str()));
    }
};

QTEST_GUILESS_MAIN(AppLocationsTest)
#include "AppLocations_test.moc"
