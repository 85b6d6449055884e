#include "session/ftp/FtpTransfer.h"

#include "session/ftp/FtpConnection.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace tovo::ftp {

namespace {
std::atomic<std::size_t> g_receiveSize{FtpTransfer::kBufferSize};
}

void FtpTransfer::setReceiveSize(std::size_t bytes) {
    g_receiveSize = std::clamp<std::size_t>(bytes, 1, kBufferSize);
}

FtpTransfer::FtpTransfer(std::shared_ptr<FtpConnection> connection, Stream data, bool upload, bool ascii,
                         bool finalReplyRead, std::optional<std::uint64_t> announcedSize, std::string path,
                         std::uint64_t offset)
    : m_connection(std::move(connection)), m_data(std::move(data)), m_upload(upload), m_ascii(ascii),
      m_finalReplyRead(finalReplyRead), m_announcedSize(announcedSize), m_path(std::move(path)),
      m_offset(offset), m_buffer(new char[kBufferSize + 1]) {
    m_begin = m_end = m_buffer.get() + 1;
}

FtpTransfer::~FtpTransfer() {
    close();
}

bool FtpTransfer::fill() {
    char* area = m_buffer.get() + 1;
    std::size_t received = 0;
    switch (m_data.receive(area, g_receiveSize, received, m_connection->timeoutMs())) {
    case Socket::Result::Ok:
        m_received += received;
        m_begin = area;
        m_end = area + received;
        if (m_ascii) {
            std::size_t size = received;
            m_begin = m_conversion.decode(area, size);
            m_end = m_begin + size;
        }
        return true;
    case Socket::Result::Closed:
        m_begin = m_end = area;
        if (m_ascii)
            m_end += m_conversion.finishDecode(area);
        m_state = dataEnded() ? State::Done : State::Failed;
        return m_state == State::Done;
    case Socket::Result::Failed:
        break;
    }
    m_state = State::Failed;
    return false;
}

bool FtpTransfer::dataEnded() {
    // A bare close of a protected connection may be an attacker's: then only the size can vouch.
    const bool vouched = !m_data.isTls() || m_data.closeNotifyReceived() || m_announcedSize == m_received;
    m_data.close();
    // The final reply is read either way, so the control connection stays in step.
    const bool confirmed = m_finalReplyRead || m_connection->readFinalReply();
    m_finalReplyRead = true;
    if (!confirmed || vouched)
        return confirmed;
    // Asked only now, and only for a bare close: most servers end with close_notify, and a SIZE
    // before every file would cost each small file a round trip.
    const std::optional<std::uint64_t> size = m_connection->askSize(m_path);
    return size && *size >= m_offset && *size - m_offset == m_received;
}

bool FtpTransfer::read(char* out, std::size_t size, std::size_t& got) {
    got = 0;
    if (m_upload || (m_state != State::Open && m_state != State::Done))
        return false;
    while (got < size) {
        if (m_begin == m_end) {
            if (m_state == State::Done)
                break;
            if (!fill()) {
                got = 0;
                return false;
            }
            continue;
        }
        const std::size_t take = std::min(size - got, static_cast<std::size_t>(m_end - m_begin));
        std::memcpy(out + got, m_begin, take);
        m_begin += take;
        got += take;
    }
    return true;
}

bool FtpTransfer::flush() {
    char* area = m_buffer.get() + 1;
    const std::size_t pending = static_cast<std::size_t>(m_end - area);
    m_end = area;
    if (pending == 0 || m_data.sendAll(area, pending, m_connection->timeoutMs()))
        return true;
    m_state = State::Failed;
    return false;
}

bool FtpTransfer::write(const char* data, std::size_t size) {
    if (!m_upload || m_state != State::Open)
        return false;
    char* area = m_buffer.get() + 1;
    while (size > 0) {
        const std::size_t room = kBufferSize - static_cast<std::size_t>(m_end - area);
        if (!m_ascii && m_end == area && size >= kBufferSize) {
            // Large writes go straight out without a copy.
            if (m_data.sendAll(data, size, m_connection->timeoutMs()))
                return true;
            m_state = State::Failed;
            return false;
        }
        // ASCII may double every byte, so it takes only what fits when doubled.
        const std::size_t take = std::min(size, m_ascii ? room / 2 : room);
        if (take == 0) {
            if (!flush())
                return false;
            continue;
        }
        if (m_ascii) {
            m_end += AsciiConversion::encode(data, take, m_end);
        } else {
            std::memcpy(m_end, data, take);
            m_end += take;
        }
        data += take;
        size -= take;
    }
    return true;
}

bool FtpTransfer::close() {
    if (m_state == State::Closed)
        return m_closeResult;
    bool ok = false;
    if (m_upload) {
        // The server's end of the data connection and its final reply share one deadline: a server
        // that keeps sending on the data connection cannot hold the upload open.
        const bool flushed = m_state == State::Open && flush();
        const Deadline deadline(m_connection->timeoutMs());
        if (flushed && m_data.endUpload(deadline)) {
            m_data.close(); // end of file for the server
            ok = m_finalReplyRead || m_connection->readFinalReply(deadline);
        } else {
            m_data.reset();
            m_connection->abortTransfer();
        }
    } else if (m_state == State::Done) {
        ok = true;
    } else if (m_state == State::Failed && m_finalReplyRead) {
        ok = false; // the final reply was read and refused the transfer
    } else {
        // Read to its end but not past it? Then the end is waiting already and nothing needs aborting.
        char probe[1];
        std::size_t received = 0;
        if (m_state == State::Open && m_begin == m_end &&
            m_data.receive(probe, sizeof probe, received, 0) == Socket::Result::Closed) {
            ok = dataEnded();
        } else {
            m_data.reset();
            // A cancel: the file is incomplete, but the connection is fine when the abort went through.
            ok = m_connection->abortTransfer() && m_state == State::Open;
        }
    }
    m_data.close();
    m_state = State::Closed;
    m_closeResult = ok;
    m_connection->endTransfer();
    return ok;
}

void FtpTransfer::abort() {
    if (m_state == State::Closed)
        return;
    m_data.reset();
    if (!m_finalReplyRead)
        m_connection->abortTransfer();
    m_state = State::Closed;
    m_closeResult = false;
    m_connection->endTransfer();
}

} // namespace tovo::ftp
