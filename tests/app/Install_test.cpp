// This build installed into a temporary prefix: files in share/, and it starts from PATH writing nothing.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class InstallTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;
    const QString m_prefix = m_root.path() + "/prefix", m_share = m_prefix + "/share/tovo-ftp/";

    static bool Run(const QString& program, const QStringList& arguments, QByteArray* output) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
        *output = process.readAll();
        return ended && process.exitCode() == 0;
    }

private slots:
    void initTestCase() {
        QByteArray output;
        QVERIFY2(Run(TOVO_CMAKE_COMMAND, {"--install", TOVO_BUILD_DIR, "--prefix", m_prefix}, &output),
                 output.constData());
    }

    void installedFiles() {
        const QString desktop = m_prefix + "/share/applications/tovo-ftp.desktop";
        if (const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
            !validator.isEmpty()) {
            QByteArray output;
            QVERIFY2(Run(validator, {desktop}, &output) && output.trimmed().isEmpty(), output.constData());
        }
        QVERIFY(QFileInfo(desktop).isFile());
        QStringList files = QDir(TOVO_SOURCE_DIR "/resources/beside").entryList(QDir::Files);
        for (const QString& page : QDir(TOVO_SOURCE_DIR "/help/content").entryList({"*.html", "*.css"}))
            files.append("help/" + page);
        if (TOVO_HAVE_CHMCMD)
            files.append("TovoHelp.chm");
        for (const QString& relative : files) // beside the executable in a build, never in bin/ here
            QVERIFY2(QFileInfo(m_share + relative).isFile() &&
                         !QFileInfo::exists(m_prefix + "/bin/" + relative),
                     qPrintable(relative));
        const QStringList icons =
            QDir(m_prefix + "/share/icons/hicolor").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(!icons.isEmpty());
        for (const QString& size : icons) {
            const QImage icon(m_prefix + "/share/icons/hicolor/" + size + "/apps/tovo-ftp.png");
            QCOMPARE(QString("%1x%2").arg(icon.width()).arg(icon.height()), size);
            QVERIFY(icon.hasAlphaChannel());
        }
    }

    void startsOffscreenFromPath() {
        const QString config = m_root.path() + "/config", home = m_root.path() + "/home";
        QVERIFY(QDir().mkpath(home));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", m_prefix + "/bin:" + env.value("PATH"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", config);
        env.insert("HOME", home);
        QProcess app;
        app.setProcessEnvironment(env);
        app.setWorkingDirectory(home);
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(QStandardPaths::findExecutable("tovo-ftp", {m_prefix + "/bin"}), {});
        QVERIFY(app.waitForStarted());
        const bool ended = app.waitForFinished(2000); // still alive with its splash up
        const QByteArray output = app.readAll();
        app.kill();
        app.waitForFinished(10000);
        QVERIFY2(!ended, output.constData());
        // Nothing written before the first save.
        QVERIFY(!QFileInfo::exists(m_prefix + "/bin/Profile.ini") &&
                !QFileInfo::exists(m_share + "Profile.ini"));
        QVERIFY(!QFileInfo::exists(config + "/tovo-ftp"));
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "Install_test.moc"
