#include "toolkit/SizeText.h"

#include <cstddef>

std::string KilobyteText(std::int64_t bytes, int unit, int decimals, const char* suffix) {
    // Whole-number maths keeps every 64-bit size exact where a double would not.
    // A count below zero can only come from a fault; it shows as nothing moved.
    const std::uint64_t magnitude = bytes < 0 ? 0 : static_cast<std::uint64_t>(bytes);
    const std::uint64_t scale = decimals > 0 ? 10 : 1;
    const std::uint64_t divisor = static_cast<std::uint64_t>(unit);
    // Split before scaling so that the largest sizes cannot overflow.
    const std::uint64_t scaled =
        magnitude / divisor * scale + (magnitude % divisor * scale + divisor / 2) / divisor;
    std::string text = std::to_string(scaled / scale);
    for (auto position = static_cast<std::ptrdiff_t>(text.size()) - 3; position > 0; position -= 3)
        text.insert(static_cast<std::size_t>(position), 1, ',');
    if (decimals > 0)
        text += '.' + std::to_string(scaled % scale);
    return text + suffix;
}
