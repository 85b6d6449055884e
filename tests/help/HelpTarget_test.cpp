// What the help command opens (compiled help with a viewer, else the pages, never a missing file).
#include "help/CHelp.h"
#include "help/HelpTarget.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

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
    void choosesWhatToOpen() {
        // Compiled file, pages, viewer installed -> what opens.
        for (const auto& [chm, html, viewer, path] : {std::tuple{true, true, true, "/s/h.chm"},
                                                      {true, true, false, "/s/index.html"},
                                                      {false, true, true, "/s/index.html"},
                                                      {true, false, false, "/s/h.chm"},
                                                      {false, false, true, ""}}) {
            const HelpTarget target = ChooseHelpTarget("/s/h.chm", chm, "/s/index.html", html, viewer);
            QCOMPARE(target.Path, std::string(path));
            QCOMPARE(target.Viewer, !*path                                     ? HelpViewer::None
                                    : std::string_view(path).ends_with(".chm") ? HelpViewer::Chm
                                                                               : HelpViewer::Html);
        }
    }

    void readsDesktopEntries() {
        const char* mime = "MimeType=application/vnd.ms-htmlhelp";
        for (const auto& [entry, handles] : {std::pair{kViewerEntry.toStdString(), true},
                                             {"\r\n MimeType = application/vnd.ms-htmlhelp; \r\n", true},
                                             {mime + std::string("2;\n"), false},
                                             {"Name=x\n[Desktop Action open]\n" + std::string(mime), false},
                                             {mime + std::string(";\nHidden=true\n"), false}})
            QVERIFY2(DesktopEntryHandlesMime("[Desktop Entry]\n" + entry, "application/vnd.ms-htmlhelp") ==
                         handles,
                     entry.c_str());
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
        CHelp().Show(chm, " main ");
        WriteFile(root.filePath("sys/applications/vendor/viewer.desktop"), kViewerEntry);
        const bool after = ChmViewerInstalled();
        CHelp().Show("  " + chm + " ", "main", 42);
        CHelp().Show(root.filePath("missing.chm"), "main", 3);
        CHelp::SetOpener(previous);
        qputenv("XDG_DATA_HOME", home);
        qputenv("XDG_DATA_DIRS", dirs);
        QVERIFY(!before && after);
        QCOMPARE(opened, QStringList({root.filePath("share/help/index.html"), chm + ">main42"}));
    }
};

QTEST_GUILESS_MAIN(HelpTargetTest)
#include "HelpTarget_test.moc"
