// What the help command opens: the compiled help when a viewer for it is installed, else the HTML
// pages, never a missing file; and how the call names the window and the topic.
#include "help/CHelp.h"
#include "help/HelpTarget.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(HelpViewer)

namespace {
const QByteArray kViewerEntry = "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %f\n"
                                "MimeType=text/plain;application/vnd.ms-htmlhelp;\n";
void WriteFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QVERIFY(WriteFileBytes(path, content));
}
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
        QTest::newRow("no viewer, no pages: the file") << true << false << false << HelpViewer::Chm;
        QTest::newRow("nothing installed") << false << false << true << HelpViewer::None;
    }
    void choosesWhatToOpen() {
        QFETCH(bool, chmExists);
        QFETCH(bool, htmlExists);
        QFETCH(bool, viewer);
        QFETCH(HelpViewer, expected);
        const HelpTarget target =
            ChooseHelpTarget("/s/h.chm", chmExists, "/s/index.html", htmlExists, viewer);
        QCOMPARE(target.Viewer, expected);
        const char* path = expected == HelpViewer::Chm    ? "/s/h.chm"
                           : expected == HelpViewer::Html ? "/s/index.html"
                                                          : "";
        QCOMPARE(target.Path, std::string(path));
    }

    void readsDesktopEntries_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("handles");
        QTest::newRow("listed among others") << kViewerEntry << true;
        QTest::newRow("last, no semicolon")
            << QByteArray("[Desktop Entry]\nMimeType=a/b;application/vnd.ms-htmlhelp\n") << true;
        QTest::newRow("blanks, CRLF")
            << QByteArray("[Desktop Entry]\r\n MimeType = application/vnd.ms-htmlhelp; \r\n") << true;
        QTest::newRow("a longer type")
            << QByteArray("[Desktop Entry]\nMimeType=application/vnd.ms-htmlhelp2;\n") << false;
        QTest::newRow("in an action group")
            << QByteArray(
                   "[Desktop Entry]\nName=x\n[Desktop Action open]\nMimeType=application/vnd.ms-htmlhelp;\n")
            << false;
        QTest::newRow("commented out")
            << QByteArray("[Desktop Entry]\n#MimeType=application/vnd.ms-htmlhelp;\n") << false;
        QTest::newRow("hidden")
            << QByteArray("[Desktop Entry]\nMimeType=application/vnd.ms-htmlhelp;\nHidden=true\n") << false;
    }
    void readsDesktopEntries() {
        QFETCH(QByteArray, entry);
        QFETCH(bool, handles);
        QCOMPARE(DesktopEntryHandlesMime(entry.toStdString(), "application/vnd.ms-htmlhelp"), handles);
    }

    void listsApplicationFolders() {
        QStringList folders;
        for (const std::string& folder : ApplicationFolders("rel", "/home/ann", "x:/b::"))
            folders << QString::fromStdString(folder);
        QCOMPARE(folders, QStringList({"/home/ann/.local/share/applications", "/b/applications"}));
        QCOMPARE(ApplicationFolders("", "", "").size(), std::size_t(2)); // the system defaults
    }

    // Against real folders and the real environment, then through the help command itself.
    void findsInstalledViewerAndOpens() {
        QTemporaryDir root;
        const QString chm = root.filePath("share/TovoHelp.chm");
        WriteFile(chm, "ITSF");
        WriteFile(root.filePath("share/help/index.html"), "<html></html>");
        WriteFile(root.filePath("sys/applications/other.desktop"), "[Desktop Entry]\nMimeType=text/html;\n");
        const QByteArray home = qgetenv("XDG_DATA_HOME"), dirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath("user")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root.filePath("sys")));
        QStringList opened;
        const CHelp::Opener previous =
            CHelp::SetOpener([&opened](const QString& target, std::optional<int> topic) {
                opened << target + (topic ? QString::number(*topic) : QString());
            });
        const bool before = ChmViewerInstalled();
        CHelp().Show(chm, QStringLiteral(" main "));
        WriteFile(root.filePath("sys/applications/vendor/viewer.desktop"), kViewerEntry);
        const bool after = ChmViewerInstalled();
        CHelp().Show(QStringLiteral("  ") + chm + QStringLiteral(" "), QStringLiteral("main"), 42);
        CHelp().Show(root.filePath("missing.chm"), QStringLiteral("main"), 3);
        CHelp::SetOpener(previous);
        qputenv("XDG_DATA_HOME", home);
        qputenv("XDG_DATA_DIRS", dirs);
        QVERIFY(!before && after);
        QCOMPARE(opened, QStringList({root.filePath("share/help/index.html"), chm + ">main42"}));
    }
};

QTEST_GUILESS_MAIN(HelpTargetTest)
#include "HelpTarget_test.moc"
