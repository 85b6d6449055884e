#include "app/AppLocations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <set>
#include <sys/stat.h>

namespace {

LocationFacts FactsWith(const QStringList& existing, const QString& xdg, const QString& home) {
    std::set<std::string> paths;
    for (const QString& path : existing)
        paths.insert(path.toStdString());
    LocationFacts facts;
    facts.Exists = [paths](const std::string& path) { return paths.count(path) > 0; };
    facts.XdgConfigHome = xdg.toStdString();
    facts.Home = home.toStdString();
    return facts;
}

mode_t ModeOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
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
        QTest::addColumn<QString>("resourceDir");
        QTest::addColumn<QString>("profileDir");
        QTest::addColumn<bool>("installed");

        const QString build = QStringLiteral("/home/ann/tovo/build/dev");
        QTest::newRow("build folder with its icons") << build << QStringList{build + "/12.ico"} << ""
                                                     << "/home/ann" << build << build << false;
        QTest::newRow("build folder with only the help pages")
            << build << QStringList{build + "/help/index.html"} << ""
            << "/home/ann" << build << build << false;
        QTest::newRow("folder with nothing beside and no bin") << build << QStringList{} << "/x"
                                                               << "/home/ann" << build << build << false;
        QTest::newRow("installed, XDG_CONFIG_HOME set")
            << "/usr/bin" << QStringList{"/usr/share/tovo-ftp"} << "/home/ann/cfg"
            << "/home/ann"
            << "/usr/share/tovo-ftp"
            << "/home/ann/cfg/tovo-ftp" << true;
        QTest::newRow("installed, XDG_CONFIG_HOME empty uses ~/.config")
            << "/usr/bin" << QStringList{"/usr/share/tovo-ftp"} << ""
            << "/home/ann"
            << "/usr/share/tovo-ftp"
            << "/home/ann/.config/tovo-ftp" << true;
        QTest::newRow("installed, relative XDG_CONFIG_HOME is ignored")
            << "/usr/bin" << QStringList{"/usr/share/tovo-ftp"} << "cfg"
            << "/home/ann"
            << "/usr/share/tovo-ftp"
            << "/home/ann/.config/tovo-ftp" << true;
        QTest::newRow("installed, trailing slashes")
            << "/usr/local/bin/" << QStringList{"/usr/local/share/tovo-ftp"} << "/home/ann/cfg/"
            << "/home/ann"
            << "/usr/local/share/tovo-ftp"
            << "/home/ann/cfg/tovo-ftp" << true;
        QTest::newRow("installed, home with trailing slash")
            << "/opt/t/bin" << QStringList{"/opt/t/share/tovo-ftp"} << ""
            << "/home/ann/"
            << "/opt/t/share/tovo-ftp"
            << "/home/ann/.config/tovo-ftp" << true;
        QTest::newRow("installed at the root") << "/bin" << QStringList{"/share/tovo-ftp"} << ""
                                               << "/root"
                                               << "/share/tovo-ftp"
                                               << "/root/.config/tovo-ftp" << true;
        QTest::newRow("installed, no home anywhere keeps profiles beside")
            << "/usr/bin" << QStringList{"/usr/share/tovo-ftp"} << ""
            << ""
            << "/usr/share/tovo-ftp"
            << "/usr/bin" << true;
        QTest::newRow("portable copy in a bin folder stays portable")
            << "/opt/t/bin" << QStringList{"/opt/t/bin/last.ico", "/opt/t/share/tovo-ftp"} << ""
            << "/home/ann"
            << "/opt/t/bin"
            << "/opt/t/bin" << false;
        QTest::newRow("bin without its share folder")
            << "/usr/local/bin" << QStringList{"/usr/share/tovo-ftp"} << ""
            << "/home/ann"
            << "/usr/local/bin"
            << "/usr/local/bin" << false;
        QTest::newRow("a folder merely ending in bin")
            << "/opt/sbin" << QStringList{"/opt/share/tovo-ftp"} << ""
            << "/home/ann"
            << "/opt/sbin"
            << "/opt/sbin" << false;
        QTest::newRow("relative bin has no prefix") << "bin" << QStringList{"share/tovo-ftp"} << ""
                                                    << "/home/ann"
                                                    << "bin"
                                                    << "bin" << false;
    }
    void decidesBothFolders() {
        QFETCH(QString, exeDir);
        QFETCH(QStringList, existing);
        QFETCH(QString, xdg);
        QFETCH(QString, home);
        QFETCH(QString, resourceDir);
        QFETCH(QString, profileDir);
        QFETCH(bool, installed);
        const AppLocations where = ResolveAppLocations(exeDir.toStdString(), FactsWith(existing, xdg, home));
        QCOMPARE(QString::fromStdString(where.ResourceDir), resourceDir);
        QCOMPARE(QString::fromStdString(where.ProfileDir), profileDir);
        QCOMPARE(where.Installed, installed);
    }

    // The same decision against a real folder tree and the real environment.
    void installedTreeOnDisk() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath("prefix/bin"));
        QVERIFY(QDir(root.path()).mkpath("prefix/share/tovo-ftp"));
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.path() + "/config"));
        const std::string exeDir = (root.path() + "/prefix/bin").toStdString();
        const AppLocations where = ResolveAppLocations(exeDir);
        const std::string profiles = ProfileDir(exeDir);
        qputenv("XDG_CONFIG_HOME", oldXdg);

        QVERIFY(where.Installed);
        QCOMPARE(QString::fromStdString(where.ResourceDir), root.path() + "/prefix/share/tovo-ftp");
        QCOMPARE(QString::fromStdString(profiles), root.path() + "/config/tovo-ftp");
        QVERIFY2(!QFileInfo::exists(root.path() + "/config"), "resolving must not create the folder");

        // Once the program's files are dropped beside it, the same tree is a portable copy.
        QFile icon(root.path() + "/prefix/bin/12.ico");
        QVERIFY(icon.open(QIODevice::WriteOnly));
        icon.close();
        QCOMPARE(QString::fromStdString(ResourceDir(exeDir)), root.path() + "/prefix/bin");
    }

    void createsPrivateFolders() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QFile::setPermissions(root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                               QFileDevice::ExeGroup);
        const QString target = root.path() + "/a/b/tovo-ftp";
        QVERIFY(CreatePrivateFolder(target.toStdString()));
        QCOMPARE(ModeOf(root.path() + "/a"), mode_t(0700));
        QCOMPARE(ModeOf(target), mode_t(0700));
        QCOMPARE(ModeOf(root.path()), mode_t(0750));              // an existing folder keeps its permissions
        QVERIFY(CreatePrivateFolder(target.toStdString() + "/")); // already there
        QVERIFY(CreatePrivateFolderFor((target + "/Profile.ini").toStdString()));
        QVERIFY(!QFileInfo::exists(target + "/Profile.ini"));
    }

    void refusesAPathThroughAFile() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QFile file(root.path() + "/plain");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!CreatePrivateFolder((root.path() + "/plain").toStdString()));
        QVERIFY(!CreatePrivateFolder((root.path() + "/plain/sub").toStdString()));
        QVERIFY(!CreatePrivateFolder(""));
    }
};

QTEST_GUILESS_MAIN(AppLocationsTest)
#include "AppLocations_test.moc"
