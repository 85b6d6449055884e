#include "local/LocalFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool hidden(const char* name) {
    return name[0] == '.';
}

bool nameLess(const std::string& a, const std::string& b) {
    const int folded = strcasecmp(a.c_str(), b.c_str());
    return folded != 0 ? folded < 0 : a < b;
}

// Calls `visit(dirFd, entry)` for every non-hidden entry of a folder.
template <typename Visit> void forEachEntry(const std::string& folder, Visit visit) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir))
        if (!hidden(entry->d_name))
            visit(fd, *entry);
    closedir(dir);
}

int result(int returned) {
    return returned == 0 ? 0 : errno;
}

} // namespace

std::vector<LocalFileEntry> ListPlainFiles(const std::string& folder) {
    std::vector<LocalFileEntry> files;
    forEachEntry(folder, [&files](int fd, const dirent& entry) {
        if (entry.d_type != DT_REG && entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
            return;
        // One stat gives the kind (following links), the size and the date.
        struct stat info {};
        if (fstatat(fd, entry.d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
            return;
        files.push_back({entry.d_name, static_cast<std::int64_t>(info.st_size),
                         static_cast<std::int64_t>(info.st_mtim.tv_sec)});
    });
    std::sort(files.begin(), files.end(),
              [](const LocalFileEntry& a, const LocalFileEntry& b) { return nameLess(a.name, b.name); });
    return files;
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
    std::vector<std::string> folders;
    forEachEntry(folder, [&folders](int fd, const dirent& entry) {
        if (entry.d_type == DT_DIR) {
            folders.emplace_back(entry.d_name);
            return;
        }
        struct stat info {};
        if ((entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN) &&
            fstatat(fd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode))
            folders.emplace_back(entry.d_name);
    });
    std::sort(folders.begin(), folders.end(), nameLess);
    return folders;
}

int CanEnterFolder(const std::string& folder) {
    struct stat info {};
    if (folder.empty())
        return ENOENT;
    if (stat(folder.c_str(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode))
        return ENOTDIR;
    return result(access(folder.c_str(), R_OK | X_OK));
}

std::string NearestEnterableFolder(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && CanEnterFolder(path) != 0) {
        const std::size_t slash = path.find_last_of('/');
        path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
    }
    return path.empty() ? "/" : path;
}

bool IsValidEntryName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;

    // The file system cannot rename without replacing. Claim the new name first, atomically, so that
    // nothing that appears there meanwhile is ever overwritten.
    struct stat info {};
    if (lstat(from.c_str(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode)) {
        if (link(from.c_str(), to.c_str()) != 0)
            return errno;
        if (unlink(from.c_str()) != 0) {
            const int error = errno;
            unlink(to.c_str());
            return error;
        }
        return 0;
    }
    if (mkdir(to.c_str(), 0700) != 0)
        return errno;
    // Replaces only the empty folder just made; anything put into it meanwhile makes this fail.
    if (rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        rmdir(to.c_str());
        return error;
    }
    return 0;
}

int MakeFolder(const std::string& path) {
    return result(mkdir(path.c_str(), 0777));
}

int DeleteLocalFile(const std::string& path) {
    return result(unlink(path.c_str()));
}

int RemoveEmptyFolder(const std::string& path) {
    // rmdir refuses a link (ENOTDIR) however empty the folder behind it is.
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char* target = realpath(path.c_str(), nullptr);
        if (!target)
            return errno;
        const int error = result(rmdir(target));
        std::free(target);
        return error;
    }
    return result(rmdir(path.c_str()));
}

std::string LocalErrorText(int error) {
    return std::strerror(error);
}
