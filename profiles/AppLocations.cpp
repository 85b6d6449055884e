#include "profiles/AppLocations.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Files that only a build or a portable copy has beside its executable.
const char* const kProgramFiles[] = {"12.ico",   "1.ICO",        "last2.ico",
                                     "last.ico", "TovoHelp.chm", "help/index.html"};

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string LastComponent(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    // No HOME (a service or a stripped environment): the password database still knows it.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

} // namespace

AppLocations ResolveAppLocations(const std::string& exeDir, const LocationFacts& facts) {
    const std::string dir = WithoutTrailingSlashes(exeDir);
    const AppLocations beside{dir, dir, false};

    for (const char* name : kProgramFiles)
        if (facts.Exists(Join(dir, name)))
            return beside;

    // Installed: <prefix>/bin/tovo-ftp with its files in <prefix>/share/tovo-ftp.
    if (LastComponent(dir) != "bin")
        return beside;
    const std::string prefix = ParentOf(dir);
    if (prefix.empty())
        return beside;
    const std::string share = Join(Join(prefix, "share"), kAppFolderName);
    if (!facts.Exists(share))
        return beside;

    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    std::string config;
    if (IsAbsolute(facts.XdgConfigHome))
        config = WithoutTrailingSlashes(facts.XdgConfigHome);
    else if (IsAbsolute(facts.Home))
        config = Join(WithoutTrailingSlashes(facts.Home), ".config");
    else
        return {share, dir, true}; // nowhere else to keep profiles
    return {share, Join(config, kAppFolderName), true};
}

AppLocations ResolveAppLocations(const std::string& exeDir) {
    LocationFacts facts;
    facts.Exists = [](const std::string& path) { return ::access(path.c_str(), F_OK) == 0; };
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"))
        facts.XdgConfigHome = xdg;
    // HOME is only looked up when it is needed.
    if (!IsAbsolute(facts.XdgConfigHome))
        facts.Home = HomeFolder();
    return ResolveAppLocations(exeDir, facts);
}

std::string ResourceDir(const std::string& exeDir) {
    return ResolveAppLocations(exeDir).ResourceDir;
}

std::string ProfileDir(const std::string& exeDir) {
    return ResolveAppLocations(exeDir).ProfileDir;
}

bool CreatePrivateFolder(const std::string& dir) {
    const std::string target = WithoutTrailingSlashes(dir);
    if (target.empty())
        return false;
    std::string::size_type from = target.front() == '/' ? 1 : 0;
    while (true) {
        const auto slash = target.find('/', from);
        const std::string part = target.substr(0, slash);
        if (!IsFolder(part) && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
        from = slash + 1;
    }
    return IsFolder(target);
}

bool CreatePrivateFolderFor(const std::string& filePath) {
    const std::string parent = ParentOf(filePath);
    return parent.empty() || CreatePrivateFolder(parent);
}
