// Profiles of an installed program: saved into the user's configuration folder (made on the first
// save, owner-only), read back after a restart; a build keeps them beside its executable.
#include "app/AppLocations.h"
#include "profiles/ProfileStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// The profile file as the program finds it when it starts from exeDir.
std::string ProfilePathFor(const std::string& exeDir) {
    return ProfileDir(exeDir) + "/Profile.ini";
}

// Saves the way the connect dialog's Save does once the folder is there.
void SaveProfile(const std::string& path, const ConnectionProfile& profile) {
    CreatePrivateFolderFor(path);
    WriteProfile(path, profile);
}

const ConnectionProfile kSite{"Local demo", "127.0.0.1", "FTP", "demo", "demo", "2121", "Passive"};

} // namespace

class ProfileLocationTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir; // a fresh one for every test
    QByteArray m_oldXdg;

    QString root() const { return m_dir->path(); }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root() + "/config"));
    }
    void cleanup() { qputenv("XDG_CONFIG_HOME", m_oldXdg); }

    void installedProgramSavesIntoConfigFolder() {
        QVERIFY(QDir(root()).mkpath("usr/bin"));
        QVERIFY(QDir(root()).mkpath("usr/share/tovo-ftp"));
        const std::string exeDir = (root() + "/usr/bin").toStdString();
        const std::string folder = (root() + "/config/tovo-ftp").toStdString();
        const std::string path = ProfilePathFor(exeDir);
        QCOMPARE(QString::fromStdString(path), QString::fromStdString(folder + "/Profile.ini"));

        // First run: nothing saved yet, nothing made.
        QVERIFY(ListProfiles(path).empty());
        QVERIFY(!QFileInfo::exists(QString::fromStdString(folder)));

        SaveProfile(path, kSite);
        QCOMPARE(ModeOf(folder), mode_t(0700));
        QCOMPARE(ModeOf(path), mode_t(0600));
        QCOMPARE(ModeOf((root() + "/config").toStdString()), mode_t(0700));
        QVERIFY(!QFileInfo::exists(root() + "/usr/bin/Profile.ini"));
        QVERIFY(!QFileInfo::exists(root() + "/usr/share/tovo-ftp/Profile.ini"));

        // Restart: the locations are decided afresh and the profile reads back whole.
        const std::string again = ProfilePathFor(exeDir);
        QCOMPARE(again, path);
        QCOMPARE(ListProfiles(again), std::vector<std::string>{kSite.Name});
        const ConnectionProfile read = ReadProfile(again, kSite.Name);
        QCOMPARE(read.Location, kSite.Location);
        QCOMPARE(read.Protocol, kSite.Protocol);
        QCOMPARE(read.Username, kSite.Username);
        QCOMPARE(read.Password, kSite.Password);
        QCOMPARE(read.Port, kSite.Port);
        QCOMPARE(read.Transfer, kSite.Transfer);

        // A second save keeps the file private and holds both profiles.
        ConnectionProfile other = kSite;
        other.Name = "Other";
        SaveProfile(path, other);
        QCOMPARE(ModeOf(path), mode_t(0600));
        QCOMPARE(ListProfiles(path), (std::vector<std::string>{kSite.Name, "Other"}));
    }

    void existingConfigFolderKeepsItsPermissions() {
        const QString config = root() + "/config";
        QVERIFY(QDir().mkpath(config));
        QVERIFY(QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                  QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                  QFileDevice::ExeOther));
        QVERIFY(QDir(root()).mkpath("p/bin"));
        QVERIFY(QDir(root()).mkpath("p/share/tovo-ftp"));
        const std::string path = ProfilePathFor((root() + "/p/bin").toStdString());
        SaveProfile(path, kSite);
        QCOMPARE(ModeOf(config.toStdString()), mode_t(0755));
        QCOMPARE(ModeOf((config + "/tovo-ftp").toStdString()), mode_t(0700));
        QCOMPARE(ListProfiles(path).size(), std::size_t(1));
    }

    void buildKeepsProfilesBesideTheExecutable() {
        const QString build = root() + "/build";
        QVERIFY(QDir().mkpath(build + "/help"));
        QFile page(build + "/help/index.html");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        const std::string path = ProfilePathFor(build.toStdString());
        QCOMPARE(QString::fromStdString(path), build + "/Profile.ini");
        SaveProfile(path, kSite);
        QCOMPARE(ListProfiles(path), std::vector<std::string>{kSite.Name});
        QVERIFY(!QFileInfo::exists(root() + "/config"));
    }
};

QTEST_GUILESS_MAIN(ProfileLocationTest)
#include "ProfileLocation_test.moc"
