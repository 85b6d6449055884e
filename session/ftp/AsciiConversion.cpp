#include "session/ftp/AsciiConversion.h"

#include <cstring>

namespace tovo::ftp {

char* AsciiConversion::decode(char* data, std::size_t& size) {
    if (size == 0)
        return data;
    char* start = data;
    if (m_heldCr) {
        m_heldCr = false;
        if (data[0] != '\n') {
            start = data - 1;
            *start = '\r';
        }
    }
    char* write = data;
    const char* in = data;
    const char* end = data + size;
    while (in < end) {
        const char* cr = static_cast<const char*>(std::memchr(in, '\r', static_cast<std::size_t>(end - in)));
        const std::size_t plain = static_cast<std::size_t>((cr ? cr : end) - in);
        if (write != in)
            std::memmove(write, in, plain);
        write += plain;
        in += plain;
        if (!cr)
            break;
        ++in;
        if (in == end)
            m_heldCr = true;
        else if (*in != '\n')
            *write++ = '\r'; // a lone CR stays
    }
    size = static_cast<std::size_t>(write - start);
    return start;
}

std::size_t AsciiConversion::finishDecode(char* out) {
    if (!m_heldCr)
        return 0;
    m_heldCr = false;
    *out = '\r';
    return 1;
}

std::size_t AsciiConversion::encode(const char* data, std::size_t size, char* out) {
    char* write = out;
    const char* end = data + size;
    while (data < end) {
        const char* lf =
            static_cast<const char*>(std::memchr(data, '\n', static_cast<std::size_t>(end - data)));
        const std::size_t plain = static_cast<std::size_t>((lf ? lf : end) - data);
        std::memcpy(write, data, plain);
        write += plain;
        data += plain;
        if (!lf)
            break;
        *write++ = '\r';
        *write++ = '\n';
        ++data;
    }
    return static_cast<std::size_t>(write - out);
}

} // namespace tovo::ftp
