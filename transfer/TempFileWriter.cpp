#include "transfer/TempFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longest file name the usual Linux file systems hold, in bytes.
constexpr std::size_t NameMax = 255;

TempFileWriter::DiskCalls g_diskCalls{::fsync, ::rename};

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string tempNameFor(const std::string& target, unsigned number) {
    // A hidden name in the same folder: the rename stays on one file system and listings skip it.
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", number);
    // A target name near the limit would give a temporary name the folder cannot hold: keep only
    // the start of it, cut before a UTF-8 continuation byte.
    const std::size_t room = NameMax - std::strlen(".") - std::strlen(suffix) - std::strlen("..part");
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return folder + "." + name + "." + suffix + ".part";
}

// Makes a rename in the folder survive a crash or power loss.
void syncFolderOf(const std::string& path) {
    const std::string folder = folderOf(path);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)g_diskCalls.sync(fd);
    ::close(fd);
}

// Folders holding new files that were renamed into place without a flush.
std::mutex g_unsyncedMutex;
std::set<std::string> g_unsyncedFolders;

// 0 when the target's folder takes its name, else why not (an errno value). The temporary file's
// name holds the target's whole name unless it had to be shortened: only then is a missing target
// created and removed again to find out what the file system refuses.
int targetNameError(const std::string& target, bool& exists) {
    struct stat existing {};
    exists = ::lstat(target.c_str(), &existing) == 0;
    if (exists)
        return S_ISDIR(existing.st_mode) ? EISDIR : 0;
    if (errno != ENOENT)
        return errno;
    if (tempNameFor(target, 0).size() - folderOf(target).size() < NameMax)
        return 0;
    const int probe = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (probe < 0)
        return errno == EEXIST ? 0 : errno;
    ::close(probe);
    ::unlink(target.c_str());
    return 0;
}

} // namespace

void TempFileWriter::SyncCommitted() {
    std::set<std::string> folders;
    {
        std::lock_guard lock(g_unsyncedMutex);
        folders.swap(g_unsyncedFolders);
    }
    std::set<dev_t> flushed;
    for (const std::string& folder : folders) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && flushed.insert(info.st_dev).second)
            (void)::syncfs(fd);
        ::close(fd);
    }
}

void TempFileWriter::SetDiskCalls(const DiskCalls& calls) {
    g_diskCalls = calls;
}

TempFileWriter::TempFileWriter(std::size_t bufferSize) : m_buffer(bufferSize == 0 ? 1 : bufferSize) {}

TempFileWriter::~TempFileWriter() {
    discard();
}

bool TempFileWriter::begin(const std::string& targetPath) {
    discard();
    m_targetPath = targetPath;
    m_failed = false;
    m_used = 0;
    m_error = targetNameError(targetPath, m_replacing);
    return m_error == 0;
}

bool TempFileWriter::open(const std::string& targetPath) {
    if (!begin(targetPath))
        return false;
    // Seeded once: a queue of many small files opens one of these per file.
    thread_local std::mt19937 numbers{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = tempNameFor(targetPath, static_cast<unsigned>(numbers()));
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_tempPath = candidate;
            // A replaced file keeps its permissions.
            struct stat existing {};
            if (m_replacing && ::stat(targetPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
                (void)::fchmod(fd, existing.st_mode & 07777);
            return true;
        }
        m_error = errno;
        if (m_error != EEXIST)
            return false;
    }
    return false;
}

bool TempFileWriter::openContinuing(const std::string& targetPath, const std::string& partPath) {
    if (!begin(targetPath))
        return false;
    const int fd = ::open(partPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    m_fd = fd;
    m_tempPath = partPath;
    return true;
}

bool TempFileWriter::write(const char* data, std::size_t size) {
    if (m_fd < 0 || m_failed)
        return false;
    while (size > 0) {
        if (m_used == m_buffer.size() && !flush())
            return false;
        const std::size_t part = std::min(size, m_buffer.size() - m_used);
        std::memcpy(m_buffer.data() + m_used, data, part);
        m_used += part;
        data += part;
        size -= part;
    }
    return true;
}

bool TempFileWriter::flush() {
    std::size_t done = 0;
    while (done < m_used) {
        const ssize_t written = ::write(m_fd, m_buffer.data() + done, m_used - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_failed = true;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    m_used = 0;
    return true;
}

bool TempFileWriter::commit() {
    if (m_fd < 0 || m_failed || !flush()) {
        discard();
        return false;
    }
    // A replacing file reaches the disk before its name does: after a crash the target is either the
    // old file or the whole new one. A new file has no good copy to lose; the queue flushes them all
    // at its end (SyncCommitted), which costs one flush instead of two per small file.
    const int fd = m_fd;
    m_fd = -1;
    if ((m_replacing && g_diskCalls.sync(fd) != 0) || ::close(fd) != 0 ||
        g_diskCalls.rename(m_tempPath.c_str(), m_targetPath.c_str()) != 0) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
        return false;
    }
    m_tempPath.clear();
    // The file is in place; some file systems cannot flush a folder, which is no reason to fail.
    if (m_replacing) {
        syncFolderOf(m_targetPath);
    } else {
        std::lock_guard lock(g_unsyncedMutex);
        g_unsyncedFolders.insert(folderOf(m_targetPath));
    }
    return true;
}

bool TempFileWriter::keepAs(const std::string& partPath) {
    if (m_fd < 0 || m_failed || !flush()) {
        discard();
        return false;
    }
    // On disk before it is named: a kept file that a crash cut short would be continued wrongly.
    const int fd = m_fd;
    m_fd = -1;
    if (g_diskCalls.sync(fd) != 0 || ::close(fd) != 0 ||
        (m_tempPath != partPath && g_diskCalls.rename(m_tempPath.c_str(), partPath.c_str()) != 0)) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void TempFileWriter::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
    m_used = 0;
}
