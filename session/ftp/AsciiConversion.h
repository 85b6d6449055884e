#pragma once
// Line-end conversion of ASCII-mode transfers on this Linux client: CR LF from the server becomes
// LF, LF sent to the server becomes CR LF. Works block by block, in place where it shrinks.

#include <cstddef>

namespace tovo::ftp {

class AsciiConversion {
public:
    // Converts CR LF to LF in data[0..size) in place; returns where the result starts and sets size
    // to its length. A CR at the end of a block is held back until the next block shows whether an
    // LF follows; when it did not, it is put back at data[-1], which must be writable.
    char* decode(char* data, std::size_t& size);
    // At the end of the data: a CR still held back, if any (0 or 1 bytes written to out).
    std::size_t finishDecode(char* out);

    // Writes data with every LF turned into CR LF to out, which must hold 2 * size bytes; returns
    // the bytes written.
    static std::size_t encode(const char* data, std::size_t size, char* out);

private:
    bool m_heldCr = false;
};

} // namespace tovo::ftp
