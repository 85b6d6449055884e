#pragma once
// Pure arithmetic and texts of the transfer panel: byte counts in Kb, the running transfer rate and
// the scaling of 64-bit byte counts onto the int range of a progress bar.

#include <cstdint>
#include <string>

// Bytes in units of 1024 with one decimal and grouped thousands, then " Kb" ("2.4 Kb"); below 0 as 0.
std::string KbText(std::int64_t bytes);

// The running rate in kilobytes of 1000 per second: each chunk averages the current file's speed so
// far with the previous rate. The rate is unchanged while nothing was moved or no time has passed.
float NextTransferRate(float rate, std::int64_t fileBytes, std::int64_t elapsedMs);
// Rate texts hold the rate between 0 and 10^12 (a number that is not one shows as 0).
std::string SpeedText(float rate);      // "12.3 Kbps"
std::string StatusRateText(float rate); // "Transfer Rate:  12.34 Kbps"

// Maps byte counts up to a total onto a progress bar, whose range is int: large totals are counted in
// units of 2^shift bytes so that files of 2 GiB and more still show true progress.
class ProgressScale {
public:
    explicit ProgressScale(std::int64_t total = 0);
    int maximum() const { return m_maximum; } // never 0
    int value(std::int64_t bytes) const;      // clamped to 0..maximum()
    int shift() const { return m_shift; }

private:
    int m_shift = 0;
    int m_maximum = 1;
};
