#pragma once
// The one formatter of file sizes in kilobytes, shared by the remote list, the local list and the
// transfer panel (each with its own unit, decimals and suffix).

#include <cstdint>
#include <string>

// bytes / unit with `decimals` decimals (0 or 1), halves away from zero, whole part grouped by three
// with ",", then suffix: (1536, 1024, 0, "Kb") -> "2Kb", (2500, 1024, 1, " Kb") -> "2.4 Kb".
std::string KilobyteText(std::int64_t bytes, int unit, int decimals, const char* suffix);
