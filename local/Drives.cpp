#include "local/Drives.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <string_view>

namespace {

// Kernel and runtime file systems that hold nothing a user browses.
constexpr std::array<std::string_view, 24> PseudoFileSystems = {
    "proc",    "sysfs",       "tmpfs",      "devtmpfs",  "devpts",   "cgroup", "cgroup2",  "securityfs",
    "debugfs", "tracefs",     "mqueue",     "hugetlbfs", "pstore",   "bpf",    "configfs", "fusectl",
    "autofs",  "binfmt_misc", "rpc_pipefs", "nsfs",      "efivarfs", "ramfs",  "squashfs", "selinuxfs"};

// The table writes blanks, tabs, newlines and backslashes of a mount point as octal escapes.
std::string unescapeMountField(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string octal = field.substr(i + 1, 3);
            if (std::all_of(octal.begin(), octal.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                text += static_cast<char>(std::stoi(octal, nullptr, 8));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

bool isPseudo(const std::string& type) {
    return std::find(PseudoFileSystems.begin(), PseudoFileSystems.end(), type) != PseudoFileSystems.end();
}

bool isBelow(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() + 1 && path.compare(0, folder.size() + 1, folder + '/') == 0;
}

bool userWouldPick(const std::string& mountPoint, const std::string& home) {
    if (mountPoint == "/home" || isBelow(mountPoint, "/home"))
        return true;
    if (!home.empty() && home != "/" && (mountPoint == home || isBelow(mountPoint, home)))
        return true;
    return isBelow(mountPoint, "/media") || mountPoint == "/mnt" || isBelow(mountPoint, "/mnt") ||
           isBelow(mountPoint, "/run/media");
}

} // namespace

std::vector<std::string> DrivesFromMountTable(const std::string& table, const std::string& home) {
    // The root is always a drive, whatever file system carries it (an overlay in a container).
    std::vector<std::string> drives{"/"};
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type))
            continue;
        mountPoint = unescapeMountField(mountPoint);
        while (mountPoint.size() > 1 && mountPoint.back() == '/')
            mountPoint.pop_back();
        if (mountPoint.empty() || mountPoint.front() != '/' || isPseudo(type) ||
            !userWouldPick(mountPoint, home))
            continue;
        if (std::find(drives.begin(), drives.end(), mountPoint) == drives.end())
            drives.push_back(mountPoint);
    }
    return drives;
}

std::string ReadMountTable() {
    std::ifstream file("/proc/self/mounts");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool PathIsWithin(const std::string& path, const std::string& folder) {
    if (folder == "/")
        return !path.empty() && path.front() == '/';
    return path == folder || isBelow(path, folder);
}

std::string DriveOfPath(const std::vector<std::string>& drives, const std::string& path) {
    std::string best;
    for (const std::string& drive : drives)
        if (PathIsWithin(path, drive) && drive.size() > best.size())
            best = drive;
    return best;
}
