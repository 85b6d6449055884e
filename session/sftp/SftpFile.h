#pragma once
// One open remote file of an SFTP connection, read or written in order from where it was opened:
// reads keep several requests in flight, writes go out in large blocks.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

struct sftp_file_struct;

namespace tovo::sftp {

class SftpConnection;

class SftpFile {
public:
    SftpFile(std::shared_ptr<SftpConnection> connection, sftp_file_struct* file, bool upload);
    ~SftpFile(); // an unclosed file is aborted
    SftpFile(const SftpFile&) = delete;
    SftpFile& operator=(const SftpFile&) = delete;

    bool isUpload() const { return m_upload; }
    // Up to size bytes; got == 0 with true at the end of the file.
    bool read(char* buffer, std::size_t size, std::size_t& got);
    bool write(const char* data, std::size_t size);
    // False when the file did not get through whole: an upload whose last block or close failed,
    // a download that was not read to its end.
    bool close();
    // Stops without completing; what was written stays.
    void abort();

    // Bytes per read request and how many are in flight; bytes per write (OpenSSH's server takes
    // messages up to 256 KiB).
    static constexpr std::uint32_t kReadBlock = 64 * 1024;
    static constexpr std::size_t kReadsInFlight = 32;
    static constexpr std::size_t kWriteBlock = 255 * 1024;

private:
    struct Request {
        std::uint32_t id;
        std::uint64_t offset;
    };
    bool fillPipeline();
    // Collects the replies still on their way, so that none is left queued in the session.
    void drain();
    bool flush();
    bool finish(bool complete);

    std::shared_ptr<SftpConnection> m_connection;
    sftp_file_struct* m_file;
    bool m_upload;
    bool m_failed = false;
    bool m_ended = false; // download: the end of the file was read
    bool m_closed = false;
    std::deque<Request> m_requests;
    std::uint64_t m_nextOffset = 0; // of the next read request
    std::vector<char> m_buffer;     // a download's received block, an upload's block to send
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

} // namespace tovo::sftp
