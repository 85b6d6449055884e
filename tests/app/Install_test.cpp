// Installs this build into a temporary prefix and checks the installed program: its files are where
// it looks for them, and it starts offscreen from PATH with a configuration folder of its own.
#include "app/AppLocations.h"
#include "help/HelpTarget.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class InstallTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    QString m_prefix;

    QString data(const QString& relative) const { return m_prefix + "/share/tovo-ftp/" + relative; }

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        m_prefix = m_root.path() + "/prefix";
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(TOVO_CMAKE_COMMAND, {"--install", TOVO_BUILD_DIR, "--prefix", m_prefix});
        QVERIFY(install.waitForStarted());
        QVERIFY2(install.waitForFinished(120000), "cmake --install did not finish");
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
    }

    void desktopEntryValidates() {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {m_prefix + "/share/applications/tovo-ftp.desktop"});
        QVERIFY(validate.waitForFinished(30000));
        const QByteArray output = validate.readAll();
        QVERIFY2(validate.exitCode() == 0 && output.trimmed().isEmpty(), output.constData());
    }

    // Every file the build puts beside the executable ships in share/, never in bin/.
    void installedFiles() {
        QVERIFY(QFileInfo(m_prefix + "/bin/tovo-ftp").isExecutable());
        QVERIFY(QFileInfo(m_prefix + "/share/applications/tovo-ftp.desktop").isFile());
        QStringList files = QDir(TOVO_SOURCE_DIR "/resources/beside").entryList(QDir::Files);
        for (const QString& page : QDir(TOVO_SOURCE_DIR "/help/content").entryList({"*.html", "*.css"}))
            files.append("help/" + page);
        if (TOVO_HAVE_CHMCMD)
            files.append("TovoHelp.chm");
        for (const QString& relative : files) {
            QVERIFY2(QFileInfo(data(relative)).isFile(), qPrintable(data(relative)));
            QVERIFY(!QFileInfo::exists(m_prefix + "/bin/" + relative));
        }
        const QStringList icons =
            QDir(m_prefix + "/share/icons/hicolor").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(!icons.isEmpty());
        for (const QString& size : icons) {
            const QImage icon(m_prefix + "/share/icons/hicolor/" + size + "/apps/tovo-ftp.png");
            QCOMPARE(QString("%1x%2").arg(icon.width()).arg(icon.height()), size);
            QVERIFY(icon.hasAlphaChannel());
        }
    }

    // The installed program decides for share/ and the configuration folder, and finds its help there.
    void installedProgramFindsItsFiles() {
        LocationFacts facts;
        facts.Exists = [](const std::string& path) {
            return QFileInfo::exists(QString::fromStdString(path));
        };
        facts.XdgConfigHome = (m_root.path() + "/config").toStdString();
        const AppLocations where = ResolveAppLocations((m_prefix + "/bin").toStdString(), facts);
        QVERIFY(where.Installed);
        QCOMPARE(QString::fromStdString(where.ResourceDir), QDir::cleanPath(m_prefix + "/share/tovo-ftp"));
        QCOMPARE(QString::fromStdString(where.ProfileDir), m_root.path() + "/config/tovo-ftp");

        const HelpTarget help =
            ChooseHelpTarget(where.ResourceDir + "/TovoHelp.chm", where.ResourceDir + "/help/index.html");
        QVERIFY(help.Viewer != HelpViewer::None);
        QVERIFY(QFileInfo::exists(QString::fromStdString(help.Path)));
    }

    void startsOffscreenFromPath() {
        const QString config = m_root.path() + "/config";
        const QString home = m_root.path() + "/home";
        QVERIFY(QDir().mkpath(home));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", m_prefix + "/bin:" + env.value("PATH"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", config);
        env.insert("HOME", home);
        const QString program = QStandardPaths::findExecutable("tovo-ftp", {m_prefix + "/bin"});
        QCOMPARE(program, m_prefix + "/bin/tovo-ftp");

        QProcess app;
        app.setProcessEnvironment(env);
        app.setWorkingDirectory(home);
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(program, {});
        QVERIFY(app.waitForStarted());
        // Alive after two seconds (the splash is still up); the outcome, not a duration, is checked.
        const bool ended = app.waitForFinished(2000);
        const QByteArray output = app.readAll();
        if (!ended) {
            app.kill();
            app.waitForFinished(10000);
        }
        QVERIFY2(!ended, output.constData());

        // Starting writes nothing: no profile beside the program or in share/, no folder in the
        // configuration folder before the first save.
        QVERIFY(!QFileInfo::exists(m_prefix + "/bin/Profile.ini"));
        QVERIFY(!QFileInfo::exists(data("Profile.ini")));
        QVERIFY(!QFileInfo::exists(config + "/tovo-ftp"));
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "Install_test.moc"
