#pragma once
// Reads a local file for an upload in small pieces, served from one large buffer so that the
// 1024-byte chunks of the transfer loop do not each cost a system call.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class LocalFileReader {
public:
    explicit LocalFileReader(std::size_t bufferSize = std::size_t{1} << 20);
    ~LocalFileReader();
    LocalFileReader(const LocalFileReader&) = delete;
    LocalFileReader& operator=(const LocalFileReader&) = delete;

    // Opens a regular file; false when it is missing, unreadable or not a file.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    std::int64_t length() const { return m_length; } // taken when the file was opened

    // Goes to a byte offset from the start (an upload continued where the server's copy ends).
    bool seek(std::int64_t offset);
    // Reads up to size bytes; the count (0 at the end of the file), or -1 on a read error.
    std::int64_t read(char* out, std::size_t size);

private:
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    int m_fd = -1;
    std::int64_t m_length = 0;
};
