#include "help/HelpTarget.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

const char* const kChmMimeTypes[2] = {"application/vnd.ms-htmlhelp", "application/x-chm"};

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        part = Trimmed(part);
        if (!part.empty())
            parts.push_back(part);
    }
    return parts;
}

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

bool FileExists(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

HelpTarget ChooseHelpTarget(const std::string& chmPath, bool chmExists, const std::string& htmlIndexPath,
                            bool htmlExists, bool chmViewerInstalled) {
    if (chmExists && chmViewerInstalled)
        return {HelpViewer::Chm, chmPath};
    if (htmlExists)
        return {HelpViewer::Html, htmlIndexPath};
    // No viewer known and no pages: the desktop may still offer to open the file with something.
    if (chmExists)
        return {HelpViewer::Chm, chmPath};
    return {};
}

HelpTarget ChooseHelpTarget(const std::string& chmPath, const std::string& htmlIndexPath) {
    const bool chmExists = FileExists(chmPath);
    // Looking through the desktop entries only matters when there is a compiled file to open.
    return ChooseHelpTarget(chmPath, chmExists, htmlIndexPath, FileExists(htmlIndexPath),
                            chmExists && ChmViewerInstalled());
}

bool DesktopEntryHandlesMime(const std::string& desktopEntry, const std::string& mimeType) {
    std::istringstream in(desktopEntry);
    std::string line;
    bool inMainGroup = false;
    bool handles = false;
    while (std::getline(in, line)) {
        line = Trimmed(line);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        if (key == "Hidden" && value == "true")
            return false; // the entry counts as deleted
        if (key == "MimeType")
            for (const std::string& type : SplitList(value, ';'))
                if (type == mimeType)
                    handles = true;
    }
    return handles;
}

std::vector<std::string> ApplicationFolders(const std::string& xdgDataHome, const std::string& home,
                                            const std::string& xdgDataDirs) {
    std::vector<std::string> folders;
    // Relative entries are invalid in these variables and are skipped.
    if (IsAbsolute(xdgDataHome))
        folders.push_back(xdgDataHome + "/applications");
    else if (IsAbsolute(home))
        folders.push_back(home + "/.local/share/applications");
    std::vector<std::string> dirs;
    for (const std::string& dir : SplitList(xdgDataDirs, ':'))
        if (IsAbsolute(dir))
            dirs.push_back(dir);
    if (dirs.empty())
        dirs = {"/usr/local/share", "/usr/share"};
    for (const std::string& dir : dirs)
        folders.push_back(dir + "/applications");
    return folders;
}

bool ChmViewerInstalled() {
    namespace fs = std::filesystem;
    for (const std::string& folder : ApplicationFolders(Environment("XDG_DATA_HOME"), Environment("HOME"),
                                                        Environment("XDG_DATA_DIRS"))) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (it->path().extension() != ".desktop")
                continue;
            std::ifstream file(it->path());
            std::ostringstream text;
            text << file.rdbuf();
            for (const char* mime : kChmMimeTypes)
                if (DesktopEntryHandlesMime(text.str(), mime))
                    return true;
        }
    }
    return false;
}
