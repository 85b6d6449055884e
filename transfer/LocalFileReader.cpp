#include "transfer/LocalFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

LocalFileReader::LocalFileReader(std::size_t bufferSize) : m_buffer(bufferSize == 0 ? 1 : bufferSize) {}

LocalFileReader::~LocalFileReader() {
    close();
}

bool LocalFileReader::open(const std::string& path) {
    close();
    // Without O_NONBLOCK, opening a named pipe would wait for a writer; fstat then turns it away.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_length = static_cast<std::int64_t>(info.st_size);
    m_begin = m_end = 0;
    return true;
}

void LocalFileReader::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_begin = m_end = 0;
}

bool LocalFileReader::seek(std::int64_t offset) {
    m_begin = m_end = 0;
    return m_fd >= 0 && ::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

std::int64_t LocalFileReader::read(char* out, std::size_t size) {
    if (m_fd < 0)
        return -1;
    std::size_t done = 0;
    while (done < size) {
        if (m_begin == m_end) {
            ssize_t got = 0;
            do
                got = ::read(m_fd, m_buffer.data(), m_buffer.size());
            while (got < 0 && errno == EINTR);
            if (got < 0)
                return -1;
            if (got == 0)
                break;
            m_begin = 0;
            m_end = static_cast<std::size_t>(got);
        }
        const std::size_t part = std::min(size - done, m_end - m_begin);
        std::memcpy(out + done, m_buffer.data() + m_begin, part);
        m_begin += part;
        done += part;
    }
    return static_cast<std::int64_t>(done);
}
