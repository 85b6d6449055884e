#include "transfer/TransferProgress.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace {

std::string groupThousands(std::int64_t whole) {
    std::string digits = std::to_string(whole);
    for (std::ptrdiff_t at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    return digits;
}

// The largest rate shown; anything faster (or not a number) would only be a broken clock or count.
constexpr double MaxShownRate = 1e12;

// Fixed-point text independent of the process locale (the GUI sets the user's locale for C calls).
std::string fixedText(double value, int decimals) {
    value = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, MaxShownRate);
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

} // namespace

std::string KbText(std::int64_t bytes) {
    // Tenths of a kilobyte, halves away from zero; a count below zero can only be a fault.
    bytes = std::max<std::int64_t>(bytes, 0);
    const auto tenths = static_cast<std::int64_t>(std::llround(static_cast<long double>(bytes) / 102.4L));
    return groupThousands(tenths / 10) + "." + std::to_string(tenths % 10) + " Kb";
}

float NextTransferRate(float rate, std::int64_t fileBytes, std::int64_t elapsedMs) {
    if (fileBytes == 0 || elapsedMs == 0)
        return rate;
    const double speed =
        (static_cast<double>(fileBytes) / 1000.0) / (static_cast<double>(elapsedMs) / 1000.0);
    return static_cast<float>((static_cast<double>(rate) + speed) / 2.0);
}

std::string SpeedText(float rate) {
    return fixedText(rate, 1) + " Kbps";
}

std::string StatusRateText(float rate) {
    return "Transfer Rate:  " + fixedText(rate, 2) + " Kbps";
}

ProgressScale::ProgressScale(std::int64_t total) {
    total = std::max<std::int64_t>(total, 0);
    while ((total >> m_shift) > INT_MAX)
        ++m_shift;
    m_maximum = std::max(1, static_cast<int>(total >> m_shift));
}

int ProgressScale::value(std::int64_t bytes) const {
    if (bytes <= 0)
        return 0;
    return static_cast<int>(std::min<std::int64_t>(bytes >> m_shift, m_maximum));
}
