#include "help/HelpTarget.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(HelpViewer)

namespace {

void WriteFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Points the desktop-entry search at folders of the test's own for one scope.
class DataDirs {
public:
    DataDirs(const QString& home, const QString& dirs)
        : m_home(qgetenv("XDG_DATA_HOME")), m_dirs(qgetenv("XDG_DATA_DIRS")) {
        qputenv("XDG_DATA_HOME", QFile::encodeName(home));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(dirs));
    }
    ~DataDirs() {
        qputenv("XDG_DATA_HOME", m_home);
        qputenv("XDG_DATA_DIRS", m_dirs);
    }
    DataDirs(const DataDirs&) = delete;
    DataDirs& operator=(const DataDirs&) = delete;

private:
    QByteArray m_home, m_dirs;
};

const QByteArray kViewerEntry = "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %f\n"
                                "MimeType=text/plain;application/vnd.ms-htmlhelp;\n";

} // namespace

class HelpTargetTest : public QObject {
    Q_OBJECT
private slots:
    void choosesWhatToOpen_data() {
        QTest::addColumn<bool>("chmExists");
        QTest::addColumn<bool>("htmlExists");
        QTest::addColumn<bool>("viewer");
        QTest::addColumn<HelpViewer>("expected");
        QTest::newRow("compiled file and a viewer") << true << true << true << HelpViewer::Chm;
        QTest::newRow("no viewer: the pages instead") << true << true << false << HelpViewer::Html;
        QTest::newRow("no compiled file: the pages") << false << true << true << HelpViewer::Html;
        QTest::newRow("no viewer, no pages: the file as a last resort")
            << true << false << false << HelpViewer::Chm;
        QTest::newRow("nothing installed") << false << false << true << HelpViewer::None;
    }
    void choosesWhatToOpen() {
        QFETCH(bool, chmExists);
        QFETCH(bool, htmlExists);
        QFETCH(bool, viewer);
        QFETCH(HelpViewer, expected);
        const HelpTarget target =
            ChooseHelpTarget("/s/TovoHelp.chm", chmExists, "/s/help/index.html", htmlExists, viewer);
        QCOMPARE(target.Viewer, expected);
        const char* path = expected == HelpViewer::Chm    ? "/s/TovoHelp.chm"
                           : expected == HelpViewer::Html ? "/s/help/index.html"
                                                          : "";
        QCOMPARE(target.Path, std::string(path));
    }

    void readsDesktopEntries_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("handles");
        QTest::newRow("listed among others") << kViewerEntry << true;
        QTest::newRow("listed last without a semicolon")
            << QByteArray("[Desktop Entry]\nMimeType=text/html;application/vnd.ms-htmlhelp\n") << true;
        QTest::newRow("blanks around key and value")
            << QByteArray("[Desktop Entry]\n MimeType = application/vnd.ms-htmlhelp; \n") << true;
        QTest::newRow("other types only")
            << QByteArray("[Desktop Entry]\nMimeType=text/html;image/png;\n") << false;
        QTest::newRow("a longer type that starts the same")
            << QByteArray("[Desktop Entry]\nMimeType=application/vnd.ms-htmlhelp2;\n") << false;
        QTest::newRow("in an action group, not the entry")
            << QByteArray(
                   "[Desktop Entry]\nName=x\n[Desktop Action open]\nMimeType=application/vnd.ms-htmlhelp;\n")
            << false;
        QTest::newRow("commented out")
            << QByteArray("[Desktop Entry]\n#MimeType=application/vnd.ms-htmlhelp;\n") << false;
        QTest::newRow("hidden entry") << QByteArray("[Desktop Entry]\nMimeType=application/vnd.ms-htmlhelp;\n"
                                                    "Hidden=true\n")
                                      << false;
        QTest::newRow("CRLF line ends")
            << QByteArray("[Desktop Entry]\r\nMimeType=application/vnd.ms-htmlhelp;\r\n") << true;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void readsDesktopEntries() {
        QFETCH(QByteArray, entry);
        QFETCH(bool, handles);
        QCOMPARE(DesktopEntryHandlesMime(entry.toStdString(), "application/vnd.ms-htmlhelp"), handles);
    }

    void listsApplicationFolders_data() {
        QTest::addColumn<QString>("dataHome");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("dataDirs");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("defaults") << ""
                                  << "/home/ann"
                                  << ""
                                  << QStringList{"/home/ann/.local/share/applications",
                                                 "/usr/local/share/applications", "/usr/share/applications"};
        QTest::newRow("all set") << "/d"
                                 << "/home/ann"
                                 << "/a:/b"
                                 << QStringList{"/d/applications", "/a/applications", "/b/applications"};
        QTest::newRow("relative entries skipped")
            << "rel"
            << "/home/ann"
            << "x:/b::" << QStringList{"/home/ann/.local/share/applications", "/b/applications"};
        QTest::newRow("no home") << ""
                                 << ""
                                 << "/a" << QStringList{"/a/applications"};
    }
    void listsApplicationFolders() {
        QFETCH(QString, dataHome);
        QFETCH(QString, home);
        QFETCH(QString, dataDirs);
        QFETCH(QStringList, expected);
        QStringList folders;
        for (const std::string& folder :
             ApplicationFolders(dataHome.toStdString(), home.toStdString(), dataDirs.toStdString()))
            folders << QString::fromStdString(folder);
        QCOMPARE(folders, expected);
    }

    // Against real folders: a viewer's entry in a subfolder of a system folder is found; the pages are
    // chosen while none is installed; a missing help file opens nothing.
    void findsInstalledViewer() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString chm = root.path() + "/share/TovoHelp.chm";
        const QString html = root.path() + "/share/help/index.html";
        WriteFile(chm, "ITSF");
        WriteFile(html, "<html></html>");
        WriteFile(root.path() + "/sys/applications/other.desktop", "[Desktop Entry]\nMimeType=text/html;\n");
        {
            DataDirs dirs(root.path() + "/user", root.path() + "/sys");
            QVERIFY(!ChmViewerInstalled());
            QCOMPARE(ChooseHelpTarget(chm.toStdString(), html.toStdString()).Viewer, HelpViewer::Html);
        }
        WriteFile(root.path() + "/sys/applications/vendor/viewer.desktop", kViewerEntry);
        {
            DataDirs dirs(root.path() + "/user", root.path() + "/sys");
            QVERIFY(ChmViewerInstalled());
            const HelpTarget target = ChooseHelpTarget(chm.toStdString(), html.toStdString());
            QCOMPARE(target.Viewer, HelpViewer::Chm);
            QCOMPARE(QString::fromStdString(target.Path), chm);
            const HelpTarget missing = ChooseHelpTarget((root.path() + "/none.chm").toStdString(),
                                                        (root.path() + "/none.html").toStdString());
            QCOMPARE(missing.Viewer, HelpViewer::None);
        }
        // The alias type counts as well.
        QVERIFY(QFile::remove(root.path() + "/sys/applications/vendor/viewer.desktop"));
        WriteFile(root.path() + "/user/applications/alias.desktop",
                  "[Desktop Entry]\nMimeType=application/x-chm;\n");
        DataDirs dirs(root.path() + "/user", root.path() + "/sys");
        QVERIFY(ChmViewerInstalled());
    }
};

QTEST_GUILESS_MAIN(HelpTargetTest)
#include "HelpTarget_test.moc"
