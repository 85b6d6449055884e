#include "transfer/TransferQueue.h"

#include <limits>

bool IsDownloadableRow(const std::string& text, int smallIcon) {
    return smallIcon != FolderIcon && smallIcon != ParentFolderIcon && text != ParentFolderText;
}

std::int64_t QueuedSizeFromText(const std::string& text) {
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos)
        return 0;
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    std::int64_t size = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        if (size > (limit - digit) / 10)
            return limit;
        size = size * 10 + digit;
    }
    return size;
}

std::int64_t AddSaturating(std::int64_t total, std::int64_t size) {
    std::int64_t sum = 0;
    if (!__builtin_add_overflow(total, size, &sum))
        return sum;
    return size > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

bool IsSafeLocalName(const std::string& name) {
    // A server may list any name; "/" or a dot entry would write outside the chosen folder.
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::int64_t AddBytes(std::int64_t total, std::int64_t bytes) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(total, bytes, &sum))
        return bytes < 0 ? std::numeric_limits<std::int64_t>::min()
                         : std::numeric_limits<std::int64_t>::max();
    return sum;
}
