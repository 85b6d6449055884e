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

namespace {

const QStringList kButtonIcons{"12.ico", "1.ICO", "last2.ico", "last.ico"};
const QStringList kHelpPages{"index.html",       "connecting.html", "panes.html", "transfers.html",
                             "commandline.html", "keyboard.html",   "files.html", "style.css"};

} // namespace

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

    void programAndDesktopEntry() {
        const QFileInfo program(m_prefix + "/bin/tovo-ftp");
        QVERIFY(program.isFile());
        QVERIFY(program.isExecutable());
        QVERIFY(QFileInfo(m_prefix + "/share/applications/tovo-ftp.desktop").isFile());
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

    void applicationIcons_data() {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 64, 128, 256})
            QTest::addRow("%dx%d", size, size) << size;
    }
    void applicationIcons() {
        QFETCH(int, size);
        const QString path =
            QStringLiteral("%1/share/icons/hicolor/%2x%2/apps/tovo-ftp.png").arg(m_prefix).arg(size);
        const QImage icon(path);
        QVERIFY2(!icon.isNull(), qPrintable(path));
        QCOMPARE(icon.size(), QSize(size, size));
        QVERIFY(icon.hasAlphaChannel());
    }

    void readOnlyFiles_data() {
        QTest::addColumn<QString>("relative");
        for (const QString& page : kHelpPages)
            QTest::newRow(qPrintable("help/" + page)) << "help/" + page;
        for (const QString& icon : kButtonIcons)
            QTest::newRow(qPrintable(icon)) << icon;
        // Everything else the build puts beside the executable ships as well.
        const QDir beside(TOVO_SOURCE_DIR "/resources/beside");
        for (const QString& name : beside.entryList(QDir::Files))
            if (!kButtonIcons.contains(name))
                QTest::newRow(qPrintable(name)) << name;
        if (TOVO_HAVE_CHMCMD)
            QTest::newRow("TovoHelp.chm") << "TovoHelp.chm";
    }
    void readOnlyFiles() {
        QFETCH(QString, relative);
        QVERIFY2(QFileInfo(data(relative)).isFile(), qPrintable(data(relative)));
        QVERIFY2(!QFileInfo::exists(m_prefix + "/bin/" + relative),
                 "read-only files belong in share/, not bin/");
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
