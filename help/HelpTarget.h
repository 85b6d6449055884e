#pragma once
// What "Help Contents" opens: the compiled help file when the desktop has a viewer for it, else the
// same pages as HTML in the browser, else nothing.

#include <string>
#include <vector>

enum class HelpViewer { None, Chm, Html };

struct HelpTarget {
    HelpViewer Viewer = HelpViewer::None;
    std::string Path; // empty with HelpViewer::None
};

// The MIME types under which desktop entries announce a viewer for compiled HTML help.
extern const char* const kChmMimeTypes[2];

// The decision alone: which files exist and whether a viewer for the compiled file is installed.
HelpTarget ChooseHelpTarget(const std::string& chmPath, bool chmExists, const std::string& htmlIndexPath,
                            bool htmlExists, bool chmViewerInstalled);
// The same against this machine's files and installed desktop entries.
HelpTarget ChooseHelpTarget(const std::string& chmPath, const std::string& htmlIndexPath);

// True when the text of a .desktop file lists mimeType in its [Desktop Entry] MimeType key and the
// entry is not hidden.
bool DesktopEntryHandlesMime(const std::string& desktopEntry, const std::string& mimeType);

// The folders that hold desktop entries, most important first: $XDG_DATA_HOME/applications (else
// ~/.local/share/applications), then each of $XDG_DATA_DIRS (else /usr/local/share:/usr/share).
std::vector<std::string> ApplicationFolders(const std::string& xdgDataHome, const std::string& home,
                                            const std::string& xdgDataDirs);

// True when an installed desktop entry opens compiled HTML help.
bool ChmViewerInstalled();
