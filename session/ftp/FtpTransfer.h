#pragma once
// An open file transfer on a data connection: reads and writes go through one large buffer so that
// small calls stay cheap; ASCII mode converts line ends; closing reports whether the server took
// or gave the whole file.

#include "session/ftp/AsciiConversion.h"
#include "session/ftp/Stream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tovo::ftp {

class FtpConnection;

class FtpTransfer {
public:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    // finalReplyRead: the server already ended the transfer when it accepted the command.
    // announcedSize: the bytes the server said the download holds, when it said. path and offset:
    // the file and where the download began, to ask its size when nothing else vouches for the end.
    FtpTransfer(std::shared_ptr<FtpConnection> connection, Stream data, bool upload, bool ascii,
                bool finalReplyRead, std::optional<std::uint64_t> announcedSize = std::nullopt,
                std::string path = {}, std::uint64_t offset = 0);
    ~FtpTransfer();
    FtpTransfer(const FtpTransfer&) = delete;
    FtpTransfer& operator=(const FtpTransfer&) = delete;

    // The most one network read of a download takes (at most kBufferSize); tests make it small so
    // that the data splits where they need it.
    static void setReceiveSize(std::size_t bytes);

    bool isUpload() const { return m_upload; }
    // Fills out with size bytes unless the data ends first (got tells how many). At the end of the
    // data the server's final reply is read first: false (and got 0) when the data connection
    // broke or that reply is not positive, so a failure never passes for the end of the file.
    bool read(char* out, std::size_t size, std::size_t& got);
    bool write(const char* data, std::size_t size);
    // Ends the transfer: an upload sends what is buffered and reads the final reply; a download
    // not read to its end is aborted. False when the file did not get through whole.
    bool close();
    // Ends the transfer unfinished: the data connection is reset (not closed in order) and ABOR sent,
    // so a server cannot take a cancelled or failed upload for a complete file.
    void abort();

private:
    enum class State { Open, Done, Failed, Closed };

    bool fill();
    bool flush();
    // The data connection ended: true when the whole file came, as the final reply says and, over
    // TLS without close_notify, as the announced size (else the file's size less the offset) confirms.
    bool dataEnded();

    std::shared_ptr<FtpConnection> m_connection;
    Stream m_data;
    bool m_upload;
    bool m_ascii;
    bool m_finalReplyRead;
    std::optional<std::uint64_t> m_announcedSize;
    std::string m_path;
    std::uint64_t m_offset;
    std::uint64_t m_received = 0; // bytes as they came, before any line-end conversion
    State m_state = State::Open;
    bool m_closeResult = false;
    AsciiConversion m_conversion;
    // One byte in front of the data area, where ASCII decoding may put back a held CR.
    std::unique_ptr<char[]> m_buffer;
    char* m_begin = nullptr; // unread downloaded bytes, or buffered upload bytes
    char* m_end = nullptr;
};

} // namespace tovo::ftp
