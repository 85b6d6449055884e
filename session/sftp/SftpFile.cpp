#include "session/sftp/SftpFile.h"

#include "session/sftp/SftpConnection.h"

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <algorithm>
#include <cstring>

namespace tovo::sftp {

SftpFile::SftpFile(std::shared_ptr<SftpConnection> connection, sftp_file_struct* file, bool upload)
    : m_connection(std::move(connection)), m_file(file), m_upload(upload), m_nextOffset(sftp_tell64(file)),
      m_buffer(upload ? kWriteBlock : kReadBlock) {}

SftpFile::~SftpFile() {
    if (!m_closed)
        abort();
}

bool SftpFile::fillPipeline() {
    while (m_requests.size() < kReadsInFlight) {
        const int id = sftp_async_read_begin(m_file, kReadBlock);
        if (id < 0)
            return false;
        m_requests.push_back({static_cast<std::uint32_t>(id), m_nextOffset});
        m_nextOffset += kReadBlock;
    }
    return true;
}

void SftpFile::drain() {
    std::vector<char> scratch(kReadBlock);
    for (const Request& request : m_requests)
        if (sftp_async_read(m_file, scratch.data(), kReadBlock, request.id) < 0)
            break;
    m_requests.clear();
}

bool SftpFile::read(char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    if (m_upload || m_closed || m_failed)
        return false;
    if (m_begin == m_end && !m_ended && size > 0) {
        SftpConnection::Turn turn(*m_connection);
        if (m_connection->m_broken || !fillPipeline()) {
            m_connection->failed();
            m_failed = true;
            return false;
        }
        const Request request = m_requests.front();
        m_requests.pop_front();
        const int received = sftp_async_read(m_file, m_buffer.data(), kReadBlock, request.id);
        if (received < 0) {
            m_connection->failed();
            m_failed = true;
            return false;
        }
        m_begin = 0;
        m_end = static_cast<std::size_t>(received);
        if (received == 0) {
            m_ended = true;
            drain();
        } else if (m_end < kReadBlock) {
            // A short block: the requests behind it asked for the wrong bytes, so start again after it.
            drain();
            m_nextOffset = request.offset + m_end;
            sftp_seek64(m_file, m_nextOffset);
        }
    }
    got = std::min(size, m_end - m_begin);
    std::memcpy(buffer, m_buffer.data() + m_begin, got);
    m_begin += got;
    return true;
}

bool SftpFile::write(const char* data, std::size_t size) {
    if (!m_upload || m_closed || m_failed)
        return false;
    while (size > 0) {
        if (m_end == 0 && size >= kWriteBlock) {
            // A whole block from the caller goes out as it is.
            SftpConnection::Turn turn(*m_connection);
            if (m_connection->m_broken ||
                sftp_write(m_file, data, kWriteBlock) != static_cast<ssize_t>(kWriteBlock)) {
                m_connection->failed();
                m_failed = true;
                return false;
            }
            data += kWriteBlock;
            size -= kWriteBlock;
            continue;
        }
        const std::size_t take = std::min(size, kWriteBlock - m_end);
        std::memcpy(m_buffer.data() + m_end, data, take);
        m_end += take;
        data += take;
        size -= take;
        if (m_end == kWriteBlock && !flush())
            return false;
    }
    return true;
}

bool SftpFile::flush() {
    if (m_end == 0)
        return true;
    SftpConnection::Turn turn(*m_connection);
    if (m_connection->m_broken || sftp_write(m_file, m_buffer.data(), m_end) != static_cast<ssize_t>(m_end)) {
        m_connection->failed();
        m_failed = true;
        return false;
    }
    m_end = 0;
    return true;
}

bool SftpFile::close() {
    if (m_closed)
        return false;
    bool complete = false;
    if (m_upload) {
        complete = !m_failed && flush();
    } else {
        // Read to its end but not past it? One more read tells.
        std::size_t got = 0;
        char probe[1];
        if (!m_failed && !m_ended && m_begin == m_end)
            read(probe, sizeof probe, got);
        complete = !m_failed && m_ended && got == 0;
    }
    return finish(complete);
}

void SftpFile::abort() {
    if (!m_closed)
        finish(false);
}

bool SftpFile::finish(bool complete) {
    m_closed = true;
    SftpConnection::Turn turn(*m_connection);
    --m_connection->m_openFiles;
    if (!m_connection->m_broken && !m_requests.empty())
        drain();
    // The server's answer to the close of an upload says whether the last data reached the disk.
    if (sftp_close(m_file) != SSH_NO_ERROR && m_upload && complete)
        complete = m_connection->failed();
    m_file = nullptr;
    return complete;
}

} // namespace tovo::sftp
